"""Real faults on real files: a full disk, folders, pipes and devices where
files should be, broken standard output, too little memory, unreadable
files. Every run must end with the status and the files that such a fault
calls for, never by a signal, and print nothing on standard error."""

import os
import resource
import stat
import subprocess
import time
import unittest

import tool
from tool import report, scratch_folder

DECK = b"".join(b"c%d\n" % i for i in range(1, 11))
# At probability 1 every visited card is drawn: sets c1 c2, c3 c4, c5 c6.
CONFIG = b"deck.txt 1 2 3"
SETS = [b"c1\r\nc2\r\n", b"c3\r\nc4\r\n", b"c5\r\nc6\r\n"]
TIMEOUT = 30

POSIX_ONLY = unittest.skipIf(tool.IS_WINDOWS_BUILD, "POSIX files, devices and limits")
NOT_ROOT = unittest.skipIf(hasattr(os, "geteuid") and os.geteuid() == 0,
                           "root reads and writes whatever the permissions say")


def set_name(n):
    return "cardset_%d.qzt" % n


def instrumented_with_asan():
    """AddressSanitizer reserves terabytes of address space at start-up."""
    with open(tool.TOOL, "rb") as f:
        return b"__asan_init" in f.read()


def run_tool(folder, **popen):
    """Runs the tool in folder with the given standard streams, or captures them."""
    if "stdout" not in popen:
        popen["stdout"] = subprocess.PIPE
    popen.setdefault("stderr", subprocess.PIPE)
    return subprocess.run(tool.command(tool.TOOL), cwd=folder.path, timeout=TIMEOUT, **popen)


class fault_case(unittest.TestCase):
    def check(self, done, status, stdout=None):
        self.assertGreaterEqual(done.returncode, 0, "ended by a signal")
        self.assertEqual(done.returncode, status)
        if done.stderr is not None:
            self.assertEqual(done.stderr, b"")
        if stdout is not None:
            self.assertEqual(done.stdout, stdout)

    def check_sets(self, folder, expected):
        """expected: set number -> content, or None for a set file that must not exist."""
        for n, content in expected.items():
            if content is None:
                self.assertFalse(folder.exists(set_name(n)), set_name(n))
            else:
                self.assertEqual(folder.read(set_name(n)), content, set_name(n))


class folders_in_the_place_of_files(fault_case):
    def test_a_folder_in_the_place_of_a_set_file(self):
        # Set n cannot be opened: the sets before it are complete, no report
        # of set n, no later set file.
        for n in (1, 3):
            with self.subTest(set=n), scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
                os.mkdir(os.path.join(folder.path, set_name(n)))
                done = run_tool(folder)
                self.check(done, 1, b"".join(report(i, 2) for i in range(1, n)))
                self.check_sets(folder, {i: SETS[i - 1] for i in range(1, n)})
                self.assertTrue(os.path.isdir(os.path.join(folder.path, set_name(n))))
                if n < 3:
                    self.check_sets(folder, {3: None})

    def test_config_or_deck_is_a_folder(self):
        for folder_name, files in (("config.txt", {"deck.txt": DECK}),
                                   ("deck.txt", {"config.txt": CONFIG})):
            with self.subTest(folder_name), scratch_folder(files) as folder:
                os.mkdir(os.path.join(folder.path, folder_name))
                self.check(run_tool(folder), 1, b"")
                self.assertEqual(folder.set_files(), [])


@POSIX_ONLY
class full_disk(fault_case):
    def test_set_file_on_a_full_disk(self):
        # A card line that cannot be written: the set runs to its end and is
        # reported with its full count; the next set's file is opened, found
        # failed and left empty. In the last set the failure still gives 1.
        for n in (1, 2, 3):
            with self.subTest(set=n), scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
                os.symlink("/dev/full", os.path.join(folder.path, set_name(n)))
                done = run_tool(folder)
                self.check(done, 1, b"".join(report(i, 2) for i in range(1, n + 1)))
                self.check_sets(folder, {i: SETS[i - 1] for i in range(1, n)})
                self.assertTrue(os.path.islink(os.path.join(folder.path, set_name(n))))
                if n < 3:
                    self.check_sets(folder, {n + 1: b""})
                if n < 2:
                    self.check_sets(folder, {3: None})


