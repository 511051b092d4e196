#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer into their own build
# folder (TESSIVO_ASAN_BUILD, default build-asan) and runs them, side by side, all but the slow
# ones (CTest label "slow": the package, the screenshot tour, the gibibyte conversion), which the
# ordinary stage runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${TESSIVO_ASAN_BUILD:-build-asan}
# Debug: the sanitizers find the same faults without optimisation, and two cores compile it in
# about half the time of an optimised build.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSIVO_SANITIZE=ON \
  -DTESSIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
export UBSAN_OPTIONS=print_stacktrace=1
jobs=$(nproc)
ctest --test-dir "$build" --output-on-failure -LE slow -j"$((jobs > 2 ? jobs : 2))"
