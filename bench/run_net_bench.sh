#!/usr/bin/env bash
# The page-text, fetch and start-up benchmarks, each beside its peer from the same run.
# Usage: bench/run_net_bench.sh [BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "== removeHtml + removeBlank on a 4 MB page (median of 5)"
python3 "$here/make_page.py" "$work/page.html" $((4 * 1024 * 1024))
read -r ours ours_len < <("$build/bench_page_text" "$work/page.html" 5)
read -r peer peer_len < <(python3 "$here/page_text_peer.py" "$work/page.html" 5)
echo "tessivo: ${ours}s (${ours_len} chars)   python re.sub: ${peer}s (${peer_len} chars)"
python3 -c "print('throughput ratio: %.1fx' % ($peer / $ours))"

echo "== unterminated '<script x' repeated"
for kb in 1024 2048; do
  python3 -c "import sys; n=$kb*1024//9; open('$work/s.html','w').write('<script x'*n)"
  read -r t _ < <("$build/bench_page_text" "$work/s.html" 3)
  echo "tessivo ${kb} KB: ${t}s"
done
python3 -c "open('$work/s.html','w').write('<script x'*(16*1024//9))"
read -r t _ < <(python3 "$here/page_text_peer.py" "$work/s.html" 1)
echo "python re.sub 16 KB: ${t}s"

echo "== HttpFetch of 100 KB from loopback, 200 in a row (5 repetitions)"
"$build/bench_fetch" --benchmark_format=console 2>/dev/null | grep -E 'median'

echo "== start-up to first paint (seconds, resident KB), median of 5"
for who in "" --peer; do
  for i in 1 2 3 4 5; do QT_QPA_PLATFORM=offscreen "$build/bench_startup" $who 2>/dev/null; done |
    sort -n | sed -n 3p | sed "s/^/${who:-tessivo} /"
done
