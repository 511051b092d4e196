#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build
# No test needs a fixed port or a display of its own, so they run side by side.
jobs=$(nproc)
ctest --test-dir build --output-on-failure -j"$((jobs > 2 ? jobs : 2))"
