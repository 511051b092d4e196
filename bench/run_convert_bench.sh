#!/usr/bin/env bash
# tessivo-cli convert s2t against OpenCC's opencc -c s2t.json on the same 1,000,000-character
# file, whole process each, median of 5 runs.
# Usage: bench/run_convert_bench.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
command -v opencc >/dev/null || { echo "opencc is missing: apt-get install opencc" >&2; exit 1; }

python3 "$here/make_chinese_text.py" "$work/in.txt" 1000000 "$here/../config/jianti.txt"
median() { sort -n | sed -n 3p; }
timed() { local s e; s=$(date +%s.%N); "$@" >/dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; }

ours=$(for i in 1 2 3 4 5; do timed sh -c "'$build/tessivo-cli' convert s2t < '$work/in.txt'"; done | median)
peer=$(for i in 1 2 3 4 5; do timed opencc -c s2t.json -i "$work/in.txt" -o "$work/out.txt"; done | median)
echo "tessivo-cli convert s2t: ${ours}s   opencc -c s2t.json: ${peer}s"
python3 -c "print('speed-up: %.1fx' % ($peer / $ours))"
