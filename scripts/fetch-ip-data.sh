#!/usr/bin/env bash
# Puts the offline IP-to-country database in config/ (geo-whois-asn-country.mmdb and its licence
# notice), from one pinned version of the npm package, checked against its known sha256. The
# package is kept in a cache folder, so running this again needs no network. Exits 3 when npm
# cannot fetch the package (no network, a proxy in the way, the registry down).
set -euo pipefail
cd "$(dirname "$0")/.."

package=@ip-location-db/geo-whois-asn-country-mmdb
version=2.3.2026061719
sha256=91757a1b06cdcd1955f292e4c4cfc54e091204f998e159a3187f7a2ef3724be0
tarball=ip-location-db-geo-whois-asn-country-mmdb-$version.tgz
cache=${TESSIVO_DEPS_CACHE:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/tessivo-deps}
database=config/geo-whois-asn-country.mmdb
notice=config/geo-whois-asn-country.LICENSE

verified() {
  [ -f "$cache/$tarball" ] && echo "$sha256  $cache/$tarball" | sha256sum --check --status
}

# The notice names the version it came with.
if [ -f "$database" ] && [ -f "$notice" ] && grep -q "$package $version " "$notice"; then
  exit 0
fi

mkdir -p "$cache"
if ! verified; then
  if ! command -v npm >/dev/null; then
    echo "fetch-ip-data: npm is needed to fetch $package@$version (Debian package npm)" >&2
    exit 1
  fi
  rm -f "$cache/$tarball"
  if ! npm pack --silent "$package@$version" --pack-destination "$cache" >/dev/null; then
    echo "fetch-ip-data: npm could not fetch $package@$version from the registry $(npm config get registry); check the network and any proxy (npm config get https-proxy)" >&2
    exit 3
  fi
  if ! verified; then
    echo "fetch-ip-data: $cache/$tarball does not have the sha256 $sha256; removed it" >&2
    rm -f "$cache/$tarball"
    exit 1
  fi
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
tar -xzf "$cache/$tarball" -C "$unpacked" package/geo-whois-asn-country.mmdb package/NRO_LICENSE
install -m 0644 "$unpacked/package/geo-whois-asn-country.mmdb" "$database"
{
  echo "geo-whois-asn-country.mmdb: $package $version (npm), sha256 of the package $sha256."
  echo "Made by sapics/ip-location-db from the NRO's and the regional registries' statistics"
  echo "and from public geofeeds. The package's own notice:"
  echo
  cat "$unpacked/package/NRO_LICENSE"
  echo
} >"$notice"
echo "fetch-ip-data: $database is $package $version"
