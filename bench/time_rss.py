#!/usr/bin/env python3
"""The median wall-clock seconds, the median CPU seconds (user + system, which other work on the
machine hardly moves) and the largest resident memory (MB) of COMMAND over RUNS runs, its
standard output thrown away (written to /dev/null).

Usage: time_rss.py RUNS COMMAND...   Prints: SECONDS CPU_SECONDS MEGABYTES"""
import os
import statistics
import subprocess
import sys
import time

if len(sys.argv) < 3:
    sys.exit("usage: time_rss.py RUNS COMMAND...")
runs, command = int(sys.argv[1]), sys.argv[2:]
times, cpu, peak = [], [], 0
with open(os.devnull, "wb") as sink:
    for _ in range(runs):
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=sink, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        times.append(time.perf_counter() - start)
        cpu.append(usage.ru_utime + usage.ru_stime)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"time_rss: {' '.join(command)} exited {os.waitstatus_to_exitcode(status)}")
        peak = max(peak, usage.ru_maxrss)  # kilobytes on Linux
print(f"{statistics.median(times):.3f} {statistics.median(cpu):.3f} {peak / 1024:.1f}")
