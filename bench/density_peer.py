#!/usr/bin/env python3
"""The peer: the keyword-density run in Python on FILE (GBK) for KEYWORD: decode, lower-case,
cut at <body, re.sub with the three patterns, the five replacements, GBK byte lengths and an
overlapping count. Prints the median CPU seconds (user + system) of RUNS runs and the figures."""
import re
import statistics
import sys
import time

raw = open(sys.argv[1], "rb").read()
keyword = sys.argv[2]
runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5


def density():
    page = raw.decode("gbk", errors="replace").lower()
    at = page.find("<body")
    if at >= 0:
        page = page[at:]
    page = re.sub(r"<script(.|\n|\t)+?script>", "", page)
    page = re.sub(r"<style(.|\n|\t)+?style>", "", page)
    page = re.sub(r"<[^>]*>", "", page)
    for r in (" ", "\u3000", "&nbsp;", "\r\n", "\t"):
        page = page.replace(r, "")
    length = len(page.encode("gbk", errors="replace"))
    klen = len(keyword.encode("gbk", errors="replace"))
    count, at = 0, page.find(keyword)
    while at >= 0:
        count += 1
        at = page.find(keyword, at + 1)
    return length, count, round(count * klen / length * 100, 2) if length else 0


times = []
for _ in range(runs):
    t = time.process_time()
    figures = density()
    times.append(time.process_time() - t)
print("%.6f %d %d %s" % (statistics.median(times), *figures))
