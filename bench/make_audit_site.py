#!/usr/bin/env python3
"""Writes a site of PAGES static pages for the audit's benchmark into FOLDER: /p/0.html to
/p/{PAGES-1}.html, each about 20 KB of text (some of it Chinese) with about 40 links to other
pages of the site, every page reachable from /p/0.html (each links to the next), the same site
for the same PAGES.

Usage: make_audit_site.py FOLDER PAGES"""
import os
import random
import sys

if len(sys.argv) != 3:
    sys.exit("usage: make_audit_site.py FOLDER PAGES")
folder, pages = sys.argv[1], int(sys.argv[2])
os.makedirs(os.path.join(folder, "p"), exist_ok=True)
chinese = "网站体检检查每个网页的标题、描述、链接和编码，找出死链和重定向。"
latin = "The quick audit reads every page of the site and checks each link it finds. "
rng = random.Random(pages)
for i in range(pages):
    targets = {(i + 1) % pages} | {rng.randrange(pages) for _ in range(39)}
    links = "".join(f'<li><a href="/p/{t}.html">第{t}页 page {t}</a></li>' for t in sorted(targets))
    text = ""
    while len(text.encode()) < 18_000:
        text += f"<p>{chinese}{latin}</p>"
    html = (f'<!DOCTYPE html><html><head><meta charset="utf-8"><title>第{i}页 示例网站</title>'
            f'<meta name="description" content="示例网站第{i}页"></head><body><h1>第{i}页</h1>'
            f"{text}<ul>{links}</ul></body></html>")
    with open(os.path.join(folder, "p", f"{i}.html"), "w", encoding="utf-8") as f:
        f.write(html)
