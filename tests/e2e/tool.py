"""Runs the built cardset, or its fixed-tick test entry, in scratch folders.

The paths come from ctest's environment: CARDSET (the tool), CARDSET_FIXED_TICK
(the run entry with a tick count given as its argument) and CARDSET_EMULATOR
(what runs a cross-built program here, e.g. wine64; empty for a native build).
"""

import os
import shlex
import subprocess
import tempfile

TOOL = os.environ.get("CARDSET", "")
FIXED_TICK = os.environ.get("CARDSET_FIXED_TICK", "")
EMULATOR = shlex.split(os.environ.get("CARDSET_EMULATOR", ""))
IS_WINDOWS_BUILD = bool(EMULATOR) or TOOL.lower().endswith(".exe")


def command(program, *args):
    """The command list that runs program (a built executable) here."""
    return [*EMULATOR, program, *args]


def run(folder, args=None, fixed_tick=None, timeout=60, **popen):
    """Runs cardset in folder; with fixed_tick, the fixed-tick entry instead."""
    if fixed_tick is None:
        cmd = command(TOOL, *(args or []))
    else:
        cmd = command(FIXED_TICK, str(fixed_tick))
    return subprocess.run(cmd, cwd=folder, capture_output=True, timeout=timeout, **popen)


class scratch_folder:
    """A temporary working folder, filled with the given files (name -> bytes)."""

    def __init__(self, files=None):
        self._dir = tempfile.TemporaryDirectory(prefix="cardset-e2e-")
        self.path = self._dir.name
        for name, data in (files or {}).items():
            self.write(name, data)

    def write(self, name, data):
        with open(os.path.join(self.path, name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(os.path.join(self.path, name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.lexists(os.path.join(self.path, name))

    def set_files(self):
        return sorted(n for n in os.listdir(self.path) if n.startswith("cardset_"))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self._dir.cleanup()


def report(set_number, drawn):
    return b"\r\nSet: %d\r\nCards out: %d\r\n\r\n" % (set_number, drawn)
