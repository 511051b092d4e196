#!/usr/bin/env bash
# The whole keyword rank search with 20 ms added to each round trip, over HTTP and HTTPS: a new
# connection for every request against connections reused within the run, as a Markdown table
# on standard output. Builds nothing: bench_reuse must be in the build folder.
# Usage: bench/run_reuse_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
runs="${2:-7}"
if [ ! -x "$build/bench_reuse" ]; then
  echo "run_reuse_bench: no $build/bench_reuse; build the benchmarks first" >&2
  exit 1
fi

figures="$("$build/bench_reuse" "$runs")"
awk -v runs="$runs" '
  { t[$1 " " $2] = $3 }
  END {
    print "| keyword rank search, 23 requests, +20 ms a round trip (median of " runs ") | new connection each request | reused within the run | saving | goal |"
    print "|---|---:|---:|---:|---:|"
    n = split("http HTTP 20 https HTTPS 35", row, " ")
    for (i = 1; i < n; i += 3) {
      fresh = t[row[i] " new"]; reused = t[row[i] " reused"]
      printf "| %s | %.0f ms | %.0f ms | %.0f%% | ≥ %d%% |\n", row[i + 1], fresh * 1000, reused * 1000, (1 - reused / fresh) * 100, row[i + 2]
    }
  }' <<<"$figures"
