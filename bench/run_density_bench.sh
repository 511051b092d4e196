#!/usr/bin/env bash
# Keyword density end to end (fetch excluded) on a 4 MB GBK page, against the same run in
# Python; then the peak resident memory of our run.
# Usage: bench/run_density_bench.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

python3 "$here/make_page.py" "$work/page.utf8" $((4 * 1024 * 1024))
python3 -c "open('$work/page.gbk','wb').write(open('$work/page.utf8',encoding='utf-8',newline='').read().encode('gbk'))"
read -r ours ours_len ours_n ours_d < <("$build/bench_density_file" "$work/page.gbk" 关键词 5)
read -r peer peer_len peer_n peer_d < <(python3 "$here/density_peer.py" "$work/page.gbk" 关键词 5)
echo "tessivo: ${ours}s (length $ours_len, frequency $ours_n, density $ours_d)"
echo "python:  ${peer}s (length $peer_len, frequency $peer_n, density $peer_d)"
python3 -c "print('speed-up: %.1fx' % ($peer / $ours))"
/usr/bin/time -f "peak resident memory of one run (whole process): %M KB" \
  "$build/bench_density_file" "$work/page.gbk" 关键词 1 >/dev/null
