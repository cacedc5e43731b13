"""Time and peak memory of a program run in a process of its own, for the comparison scripts
of the writers (xls/compare.py, xlsx/compare.py)."""

import os
import subprocess
import sys
import time


def measure(argv, runs=1):
    """Runs argv; returns (CPU seconds, wall seconds, peak resident kilobytes), the best of
    `runs` runs. CPU time (user + system) is the fair measure on a shared machine."""
    best = None
    for _ in range(runs):
        start = time.monotonic()
        proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.monotonic() - start
        err = proc.stderr.read().decode(errors="replace").strip()
        proc.stdout.close()
        proc.stderr.close()
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit("%s failed: %s" % (argv[0], err))
        result = (usage.ru_utime + usage.ru_stime, wall, usage.ru_maxrss)
        if best is None or result[0] < best[0]:
            best = result
    return best
