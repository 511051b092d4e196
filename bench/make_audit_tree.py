#!/usr/bin/env python3
"""Writes a site for the audit's memory benchmark into FOLDER: PAGES pages /t/0.html …, page i
linking to the 40 pages 40·i+1 … 40·i+40, so that a breadth-first crawl of PAGES pages finds
40·PAGES+1 addresses, the pages past PAGES never written (the crawl's page bound stops before
them). Each page is about 4 KB, half of it text, some Chinese.

Usage: make_audit_tree.py FOLDER PAGES"""
import os
import sys

if len(sys.argv) != 3:
    sys.exit("usage: make_audit_tree.py FOLDER PAGES")
folder, pages = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(folder, "t"), exist_ok=True)
text = "<p>网站体检检查每个网页的标题、描述、链接和编码。The audit reads every page.</p>" * 20
for i in range(pages):
    links = "".join(f'<li><a href="/t/{t}.html">第{t}页</a></li>' for t in range(40 * i + 1, 40 * i + 41))
    html = (f'<!DOCTYPE html><html><head><meta charset="utf-8"><title>第{i}页</title>'
            f'<meta name="description" content="第{i}页"></head><body><h1>第{i}页</h1>'
            f"{text}<ul>{links}</ul></body></html>")
    with open(os.path.join(folder, "t", f"{i}.html"), "w", encoding="utf-8") as f:
        f.write(html)
