#!/usr/bin/env bash
# The history with RUNS recorded runs (default 200,000; fifty subjects, eight figures a run):
# recording a run, listing, exporting everything and opening the history window, against
# Python's sqlite3 on the same file and, given PREVIOUS_BUILD_DIR (a build of an earlier
# commit: its tessivo-cli, libtessivo-cli-full.so and bench_history), against that build on the
# same file in the same run.
# Usage: bench/run_history_bench.sh [BUILD_DIR] [RUNS] [PREVIOUS_BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../build}" && pwd)"
runs="${2:-200000}"
previous="${3:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
file="$work/history.sqlite"

read -r record record95 read_ms open_ms shown input keyword < <(
  "$build/bench_history" "$file" "$runs" 2>/dev/null)
read -r peer_record peer_read peer_shown < <(
  python3 "$here/history_peer.py" "$file" "$input" "$keyword" 1000)
echo "runs recorded: $runs; the subject shown ($input, $keyword): $shown runs (peer read $peer_shown)"
echo "record one run:  tessivo ${record} ms (95th percentile ${record95} ms), python ${peer_record} ms"
echo "read one subject: tessivo ${read_ms} ms, python ${peer_read} ms"
python3 -c "print('record: python/tessivo %.2f; read: python/tessivo %.2f' % ($peer_record / $record, $peer_read / $read_ms))"

# A build that lists everything by default has no --all.
everything() {
  if "$1/tessivo-cli" --help 2>&1 | grep -q -- '--all'; then echo --all; fi
}

measure() { # NAME BUILD
  local cli="$2/tessivo-cli" all
  all="$(everything "$2")"
  local -a h=("$cli" --history "$file")
  read -r list_s _ list_mb < <(python3 "$here/time_rss.py" 5 "${h[@]}" history)
  read -r csv_s csv_cpu csv_mb < <(python3 "$here/time_rss.py" 1 "${h[@]}" history $all --format csv)
  read -r json_s _ json_mb < <(python3 "$here/time_rss.py" 1 "${h[@]}" history $all --format json)
  read -r with_s _ _ < <(python3 "$here/time_rss.py" 9 "${h[@]}" --demo badges example.com)
  read -r without_s _ _ < <(python3 "$here/time_rss.py" 9 "$cli" --no-history --demo badges example.com)
  local window="-"
  if [ -x "$2/bench_history" ]; then
    read -r _ _ _ window _ < <("$2/bench_history" "$file" 1 2>/dev/null)
    window="${window} ms"
  fi
  printf '| %s | %s s, %s MB | %s s (CPU %s s), %s MB | %s s, %s MB | %.0f ms (%.0f ms without history) | %s |\n' \
    "$1" "$list_s" "$list_mb" "$csv_s" "$csv_cpu" "$csv_mb" "$json_s" "$json_mb" \
    "$(python3 -c "print(($with_s - $without_s) * 1000)")" "$(python3 -c "print($without_s * 1000)")" \
    "$window"
}

echo
echo "| build | history (newest 50; all before) | history --all --format csv | history --all --format json | a recorded --demo badges adds | window painted |"
echo "|---|---|---|---|---|---|"
measure "this build ($(git -C "$here/.." rev-parse --short HEAD))" "$build"
if [ -n "$previous" ]; then
  measure "previous build" "$(cd "$previous" && pwd)"
fi
half=$((runs / 2))
read -r half_s half_cpu half_mb < <(python3 "$here/time_rss.py" 1 "$build/tessivo-cli" \
  --history "$file" history --limit "$half" --format csv)
echo "this build, csv of the newest $half runs: $half_s s (CPU $half_cpu s), $half_mb MB (linear: about half the CPU of all, the same memory)"
echo "goals at 200,000 runs: history < 0.2 s and < 50 MB; csv --all linear and < 60 MB; a recorded run adds < 20 ms; window < 300 ms"
