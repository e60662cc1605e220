"""The Linux and the Windows build, given the same inputs and tick count,
leave the same bytes behind: every set file, the report and the exit status.

Both fixed-tick entries are needed. Each is found in this order:
- Linux: CARDSET_LINUX_FIXED_TICK; CARDSET_FIXED_TICK when this is a Linux
  build; build/linux-for-windows-check, then build/default.
- Windows: CARDSET_WINDOWS_FIXED_TICK; CARDSET_FIXED_TICK when this is a
  Windows build; build/windows. It runs under CARDSET_EMULATOR when this is a
  Windows build, else CARDSET_WINE, else Debian's wine64 loader.
The check is skipped when one is missing, unless CARDSET_CROSS_PLATFORM_REQUIRED
is 1: then a missing build is a failure, so that CI cannot skip it silently.
"""

import os
import shlex
import shutil
import subprocess
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
EMULATOR = shlex.split(os.environ.get("CARDSET_EMULATOR", ""))
OWN_ENTRY = os.environ.get("CARDSET_FIXED_TICK", "")
REQUIRED = os.environ.get("CARDSET_CROSS_PLATFORM_REQUIRED") == "1"


def first_existing(*paths):
    return next((p for p in paths if p and os.path.isfile(p)), None)


def linux_entry():
    own = OWN_ENTRY if not EMULATOR else ""
    return first_existing(
        os.environ.get("CARDSET_LINUX_FIXED_TICK", ""), own,
        os.path.join(ROOT, "build", "linux-for-windows-check", "tests", "cardset_fixed_tick"),
        os.path.join(ROOT, "build", "default", "tests", "cardset_fixed_tick"))


def windows_command():
    own = OWN_ENTRY if EMULATOR else ""
    exe = first_existing(os.environ.get("CARDSET_WINDOWS_FIXED_TICK", ""), own,
                         os.path.join(ROOT, "build", "windows", "tests", "cardset_fixed_tick.exe"))
    wine = EMULATOR or shlex.split(os.environ.get("CARDSET_WINE", "")) or [
        first_existing("/usr/lib/wine/wine64") or shutil.which("wine64") or shutil.which("wine") or ""]
    if exe is None or not wine[0]:
        return None
    return [*wine, exe]


def wine_environment():
    # A prefix of our own under build/, made once; wine's own chatter off.
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(ROOT, "build", "wineprefix"))
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    return env


def outcome(command, files, ticks, folders=()):
    """Runs one entry in a fresh folder; returns the status, the report and
    every entry the folder then holds (name -> bytes, or None for a folder)."""
    with tempfile.TemporaryDirectory(prefix="cardset-cross-") as work:
        for name, data in files.items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)
        for name in folders:
            os.mkdir(os.path.join(work, name))
        # The report goes to a file, not a pipe: wine's helper processes
        # inherit the output and would hold a pipe open after the run.
        with tempfile.TemporaryFile() as report:
            done = subprocess.run([*command, str(ticks)], cwd=work, stdout=report,
                                  stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                  timeout=60, env=wine_environment())
            report.seek(0)
            printed = report.read()
        left = {}
        for name in sorted(os.listdir(work)):
            path = os.path.join(work, name)
            if os.path.isdir(path):
                left[name] = None
            else:
                with open(path, "rb") as f:
                    left[name] = f.read()
        return done.returncode, printed, left


WORDS = b"".join(b"word %d\n" % i for i in range(300))
BIG = b"".join(b"card %d %s\r\n" % (i, b"x" * (i % 37)) for i in range(5000))
SJIS = ("単語\r\n　\r\nカード\r\n語彙\r\n練習\r\n　 \t\r\n表示\r\n" * 9).encode("shift_jis")
TICKS = (0, 1, 123456789, 0x7FFFFFFF, 0xFFFFFFFF)

