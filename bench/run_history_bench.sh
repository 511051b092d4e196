#!/usr/bin/env bash
# The history with RUNS recorded runs (default 100,000): recording one run, reading one subject's
# runs and opening the history window on it, against Python's sqlite3 on the same file.
# Usage: bench/run_history_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
runs="${2:-100000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

read -r record record95 read_ms open_ms shown input keyword < <(
  "$build/bench_history" "$work/history.sqlite" "$runs")
read -r peer_record peer_read peer_shown < <(
  python3 "$here/history_peer.py" "$work/history.sqlite" "$input" "$keyword" 1000)
echo "runs recorded: $runs; the subject shown ($input, $keyword): $shown runs (peer read $peer_shown)"
echo "record one run:  tessivo ${record} ms (95th percentile ${record95} ms), python ${peer_record} ms"
echo "read one subject: tessivo ${read_ms} ms, python ${peer_read} ms"
echo "open the window on it until painted: ${open_ms} ms (goal 300 ms)"
python3 -c "print('record: python/tessivo %.2f; read: python/tessivo %.2f' % ($peer_record / $record, $peer_read / $read_ms))"
