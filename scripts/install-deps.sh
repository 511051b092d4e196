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
  libcurl4-openssl-dev libicu-dev libmaxminddb-dev libpsl-dev publicsuffix libxml2-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libcli11-dev libssl-dev
  python3 fonts-wqy-microhei fonts-noto-cjk opencc libopencc-dev libopencc-data
  qt6-translations-l10n
  groff-base man-db librsvg2-bin dpkg-dev lintian appstream desktop-file-utils
  systemd
)

# apt-get's own errors scroll by among its other output; a failure ends with what failed and
# where to look.
apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  if ! apt-get update -qq; then
    echo "install-deps: apt-get update failed, so these packages could not be installed: $*" >&2
    echo "install-deps: check the network, any proxy (Acquire::http::Proxy) and the sources in /etc/apt/sources.list and /etc/apt/sources.list.d/, then run this again" >&2
    exit 1
  fi
  if ! apt-get install -y -qq --no-install-recommends "$@"; then
    echo "install-deps: apt-get install failed for: $*" >&2
    echo "install-deps: check the network, any proxy (Acquire::http::Proxy) and that the sources in /etc/apt/sources.list and /etc/apt/sources.list.d/ offer these packages, then run this again" >&2
    exit 1
  fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
  apt_install "${missing[@]}"
fi

# The offline IP-to-country database comes from the npm registry: npm first, where the machine
# has none of its own (Node.js from elsewhere brings its own npm).
if ! command -v npm >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: npm is missing and installing it needs root" >&2
    exit 1
  fi
  apt_install npm
fi
# The database is optional: without it the IP lookup still answers and only its country column
# stays empty ("-", with the reason in its tooltip), so an unreachable registry ends nothing.
status=0
bash "$(dirname "$0")/fetch-ip-data.sh" || status=$?
if ((status == 3)); then
  echo "install-deps: went on without the optional IP-to-country database: Tessivo works without it, only the IP lookup's country column stays empty; once the npm registry can be reached, run bash scripts/fetch-ip-data.sh and build again" >&2
elif ((status != 0)); then
  exit "$status"
fi
