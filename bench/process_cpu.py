#!/usr/bin/env python3
"""Whole-process CPU time (user + system) of two commands, ours and a peer's, run in turns RUNS
times each, so that other work on the machine falls on both alike. CPU time, unlike the time on
the clock, hardly moves when other processes want the same cores.

Usage: process_cpu.py RUNS [--stdin FILE] -- OURS... -- PEER...

Prints the median seconds of each and whether the two printed the same on standard output:
OURS PEER same|differ"""
import resource
import statistics
import subprocess
import sys


def usage():
    sys.exit("usage: process_cpu.py RUNS [--stdin FILE] -- OURS... -- PEER...")


args = sys.argv[1:]
if len(args) < 5 or args.count("--") != 2:
    usage()
runs = int(args[0])
stdin = None
if args[1] == "--stdin":
    stdin = args[2]
    args = args[3:]
else:
    args = args[1:]
if args[0] != "--":
    usage()
split = args.index("--", 1)
commands = [args[1:split], args[split + 1:]]
if not all(commands):
    usage()


def cpu_seconds(command):
    """One run's user + system seconds, children waited for included, and what it printed."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    with open(stdin, "rb") if stdin else open("/dev/null", "rb") as source:
        out = subprocess.run(command, stdin=source, stdout=subprocess.PIPE, check=True).stdout
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    used = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return used, out


times = [[], []]
outputs = [set(), set()]
for _ in range(runs):
    for side, command in enumerate(commands):
        used, out = cpu_seconds(command)
        times[side].append(used)
        outputs[side].add(out)
same = len(outputs[0]) == 1 and outputs[0] == outputs[1]
print("%.6f %.6f %s" % (statistics.median(times[0]), statistics.median(times[1]),
                        "same" if same else "differ"))
