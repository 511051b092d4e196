#!/usr/bin/env python3
"""Writes the text a reader reads of the UTF-8 page PAGE to FILE: scripts, styles, comments and
tags left out, one line a text between tags, so both conversions read the same phrases."""
import re
import sys

page = open(sys.argv[1], encoding="utf-8", newline="").read()
page = re.sub(r"<(script|style)\b.*?</\1\s*>", "", page, flags=re.S | re.I)
page = re.sub(r"<!--.*?-->", "", page, flags=re.S)
texts = [t for t in re.split(r"<[^>]*>", page) if t.strip()]
with open(sys.argv[2], "w", encoding="utf-8", newline="") as f:
    f.write("\n".join(t.replace("\r", "").replace("\n", " ").strip() for t in texts) + "\n")