# name -> (files, folders, tick counts)
CASES = {
    "plain deck, draw probability 0.3": ({"config.txt": b"deck.txt 0.3 7 6", "deck.txt": WORDS}, (), TICKS),
    "draw probability 1, recycling": ({"config.txt": b"deck.txt 1 3 9", "deck.txt": WORDS[:120]}, (), (5,)),
    "CR LF deck and settings, blank lines, a lone CR": (
        {"config.txt": b"deck.txt\r\n0.3\r\n5\r\n4\r\n",
         "deck.txt": b"alpha\r\n\r\n  \r\nbeta\r\ngamma\r\ndelta\rx\r\n\t\r\n" * 10}, (), (0xFFFFFFFF, 42)),
    "Shift_JIS cards and ideographic spaces": ({"config.txt": b"deck.txt 0.3 4 5", "deck.txt": SJIS}, (), (7, 2**31)),
    "zero bytes, 0x1A, an unterminated line": (
        {"config.txt": b"deck.txt 1 3 3\x1aignored",
         "deck.txt": b"a\x00b\nc\n\x00\nd\ne\r\nf\ng\nh\ni\nj\x1aignored\n"}, (), (2**31,)),
    "big deck over many sets": ({"config.txt": b"deck.txt 0.3 50 80", "deck.txt": BIG}, (), (99, 0xDEADBEEF)),
    # Decimal texts that only exact reading and rounding get right: a product
    # r * scale itself, a value just past 0.3, one that rounds to 1.
    "draw probability on a product": (
        {"config.txt": b"deck.txt 0.0030518509475997192 2 3", "deck.txt": WORDS}, (), (3, 77)),
    "draw probability in odd notation": (
        {"config.txt": b"deck.txt +30000000000000004e-17 3 3", "deck.txt": WORDS}, (), (11,)),
    "draw probability just under 1": (
        {"config.txt": b"deck.txt 0.99999999999999999999 2 4", "deck.txt": WORDS[:40]}, (), (13,)),
    "draw probability 0: only the value 0 draws": ({"config.txt": b"deck.txt 0 2 2", "deck.txt": WORDS}, (), (9,)),
    "deck smaller than a set": ({"config.txt": b"deck.txt 0.5 400 1", "deck.txt": WORDS}, (), (5,)),
    "no sets": ({"config.txt": b"deck.txt 0.5 1 0", "deck.txt": WORDS}, (), (5,)),
    "a folder where set file 2 goes": (
        {"config.txt": b"deck.txt 0.3 5 3", "deck.txt": WORDS}, ("cardset_2.qzt",), (17,)),
    "old set files truncated, higher ones kept": (
        {"config.txt": b"deck.txt 0.3 2 2", "deck.txt": WORDS,
         "cardset_1.qzt": b"old and longer\r\n" * 9, "cardset_3.qzt": b"keep"}, (), (21,)),
}


class same_bytes_on_both_platforms(unittest.TestCase):
    def test_every_case_and_tick_count(self):
        linux = linux_entry()
        windows = windows_command()
        if linux is None or windows is None:
            missing = "the Linux build" if linux is None else "the Windows build or wine"
            if REQUIRED:
                self.fail(f"{missing} is missing")
            self.skipTest(f"{missing} is missing")
        for what, (files, folders, ticks_list) in CASES.items():
            for ticks in ticks_list:
                with self.subTest(what, ticks=ticks):
                    expected = outcome([linux], files, ticks, folders)
                    self.assertEqual(outcome(windows, files, ticks, folders), expected)

    def test_cases_are_not_trivial(self):
        # The Linux side alone: the table exercises what it says it does.
        linux = linux_entry()
        if linux is None:
            self.skipTest("the Linux build is missing")
        files, folders, _ = CASES["big deck over many sets"]
        status, _, left = outcome([linux], files, 99, folders)
        self.assertEqual(status, 0)
        self.assertEqual(len([n for n in left if n.startswith("cardset_")]), 80)
        files, folders, _ = CASES["a folder where set file 2 goes"]
        status, printed, _ = outcome([linux], files, 17, folders)
        self.assertEqual((status, printed.count(b"Set: ")), (1, 1))


if __name__ == "__main__":
    unittest.main()