@POSIX_ONLY
class pipes_and_devices(fault_case):
    def test_deck_fifo_without_a_writer_reads_as_empty(self):
        for config, status, sets in ((b"deck.fifo 1 0 1", 0, {1: b""}),
                                     (b"deck.fifo 1 1 1", 1, {1: None})):
            with self.subTest(config), scratch_folder({"config.txt": config}) as folder:
                os.mkfifo(os.path.join(folder.path, "deck.fifo"))
                self.check(run_tool(folder), status)
                self.check_sets(folder, sets)

    def test_deck_fifo_with_a_slow_writer(self):
        # The deck arrives in pieces, a CR LF pair split between two of them.
        pieces = [b"c1\r", b"\nc2\r\n\r\n", b"c3", b"\nc4\n", b"c5\nc6\nc7\nc8\nc9\nc10\n"]
        with scratch_folder({"config.txt": b"deck.fifo 1 2 3"}) as folder:
            fifo = os.path.join(folder.path, "deck.fifo")
            os.mkfifo(fifo)
            # Both ends held, so that nothing written is lost before the tool opens it.
            held = os.open(fifo, os.O_RDWR)
            try:
                process = subprocess.Popen(tool.command(tool.TOOL), cwd=folder.path,
                                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                opened = wait_until_opened(process.pid, fifo)
                for piece in pieces:
                    os.write(held, piece)
                    time.sleep(0.02)
            finally:
                os.close(held)
            stdout, stderr = process.communicate(timeout=TIMEOUT)
            self.assertTrue(opened, "the tool never opened the FIFO")
            self.check(subprocess.CompletedProcess([], process.returncode, stdout, stderr), 0,
                       report(1, 2) + report(2, 2) + report(3, 2))
            self.check_sets(folder, {1: SETS[0], 2: SETS[1], 3: SETS[2]})

    def test_set_file_fifo_without_a_reader(self):
        # Opening it for writing would wait for a reader for ever; it fails instead.
        with scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
            os.mkfifo(os.path.join(folder.path, set_name(2)))
            self.check(run_tool(folder), 1, report(1, 2))
            self.check_sets(folder, {1: SETS[0], 3: None})

    def test_endless_and_empty_devices(self):
        # Endless zeros make the deck name too long, which ends the reading.
        cases = (("config.txt is /dev/zero", {"deck.txt": DECK}, "config.txt", "/dev/zero", 1),
                 ("deck is /dev/null", {"config.txt": b"null 1 0 1"}, "null", "/dev/null", 0),
                 ("config.txt is /dev/null", {}, "config.txt", "/dev/null", 1))
        for what, files, name, device, status in cases:
            with self.subTest(what), scratch_folder(files) as folder:
                os.symlink(device, os.path.join(folder.path, name))
                self.check(run_tool(folder), status)
                self.assertEqual(len(folder.set_files()), 1 - status)


def wait_until_opened(pid, path, timeout=TIMEOUT):
    """Waits until process pid holds path open."""
    target = os.path.realpath(path)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            descriptors = os.listdir("/proc/%d/fd" % pid)
        except OSError:
            return False
        for fd in descriptors:
            try:
                if os.readlink("/proc/%d/fd/%s" % (pid, fd)) == target:
                    return True
            except OSError:
                pass
        time.sleep(0.005)
    return False


@POSIX_ONLY
class broken_standard_output(fault_case):
    """Report text that cannot be written changes neither the files nor the status."""

    def test_standard_output_faults(self):
        def closed(folder):
            return run_tool(folder, stdout=subprocess.DEVNULL, preexec_fn=lambda: os.close(1))

        def all_closed(folder):
            def close_all():
                for fd in (0, 1, 2):
                    os.close(fd)
            return run_tool(folder, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, preexec_fn=close_all)

        def full(folder):
            with open("/dev/full", "wb") as device:
                return run_tool(folder, stdout=device)

        def reader_gone(folder):
            read_end, write_end = os.pipe()
            os.close(read_end)
            try:
                return run_tool(folder, stdout=write_end)
            finally:
                os.close(write_end)

        def slow_reader(folder):
            # A reader that takes one byte at a time; the report must still come whole.
            process = subprocess.Popen(tool.command(tool.TOOL), cwd=folder.path,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            got = bytearray()
            while True:
                byte = process.stdout.read(1)
                if not byte:
                    break
                got += byte
            process.wait(timeout=TIMEOUT)
            return subprocess.CompletedProcess([], process.returncode, bytes(got),
                                               process.stderr.read())

        for name, setup in (("closed", closed), ("all three closed", all_closed),
                            ("/dev/full", full), ("reader gone", reader_gone),
                            ("slow reader", slow_reader)):
            for failing_set in (None, 2):
                with self.subTest(name, failing_set=failing_set), \
                        scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
                    if failing_set:
                        os.mkdir(os.path.join(folder.path, set_name(failing_set)))
                    done = setup(folder)
                    status = 1 if failing_set else 0
                    self.check(done, status)
                    if name == "slow reader":
                        self.assertEqual(done.stdout, b"".join(
                            report(i, 2) for i in range(1, (failing_set or 4))))
                    if failing_set:
                        self.check_sets(folder, {1: SETS[0], 3: None})
                    else:
                        self.check_sets(folder, {1: SETS[0], 2: SETS[1], 3: SETS[2]})


@POSIX_ONLY
class too_little_memory(fault_case):
    def test_deck_too_big_for_the_address_space(self):
        if instrumented_with_asan():
            self.skipTest("AddressSanitizer cannot start within a small address space")
        # 24 Mi one-byte cards need about 100 MiB of card offsets alone.
        with scratch_folder({"config.txt": b"deck.txt 1 0 1", "deck.txt": b"x\n" * (24 << 20)}) as folder:
            limit = 64 << 20

            def limit_address_space():
                resource.setrlimit(resource.RLIMIT_AS, (limit, limit))

            done = run_tool(folder, preexec_fn=limit_address_space)
            self.check(done, 1, b"")
            self.assertEqual(folder.set_files(), [])
            # Without the limit the same deck loads.
            self.check(run_tool(folder), 0, report(1, 0))


@POSIX_ONLY
@NOT_ROOT
class permissions(fault_case):
    def test_unreadable_config_or_deck(self):
        for name in ("config.txt", "deck.txt"):
            with self.subTest(name), scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
                os.chmod(os.path.join(folder.path, name), 0)
                self.check(run_tool(folder), 1, b"")
                self.assertEqual(folder.set_files(), [])

    def test_read_only_set_file_or_folder(self):
        with scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
            folder.write(set_name(2), b"older\r\n")
            os.chmod(os.path.join(folder.path, set_name(2)), stat.S_IRUSR)
            self.check(run_tool(folder), 1, report(1, 2))
            self.check_sets(folder, {1: SETS[0], 2: b"older\r\n", 3: None})
        with scratch_folder({"config.txt": CONFIG, "deck.txt": DECK}) as folder:
            os.chmod(folder.path, stat.S_IRUSR | stat.S_IXUSR)
            try:
                self.check(run_tool(folder), 1, b"")
                self.assertEqual(folder.set_files(), [])
            finally:
                os.chmod(folder.path, stat.S_IRWXU)


if __name__ == "__main__":
    unittest.main()
