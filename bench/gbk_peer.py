#!/usr/bin/env python3
"""The peer: Python's own gbk codec decoding FILE and encoding the text back, errors replaced.
Prints the median CPU seconds (user + system) of RUNS runs of each, the text's length and the
bytes' length."""
import statistics
import sys
import time

raw = open(sys.argv[1], "rb").read()
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5


def median(work):
    times = []
    for _ in range(runs):
        t = time.process_time()
        out = work()
        times.append(time.process_time() - t)
    return statistics.median(times), out


decode, text = median(lambda: raw.decode("gbk", errors="replace"))
encode, back = median(lambda: text.encode("gbk", errors="replace"))
print("%.6f %.6f %d %d" % (decode, encode, len(text), len(back)))
