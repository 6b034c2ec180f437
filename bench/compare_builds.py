#!/usr/bin/env python3
"""Times builds of the program against each other and against xmlwf on one listings file.

    python3 bench/compare_builds.py LISTINGS ROUNDS PROGRAM...

Each round runs xmlwf, then each program's import of the file into a fresh database of its own
(no user interface), one after the other, so that every program sees the same conditions. Prints
each one's median wall-clock time, its ratio to xmlwf's median and its peak memory: enough to
tell whether one change to the program pays for itself."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run(command, listings):
    """Wall-clock seconds and peak MiB of one run in a private folder."""
    folder = tempfile.mkdtemp()
    try:
        env = dict(os.environ, GLIMMERBOX_EPG_DB=folder + "/epg.sqlite", HOME=folder,
                   GLIMMERBOX_REGISTRY=folder + "/registry.reg", RUZOZAZE_UI="none")
        timed = ["/usr/bin/time", "-f", "%M", "-o", folder + "/peak", command, listings]
        start = time.perf_counter()
        done = subprocess.run(timed, env=env, cwd=folder, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        if done.returncode != 0:
            sys.exit("%s failed with exit code %d" % (command, done.returncode))
        with open(folder + "/peak") as peak:
            return seconds, int(peak.read().split()[-1]) / 1024
    finally:
        shutil.rmtree(folder)


def main():
    listings, rounds, programs = os.path.abspath(sys.argv[1]), int(sys.argv[2]), sys.argv[3:]
    commands = [shutil.which("xmlwf")] + [os.path.abspath(p) for p in programs]
    results = {command: [] for command in commands}
    for _ in range(rounds):
        for command in commands:
            results[command].append(run(command, listings))
    base = statistics.median(seconds for seconds, _ in results[commands[0]])
    for command, runs in results.items():
        median = statistics.median(seconds for seconds, _ in runs)
        print("%s: %.3f s, %.2f x xmlwf, peak %.1f MiB" %
              (command, median, median / base, max(peak for _, peak in runs)))


if __name__ == "__main__":
    main()
