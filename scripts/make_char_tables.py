#!/usr/bin/env python3
"""Build the simplified/traditional character tables config/jianti.txt and
config/fanti.txt from OpenCC's character dictionaries.

The two files each hold one line of GBK text ending in CR LF.  The character
at position n of jianti.txt (simplified) and the one at position n of
fanti.txt (traditional) form a pair; the converter looks a character up at its
first position in one table and takes the partner from the other.

Source dictionaries (OpenCC, Apache-2.0), as shipped by Debian in the package
libopencc1.1 under /usr/share/opencc/:
  STCharacters  simplified -> traditional, most common traditional form first
  TSCharacters  traditional -> simplified, most common simplified form first
Either the plain-text form ("char<TAB>cand1 cand2 ...") or the binary .ocd2
form is accepted; .ocd2 files are dumped to text with the `opencc_dict` tool
(Debian package "opencc").

Rules applied:
  * each simplified character takes the first traditional form OpenCC lists;
  * pairs whose two characters are equal are left out;
  * pairs with a character outside the BMP or not encodable in GBK are left out;
  * each simplified character appears once;
  * pairs are ordered by the simplified character: GB2312 level 1 first, then
    GB2312 level 2, then the rest of GBK, each in code order;
  * where several simplified characters share one traditional form, the one
    that TSCharacters names first for that traditional form is moved in front
    of the others, so the traditional -> simplified lookup (first position in
    fanti.txt) finds it.

Usage:
  python3 scripts/make_char_tables.py [--st PATH] [--ts PATH] [--out DIR]

Only the Python 3 standard library is needed (plus `opencc_dict` when the
inputs are .ocd2 files).
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

OPENCC_DIRS = ["/usr/share/opencc"]
MIN_PAIRS = 2500


def default_source(stem):
    """Return the first existing OpenCC dictionary named stem (.txt, then .ocd2)."""
    for folder in OPENCC_DIRS:
        for ext in (".txt", ".ocd2"):
            path = os.path.join(folder, stem + ext)
            if os.path.isfile(path):
                return path
    return os.path.join(OPENCC_DIRS[0], stem + ".ocd2")


def read_dictionary(path):
    """Read an OpenCC dictionary into an ordered dict key -> [candidates]."""
    if path.endswith(".ocd2"):
        tool = shutil.which("opencc_dict")
        if tool is None:
            sys.exit("make_char_tables: %s is a binary dictionary and "
                     "opencc_dict was not found (apt-get install opencc)" % path)
        with tempfile.TemporaryDirectory() as tmp:
            text_path = os.path.join(tmp, "dict.txt")
            subprocess.run([tool, "-i", path, "-o", text_path,
                            "-f", "ocd2", "-t", "text"], check=True)
            return read_text_dictionary(text_path)
    return read_text_dictionary(path)


def read_text_dictionary(path):
    entries = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line or line.startswith("#"):
                continue
            key, _, values = line.partition("\t")
            candidates = values.split()
            if key and candidates and key not in entries:
                entries[key] = candidates
    return entries


def usable(ch):
    """One BMP character that survives a GBK round trip."""
    if len(ch) != 1 or ord(ch) > 0xFFFF:
        return False
    try:
        return ch.encode("gbk").decode("gbk") == ch
    except UnicodeError:
        return False


def order_key(ch):
    """GB2312 level 1, then level 2, then the rest of GBK, in code order."""
    try:
        code = ch.encode("gb2312")
        level = 0 if code[0] < 0xD8 else 1
    except UnicodeError:
        code = ch.encode("gbk")
        level = 2
    return (level, code)


def build_pairs(st, ts):
    pairs = []
    seen = set()
    for simp, candidates in st.items():
        trad = candidates[0]
        if simp == trad or simp in seen:
            continue
        if not (usable(simp) and usable(trad)):
            continue
        seen.add(simp)
        pairs.append((simp, trad))
    # Order by the simplified character.  Where several simplified characters
    # share one traditional form, the one TSCharacters names first for that
    # form takes the earliest place of its group, so the traditional ->
    # simplified lookup (first position in fanti.txt) finds it.
    groups = {}
    for simp, trad in pairs:
        groups.setdefault(trad, []).append(simp)
    sort_key = {simp: (order_key(simp), 1) for simp, _ in pairs}
    for trad, simps in groups.items():
        if len(simps) < 2:
            continue
        preferred = next((c for c in ts.get(trad, []) if c in simps), None)
        if preferred is not None:
            sort_key[preferred] = (min(order_key(c) for c in simps), 0)
    pairs.sort(key=lambda p: sort_key[p[0]])
    return pairs


def write_table(path, chars):
    with open(path, "wb") as f:
        f.write(chars.encode("gbk") + b"\r\n")


def main(argv=None):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--st", default=default_source("STCharacters"),
                        help="OpenCC STCharacters dictionary (.txt or .ocd2)")
    parser.add_argument("--ts", default=default_source("TSCharacters"),
                        help="OpenCC TSCharacters dictionary (.txt or .ocd2)")
    parser.add_argument("--out", default=os.path.join(here, "..", "config"),
                        help="folder that receives jianti.txt and fanti.txt")
    args = parser.parse_args(argv)

    st = read_dictionary(args.st)
    ts = read_dictionary(args.ts)
    pairs = build_pairs(st, ts)
    if len(pairs) < MIN_PAIRS:
        sys.exit("make_char_tables: only %d pairs, expected at least %d"
                 % (len(pairs), MIN_PAIRS))

    os.makedirs(args.out, exist_ok=True)
    write_table(os.path.join(args.out, "jianti.txt"), "".join(s for s, _ in pairs))
    write_table(os.path.join(args.out, "fanti.txt"), "".join(t for _, t in pairs))
    print("make_char_tables: wrote %d pairs to %s" % (len(pairs), os.path.normpath(args.out)))


if __name__ == "__main__":
    main()
