"""End-to-end runs of the built cardset on real files in scratch folders."""

import os
import signal
import subprocess
import unittest

import tool
from tool import report, scratch_folder

FRUIT = b"apple\npear\nplum\nfig\n"


class run_outcomes(unittest.TestCase):
    def test_without_config_exits_1_and_prints_nothing(self):
        with scratch_folder() as folder:
            done = tool.run(folder.path)
            self.assertEqual(done.returncode, 1)
            self.assertEqual(done.stdout, b"")
            self.assertEqual(done.stderr, b"")
            self.assertEqual(folder.set_files(), [])

    def test_deals_a_whole_run_byte_for_byte(self):
        with scratch_folder({"config.txt": b"fruit.txt 1 2 2\r\n", "fruit.txt": FRUIT}) as folder:
            done = tool.run(folder.path)
            self.assertEqual(done.returncode, 0)
            self.assertEqual(done.stdout, report(1, 2) + report(2, 2))
            self.assertEqual(done.stderr, b"")
            self.assertEqual(folder.read("cardset_1.qzt"), b"apple\r\npear\r\n")
            self.assertEqual(folder.read("cardset_2.qzt"), b"plum\r\nfig\r\n")

    def test_ignores_arguments(self):
        with scratch_folder({"config.txt": b"fruit.txt 1 1 1", "fruit.txt": FRUIT}) as folder:
            done = tool.run(folder.path, args=["--help", "-x", "config.txt", "nonsense"])
            self.assertEqual(done.returncode, 0)
            self.assertEqual(folder.read("cardset_1.qzt"), b"apple\r\n")

    def test_failures_print_nothing(self):
        cases = {
            "missing deck": b"none.txt 1 1 1",
            "unset count": b"fruit.txt 0.5 2",
            "deck too small": b"fruit.txt 1 5 1",
            "impossible second set": b"fruit.txt 1 3 2",
            "long deck name": b"f" * 256 + b" 1 1 1",
        }
        for what, config in cases.items():
            with self.subTest(what), scratch_folder({"config.txt": config, "fruit.txt": FRUIT}) as folder:
                done = tool.run(folder.path)
                self.assertEqual(done.returncode, 1)
                self.assertEqual(done.stdout + done.stderr, b"")
                self.assertEqual(folder.set_files(), [])


class set_files(unittest.TestCase):
    def test_names_truncation_and_higher_numbers(self):
        deck = b"".join(b"%d\n" % i for i in range(1, 101))
        with scratch_folder({"config.txt": b"deck.txt 1 1 10", "deck.txt": deck}) as folder:
            folder.write("cardset_1.qzt", b"old and longer content\r\n")
            folder.write("cardset_11.qzt", b"keep me")
            done = tool.run(folder.path)
            self.assertEqual(done.returncode, 0)
            self.assertEqual(folder.read("cardset_1.qzt"), b"1\r\n")
            self.assertEqual(folder.read("cardset_9.qzt"), b"9\r\n")
            self.assertEqual(folder.read("cardset_10.qzt"), b"10\r\n")
            self.assertEqual(folder.read("cardset_11.qzt"), b"keep me")

    def test_a_folder_in_the_place_of_set_file_2(self):
        with scratch_folder({"config.txt": b"fruit.txt 1 1 3", "fruit.txt": FRUIT}) as folder:
            os.mkdir(os.path.join(folder.path, "cardset_2.qzt"))
            done = tool.run(folder.path)
            self.assertEqual(done.returncode, 1)
            self.assertEqual(done.stdout, report(1, 1))
            self.assertEqual(folder.read("cardset_1.qzt"), b"apple\r\n")
            self.assertFalse(folder.exists("cardset_3.qzt"))

    def test_deck_that_is_set_file_1_is_read_before_truncation(self):
        with scratch_folder({"config.txt": b"cardset_1.qzt 1 2 2", "cardset_1.qzt": FRUIT}) as folder:
            done = tool.run(folder.path)
            self.assertEqual(done.returncode, 0)
            self.assertEqual(folder.read("cardset_1.qzt"), b"apple\r\npear\r\n")
            self.assertEqual(folder.read("cardset_2.qzt"), b"plum\r\nfig\r\n")

    def test_shift_jis_and_crlf_deck(self):
        deck = "単語\r\n　\r\nカード\r\n\r\n".encode("shift_jis")
        with scratch_folder({"config.txt": b"deck.txt 1 2 1", "deck.txt": deck}) as folder:
            self.assertEqual(tool.run(folder.path).returncode, 0)
            self.assertEqual(folder.read("cardset_1.qzt"), "単語\r\nカード\r\n".encode("shift_jis"))

    def test_shift_jis_deck_name(self):
        name = "単語.txt".encode("shift_jis")
        if tool.IS_WINDOWS_BUILD:
            self.skipTest("a Shift_JIS name means other bytes to the host's file system under wine")
        with scratch_folder({"config.txt": name + b" 1 1 1"}) as folder:
            with open(os.path.join(os.fsencode(folder.path), name), "wb") as f:
                f.write(FRUIT)
            self.assertEqual(tool.run(folder.path).returncode, 0)
            self.assertEqual(folder.read("cardset_1.qzt"), b"apple\r\n")


class repeatable_runs(unittest.TestCase):
    def test_same_tick_count_same_bytes(self):
        deck = b"".join(b"word %d\n" % i for i in range(500))
        outputs = []
        for _ in range(2):
            with scratch_folder({"config.txt": b"deck.txt 0.25 30 8", "deck.txt": deck}) as folder:
                done = tool.run(folder.path, fixed_tick=4000000000)
                self.assertEqual(done.returncode, 0)
                outputs.append((done.stdout, [folder.read(n) for n in folder.set_files()]))
        self.assertEqual(outputs[0], outputs[1])
        self.assertEqual(len(outputs[0][1]), 8)


@unittest.skipIf(tool.IS_WINDOWS_BUILD, "POSIX descriptors and pipes")
class standard_output_faults(unittest.TestCase):
    CONFIG = {"config.txt": b"fruit.txt 1 1 3", "fruit.txt": FRUIT}

    def check_sets_written(self, folder):
        self.assertEqual([folder.read(n) for n in folder.set_files()],
                         [b"apple\r\n", b"pear\r\n", b"plum\r\n"])

    def test_closed_standard_output(self):
        with scratch_folder(self.CONFIG) as folder:
            done = subprocess.run(tool.TOOL + " >&-", shell=True, cwd=folder.path,
                                  capture_output=True, timeout=60)
            self.assertEqual(done.returncode, 0)
            self.assertEqual(done.stderr, b"")
            self.check_sets_written(folder)

    def test_pipe_whose_reader_has_gone(self):
        with scratch_folder(self.CONFIG) as folder:
            read_end, write_end = os.pipe()
            os.close(read_end)
            done = subprocess.run([tool.TOOL], cwd=folder.path, stdout=write_end,
                                  stderr=subprocess.PIPE, timeout=60)
            os.close(write_end)
            self.assertNotEqual(done.returncode, -signal.SIGPIPE)
            self.assertEqual(done.returncode, 0)
            self.check_sets_written(folder)


if __name__ == "__main__":
    unittest.main()
