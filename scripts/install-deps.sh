#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tessivo needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format ccache
  clang libclang-rt-dev
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  libqt6sql6-sqlite qt6-charts-dev
  libgl-dev
  libcurl4-openssl-dev libicu-dev libmaxminddb-dev libpsl-dev publicsuffix
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libcli11-dev libssl-dev
  python3 fonts-wqy-microhei fonts-noto-cjk opencc
  qt6-translations-l10n
  help2man librsvg2-bin dpkg-dev lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The offline IP-to-country database comes from the npm registry: npm first, where the machine
# has none of its own (Node.js from elsewhere brings its own npm).
if ! command -v npm >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: npm is missing and installing it needs root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends npm
fi
bash "$(dirname "$0")/fetch-ip-data.sh"
