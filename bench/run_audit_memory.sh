#!/usr/bin/env bash
# The audit's largest resident memory when its crawl has found a million addresses: a site of
# PAGES pages (default 25,000; bench/make_audit_tree.py), each linking to 40 new ones, served
# by Debian's nginx on 127.0.0.1, crawled with --max-pages PAGES, so that 40·PAGES+1 addresses
# are found and all but PAGES of them wait in the frontier when the crawl ends. Given a second
# build folder, its tessivo-cli is measured on the same site in the same run.
# Needs nginx (apt-get install -y nginx).
# Usage: bench/run_audit_memory.sh [BUILD_DIR] [PAGES] [OTHER_BUILD_DIR]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/nginx_sites.sh"
build="$(cd "${1:-$here/../build}" && pwd)"
pages="${2:-25000}"
other="${3:-}"
command -v nginx >/dev/null || { echo "run_audit_memory: nginx is missing (apt-get install -y nginx)" >&2; exit 1; }
work="$(mktemp -d)"
cleanup() {
  [[ -f "$work/nginx.pid" ]] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
python3 "$here/make_audit_tree.py" "$work/site" "$pages"
port="$(free_port)"
serve_sites "$work" "$port" "$work/site"
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/t/0.html" >/dev/null && break; sleep 0.1; done
export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME"
measure() { # NAME BUILD
  read -r s cpu mb < <(python3 "$here/time_rss.py" 1 "$2/tessivo-cli" --no-history audit \
    "http://127.0.0.1:$port/t/0.html" --rate 0 --concurrency 16 --max-pages "$pages" \
    --format json --out "$work/$1.json")
  found="$(python3 -c "import json; d=json.load(open('$work/$1.json')); print(len(d['pages']), d['stopped_by'])")"
  echo "$1: $s s, $mb MB largest resident memory, pages and bound: $found, addresses found: $((40 * pages + 1))"
}
measure ours "$build"
[[ -n "$other" ]] && measure other "$(cd "$other" && pwd)"
exit 0
