#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, makes a release build with Debian's
# hardening flags and no tests in a build folder of its own (default build-package/), packs it
# with CPack (dependencies from dpkg-shlibdeps) and checks the package with lintian.
#   bash scripts/package.sh [BUILD_FOLDER]
# Then, as root: apt-get install ./build-package/tessivo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
bash scripts/install-deps.sh
# install-deps goes on without the IP-to-country database when the npm registry is out of reach;
# a package must hold it.
bash scripts/fetch-ip-data.sh

# The flags a Debian package is built with, every hardening feature on; the build type "None"
# leaves them as they are.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
    -DTESSIVO_BUILD_TESTS=OFF -DTESSIVO_BUILD_BENCH=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/tessivo_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/tessivo_*.deb)
# Lintian's findings go to lintian.log beside the package and on the screen; an error fails.
status=0
lintian --fail-on error "${debs[0]}" >"$build/lintian.log" 2>&1 || status=$?
grep -v 'running with root privileges' "$build/lintian.log" || true
if [ "$status" -ne 0 ]; then
    echo "package: lintian found errors in ${debs[0]}" >&2
    exit 1
fi
echo "package: ${debs[0]}"
