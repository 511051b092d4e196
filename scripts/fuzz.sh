#!/usr/bin/env bash
# Builds every fuzz target with clang (ASan, UBSan, libFuzzer) and runs each for SECONDS
# (default 60) from its seeds in fuzz/corpus/ with its dictionary in fuzz/dict/. New inputs and
# any crash go to the build folder (TESSIVO_FUZZ_BUILD, default build-fuzz), never into the
# repository. Prints each target's executions; exits 1 when any target failed.
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TESSIVO_FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSIVO_FUZZ=ON -DTESSIVO_GUI=OFF -DTESSIVO_BUILD_TESTS=OFF -DTESSIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"

# ASan's quarantine of freed memory grows to 256 MB by default; over a long run that, not a
# leak, is what exhausts libFuzzer's memory limit.
export ASAN_OPTIONS=quarantine_size_mb=64
export UBSAN_OPTIONS=print_stacktrace=1

summary=()
failed=0
for exe in "$build"/fuzz_*; do
  target=${exe##*/fuzz_}
  work="$build/fuzz-work/$target"
  mkdir -p "$work/corpus" "$work/crashes"
  args=(-max_total_time="$seconds" -timeout=10 -print_final_stats=1
        -artifact_prefix="$work/crashes/")
  [ -f "fuzz/dict/$target.dict" ] && args+=(-dict="fuzz/dict/$target.dict")
  echo "== $target: $seconds s"
  if "$exe" "${args[@]}" "$work/corpus" "fuzz/corpus/$target" >"$work/log" 2>&1; then
    status=clean
  else
    status="FAILED (see $work/log)"
    failed=1
    tail -n 30 "$work/log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
  summary+=("$(printf '%-16s %12s executions  %s' "$target" "${runs:-?}" "$status")")
done

printf '%s\n' "${summary[@]}"
exit "$failed"
