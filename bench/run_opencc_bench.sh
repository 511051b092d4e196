#!/usr/bin/env bash
# tessivo-cli convert --opencc s2twp against OpenCC's own command on the same 10 MB of Chinese
# text, whole process each, median of 3 runs, and the outputs compared; then the HTML mode on a
# 4 MB page against the plain conversion of that page's text.
# Usage: bench/run_opencc_bench.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v opencc >/dev/null || { echo "opencc is missing: apt-get install opencc" >&2; exit 1; }
cli="$build/tessivo-cli"

# About 3.5 million characters, 10 MB of UTF-8, ending with a line end as a text file does.
python3 "$here/make_chinese_text.py" "$work/in.txt" 3500000 "$here/../config/jianti.txt"
echo >> "$work/in.txt"
python3 "$here/make_page.py" "$work/page.html" $((4 * 1024 * 1024))
python3 "$here/page_text.py" "$work/page.html" "$work/page.txt"

median() { sort -n | sed -n 2p; }
timed() { local s e; s=$(date +%s.%N); "$@"; e=$(date +%s.%N); echo "$e - $s" | bc; }
ours_run() { "$cli" convert --opencc s2twp < "$work/in.txt" > "$work/ours.txt"; }
peer_run() { opencc -c s2twp.json -i "$work/in.txt" -o "$work/peer.txt"; }
html_run() { "$cli" convert --html --opencc s2twp < "$work/page.html" > "$work/page.out"; }
text_run() { "$cli" convert --opencc s2twp < "$work/page.txt" > "$work/text.out"; }

# In turns, so that a burst of other work on the machine falls on both sides alike.
for i in 1 2 3; do
  timed ours_run >>"$work/ours.t"
  timed peer_run >>"$work/peer.t"
done
ours=$(median <"$work/ours.t")
peer=$(median <"$work/peer.t")
cmp -s "$work/ours.txt" "$work/peer.txt" && same=identical || same=DIFFERENT
echo "10 MB, s2twp: tessivo-cli convert --opencc ${ours}s   opencc -c s2twp.json ${peer}s   output ${same}"
python3 -c "print('  opencc / tessivo-cli: %.2fx' % ($peer / $ours))"

html=$(for i in 1 2 3; do timed html_run; done | median)
text=$(for i in 1 2 3; do timed text_run; done | median)
echo "4 MB page, s2twp: --html ${html}s   its text alone ($(wc -c < "$work/page.txt") bytes) ${text}s"
python3 -c "print('  --html / text: %.2fx (goal under 2x)' % ($html / $text))"
[ "$same" = identical ]
