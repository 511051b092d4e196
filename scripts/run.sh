#!/usr/bin/env bash
# Installs what is missing, builds Tessivo and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target tessivo tessivo-cli
exec ./build/tessivo "$@"
