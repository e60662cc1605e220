#!/usr/bin/env python3
"""Runs one command several times and prints its median wall time (seconds)
and its peak resident memory (KiB, the largest of the runs, children
included, as GNU time reports it) as two numbers on one line.

    measure.py RUNS DIRECTORY COMMAND [ARGUMENT...]

The command runs in DIRECTORY with standard output thrown away; a run that
fails stops the measurement with status 1."""

import statistics
import subprocess
import sys
import tempfile
import time


def main():
    runs = int(sys.argv[1])
    directory = sys.argv[2]
    command = sys.argv[3:]
    walls = []
    peak = 0
    with tempfile.NamedTemporaryFile("r") as report:
        for _ in range(runs):
            # GNU time, not this process, is the parent: a child forked from
            # Python would count Python's own pages as the command's peak.
            started = time.perf_counter()
            done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                  cwd=directory, stdout=subprocess.DEVNULL)
            walls.append(time.perf_counter() - started)
            if done.returncode != 0:
                print(f"{command[0]} failed with status {done.returncode}", file=sys.stderr)
                return 1
            report.seek(0)
            peak = max(peak, int(report.read().split()[-1]))
    print(f"{statistics.median(walls):.4f} {peak}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
