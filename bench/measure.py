#!/usr/bin/env python3
"""Runs a command and its baseline in turn, several times each, and prints
the median wall time (seconds) and the peak resident memory (KiB, the
largest of the runs, children included, as GNU time reports it) of each:
four numbers on one line, the command's first.

    measure.py RUNS DIRECTORY COMMAND... --versus BASELINE...

Both run in DIRECTORY with standard output thrown away, alternating, so
that a change in the machine's load falls on both alike; a run that fails
stops the measurement with status 1."""

import statistics
import subprocess
import sys
import tempfile
import time


def run_once(command, directory, report):
    # GNU time, not this process, is the parent: a child forked from Python
    # would count Python's own pages as the command's peak.
    started = time.perf_counter()
    done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                          cwd=directory, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - started
    if done.returncode != 0:
        raise SystemExit(f"{command[0]} failed with status {done.returncode}")
    report.seek(0)
    return wall, int(report.read().split()[-1])


def main():
    runs = int(sys.argv[1])
    directory = sys.argv[2]
    split = sys.argv.index("--versus")
    commands = [sys.argv[3:split], sys.argv[split + 1:]]
    walls = [[], []]
    peaks = [0, 0]
    with tempfile.NamedTemporaryFile("r") as report:
        for _ in range(runs):
            for which, command in enumerate(commands):
                wall, peak = run_once(command, directory, report)
                walls[which].append(wall)
                peaks[which] = max(peaks[which], peak)
    print(" ".join(f"{statistics.median(walls[w]):.4f} {peaks[w]}" for w in (0, 1)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
