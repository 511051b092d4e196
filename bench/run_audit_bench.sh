#!/usr/bin/env bash
# The audit against wget2 --spider -r and linkchecker on the same generated site: PAGES static
# pages (default 100,000; about 20 KB each, about 40 links, some Chinese; bench/make_audit_site.py)
# served by Debian's nginx on 127.0.0.1, so that the server is not what limits. Each crawler
# starts at /p/0.html and reads the whole site; linkchecker, about a hundred times slower, reads
# a site of LINKCHECKER_PAGES (default 1,000) instead. Prints pages a second, CPU per page and the
# largest resident memory of each, and the ratios.
# Needs nginx, wget2 and linkchecker (apt-get install -y nginx wget2 linkchecker); the tests do
# not, so scripts/install-deps.sh leaves them out.
# Usage: bench/run_audit_bench.sh [BUILD_DIR] [PAGES] [LINKCHECKER_PAGES]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/nginx_sites.sh"
build="$(cd "${1:-$here/../build}" && pwd)"
pages="${2:-100000}"
checked="${3:-1000}"
for tool in nginx wget2 linkchecker; do
  command -v "$tool" >/dev/null || { echo "run_audit_bench: $tool is missing (apt-get install -y nginx wget2 linkchecker)" >&2; exit 1; }
done
work="$(mktemp -d)"
cleanup() {
  [[ -f "$work/nginx.pid" ]] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# nginx's workers run as another user, who must read the site.
chmod 755 "$work"

python3 "$here/make_audit_site.py" "$work/site" "$pages"
python3 "$here/make_audit_site.py" "$work/small" "$checked"
port="$(free_port)"
# The small site on a server of its own: its links name paths from the root, as the big one's do.
small_port="$(free_port)"
serve_sites "$work" "$port" "$work/site" "$small_port" "$work/small"
for _ in $(seq 50); do curl -sf "http://127.0.0.1:$port/p/0.html" >/dev/null && break; sleep 0.1; done
site="http://127.0.0.1:$port/p/0.html"

# SECONDS CPU_SECONDS MEGABYTES of one run.
run() { python3 "$here/time_rss.py" 1 "$@"; }
report() { # NAME PAGES SECONDS CPU MB
  python3 -c "print('%-12s %8d pages %8.1f s %9.0f pages/s %7.3f ms CPU a page %7.1f MB' % ('$1', $2, $3, $2 / $3, $4 * 1000 / $2, $5))"
}

export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$HOME"
read -r ours_s ours_cpu ours_mb < <(run "$build/tessivo-cli" --no-history audit "$site" \
  --rate 0 --concurrency 16 --max-pages "$pages" --format json --out "$work/audit.json")
ours_pages="$(python3 -c "import json; print(len(json.load(open('$work/audit.json'))['pages']))")"
# wget2 exits 8 when any answer was an error (the robots.txt and favicon that are not there).
read -r wget_s wget_cpu wget_mb < <(run sh -c 'wget2 "$@"; exit 0' wget2 --spider -r -l inf \
  --max-threads 16 --robots=off -o "$work/wget2.log" "$site")
wget_pages="$(grep -c "Checking 'http" "$work/wget2.log" || true)"
small="http://127.0.0.1:$small_port/p/0.html"
read -r lc_s lc_cpu lc_mb < <(run sh -c 'linkchecker "$@"; exit 0' linkchecker --no-status \
  --no-warnings -t 16 -o none "$small")

report tessivo "$ours_pages" "$ours_s" "$ours_cpu" "$ours_mb"
report wget2 "$wget_pages" "$wget_s" "$wget_cpu" "$wget_mb"
report linkchecker "$checked" "$lc_s" "$lc_cpu" "$lc_mb"
python3 -c "
ours = $ours_pages / $ours_s
print('tessivo / wget2: %.2f; tessivo / linkchecker: %.1f' % (ours / ($wget_pages / $wget_s), ours / ($checked / $lc_s)))"
