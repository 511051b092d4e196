#!/usr/bin/env python3
"""Writes COUNT characters of simplified Chinese prose-like text (UTF-8) to FILE."""
import random
import sys

out, count = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
table = open(sys.argv[3] if len(sys.argv) > 3 else "config/jianti.txt", encoding="gbk").read().strip()
common = "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方后多定行学法所民得经"
rng = random.Random(11)
chars = []
while len(chars) < count:
    r = rng.random()
    if r < 0.08:
        chars.append(rng.choice("，。、；：？！"))
    elif r < 0.5:
        chars.append(rng.choice(common))
    elif r < 0.98:
        chars.append(rng.choice(table))
    else:
        chars.append("\n")
open(out, "w", encoding="utf-8").write("".join(chars[:count]))
