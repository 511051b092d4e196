#!/usr/bin/env python3
"""Writes a page of mixed Chinese text, tags, scripts and styles of about SIZE bytes (UTF-8)."""
import random
import sys

size = int(sys.argv[2]) if len(sys.argv) > 2 else 4 * 1024 * 1024
rng = random.Random(7)
words = ["搜索引擎", "网站优化", "关键词", "外链", "收录", "百度", "网页", "排名", "站长", "工具",
         "seo", "Tessivo", "密度", "流量", "内容", "用户", "&nbsp;", "\u3000", " ", "\r\n", "\t"]
parts = ["<!DOCTYPE html><html><head><title>测试页</title>"]
total = 0
while total < size:
    kind = rng.random()
    if kind < 0.08:
        chunk = "<script type=\"text/javascript\">\r\nvar a = '<p>' + %d;\r\n\tdocument.write(a);\r\n</script>" % rng.randrange(1000)
    elif kind < 0.14:
        chunk = "<style>\r\n.c%d { color: #333; }\r\n</style>" % rng.randrange(1000)
    elif kind < 0.5:
        chunk = "<div class=\"item\"><a href=\"http://example.cn/%d\">%s</a></div>" % (
            rng.randrange(10**6), "".join(rng.choice(words) for _ in range(3)))
    else:
        chunk = "<p>" + "".join(rng.choice(words) for _ in range(12)) + "</p>\r\n"
    parts.append(chunk)
    total += len(chunk.encode("utf-8"))
parts.append("</body></html>")
with open(sys.argv[1], "w", encoding="utf-8", newline="") as f:
    f.write("".join(parts))
