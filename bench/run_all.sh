#!/usr/bin/env bash
# Every benchmark beside its peer from the same run, as one Markdown table: measure, ours, peer,
# ratio, goal, met?
#
# Usage: bench/run_all.sh BUILD_DIR
#
# On a clean clone: `scripts/test.sh` installs what the build needs and builds everything (the
# window and the benchmarks included) into build/; then `bench/run_all.sh build`. The peers are
# Python 3 with its standard library only, a bare Qt window with one label (bench_startup --peer),
# a bare libcurl GET, and OpenCC's `opencc` when it is installed (its rows, those of
# bench/run_opencc_bench.sh among them, are left out otherwise).
# A build without the window (TESSIVO_GUI=OFF) leaves out the window's rows.
# When bench/run_reuse_bench.sh exists it runs too, with BUILD_DIR: each row of the Markdown table
# it prints (scheme, new connection, reused, saving, goal) becomes a row of this one.
#
# Python is PEER_PYTHON, else the system's /usr/bin/python3, else the interpreter that `python3`
# runs: not a version manager's shim, whose own start-up would count in the whole-process rows.
#
# Timings are medians. Where ours and the peer both compute (page text, density, GBK) and where a
# whole process is timed (urlencode, convert), they are CPU time, user + system, which other work
# on a busy machine moves far less than the time on the clock; the ratios move less still, since
# both sides of a row run in turns in the same minute. Start-up, the fetches and the rank search
# wait on the window system or the network, and are timed on the clock; so are the rows of
# bench/run_opencc_bench.sh, whose goal is the time a user waits and which uses both cores.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
[[ $# -eq 1 ]] || { echo "usage: bench/run_all.sh BUILD_DIR" >&2; exit 2; }
build="$(cd "$1" && pwd)"
for program in bench_page_text bench_density_file bench_gbk bench_fetch bench_rank bench_research \
  tessivo-cli; do
  [[ -x "$build/$program" ]] || { echo "$build/$program is missing: build first" >&2; exit 1; }
done
py="${PEER_PYTHON:-/usr/bin/python3}"
[[ -x "$py" ]] || py="$(python3 -c 'import sys; print(sys.executable)')"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
rows="$work/rows.tsv"
: >"$rows"

# row MEASURE OURS PEER RATIO GOAL MET
row() { printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$rows"; }
calc() { python3 -c "print($1)"; }
ms() { calc "'%.1f ms' % ($1 * 1000)"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# middle FILE FIELD: the line of FILE whose FIELD is the median of that field.
middle() { sort -g -k"$2,$2" "$1" | awk '{ l[NR] = $0 } END { print l[int((NR + 1) / 2)] }'; }
# Ours and the peer take turns, three rounds of five runs each, so that a burst of other work on
# the machine falls on both sides and both are as warm.
rounds=3

echo "page text ..." >&2
python3 "$here/make_page.py" "$work/page.html" $((4 * 1024 * 1024))
for ((r = 0; r < rounds; ++r)); do
  "$build/bench_page_text" "$work/page.html" 5 >>"$work/page_ours.txt"
  "$py" "$here/page_text_peer.py" "$work/page.html" 5 >>"$work/page_peer.txt"
done
read -r ours ours_len < <(middle "$work/page_ours.txt" 1)
read -r peer peer_len < <(middle "$work/page_peer.txt" 1)
ratio=$(calc "$peer / $ours")
met=$(calc "'yes' if $ratio >= 15 and $ours_len == $peer_len else 'no'")
row "page text (removeHtml + removeBlank), 4 MB page" "$(ms "$ours")" \
  "$(ms "$peer") (Python re)" "$(calc "'%.1f×' % $ratio")" "≥ 15×, same text length" "$met"

hostile() { python3 -c "open('$work/s.html','w').write('<script x' * ($1 * 1024 // 9))"; }
# Taking turns, five rounds: a single timing of a few milliseconds is easily shaken.
hostile 1024
cp "$work/s.html" "$work/s1.html"
hostile 2048
cp "$work/s.html" "$work/s2.html"
for i in 1 2 3 4 5; do
  "$build/bench_page_text" "$work/s1.html" 15 | cut -d' ' -f1 >>"$work/h1.txt"
  "$build/bench_page_text" "$work/s2.html" 15 | cut -d' ' -f1 >>"$work/h2.txt"
done
ours1=$(median <"$work/h1.txt")
ours2=$(median <"$work/h2.txt")
hostile 8
read -r peer1 _ < <("$py" "$here/page_text_peer.py" "$work/s.html" 1)
hostile 16
read -r peer2 _ < <("$py" "$here/page_text_peer.py" "$work/s.html" 1)
growth=$(calc "$ours2 / $ours1")
row "page text on '<script x' repeated: time for twice the size" \
  "$(calc "'%.1f× (1 MB %.1f ms, 2 MB %.1f ms)' % ($growth, $ours1 * 1000, $ours2 * 1000)")" \
  "$(calc "'%.1f× (8 KB %.0f ms, 16 KB %.0f ms, Python re)' % ($peer2 / $peer1, $peer1 * 1000, $peer2 * 1000)")" \
  "—" "≤ 2.5× (linear)" "$(calc "'yes' if $growth <= 2.5 else 'no'")"

echo "keyword density ..." >&2
python3 -c "open('$work/page.gbk','wb').write(open('$work/page.html',encoding='utf-8',newline='').read().encode('gbk'))"
for ((r = 0; r < rounds; ++r)); do
  "$build/bench_density_file" "$work/page.gbk" 关键词 5 >>"$work/density_ours.txt"
  "$py" "$here/density_peer.py" "$work/page.gbk" 关键词 5 >>"$work/density_peer.txt"
done
read -r ours ours_len ours_n ours_d < <(middle "$work/density_ours.txt" 1)
read -r peer peer_len peer_n peer_d < <(middle "$work/density_peer.txt" 1)
ratio=$(calc "$peer / $ours")
same=$([[ "$ours_len $ours_n $ours_d" == "$peer_len $peer_n $peer_d" ]] && echo 1 || echo 0)
row "keyword density end to end, 4 MB GBK page, fetch excluded" \
  "$(ms "$ours") ($ours_len bytes, $ours_n found, $ours_d)" \
  "$(ms "$peer") ($peer_len bytes, $peer_n found, $peer_d; Python)" \
  "$(calc "'%.1f×' % $ratio")" "≥ 8×, same figures" \
  "$(calc "'yes' if $ratio >= 8 and $same else 'no'")"

echo "GBK ..." >&2
python3 "$here/make_chinese_text.py" "$work/zh.txt" 5000000 "$here/../config/jianti.txt"
python3 -c "open('$work/zh.gbk','wb').write(open('$work/zh.txt',encoding='utf-8').read().encode('gbk'))"
for ((r = 0; r < rounds; ++r)); do
  "$build/bench_gbk" "$work/zh.gbk" 5 >>"$work/gbk_ours.txt"
  "$py" "$here/gbk_peer.py" "$work/zh.gbk" 5 >>"$work/gbk_peer.txt"
done
read -r ours_dec _ ours_units ours_bytes < <(middle "$work/gbk_ours.txt" 1)
read -r _ ours_enc _ _ < <(middle "$work/gbk_ours.txt" 2)
read -r peer_dec _ peer_units peer_bytes < <(middle "$work/gbk_peer.txt" 1)
read -r _ peer_enc _ _ < <(middle "$work/gbk_peer.txt" 2)
size=$(calc "'%.1f MB' % ($(stat -c %s "$work/zh.gbk") / 1e6)")
for what in decode encode; do
  if [[ $what == decode ]]; then o=$ours_dec p=$peer_dec; else o=$ours_enc p=$peer_enc; fi
  ratio=$(calc "$p / $o")
  row "GBK $what, $size" "$(ms "$o")" "$(ms "$p") (Python's gbk codec)" \
    "$(calc "'%.1f×' % $ratio")" "≥ 1×, same lengths" \
    "$(calc "'yes' if $ratio >= 1 and ($ours_units, $ours_bytes) == ($peer_units, $peer_bytes) else 'no'")"
done

echo "urlencode, whole process ..." >&2
# The command only computes, so this is the cost of starting the program (and, for the peer, the
# interpreter) and one GBK step: 200 runs each, in turns.
read -r ours peer same < <("$py" "$here/process_cpu.py" 200 -- "$build/tessivo-cli" urlencode 中文 \
  -- "$py" -c "import urllib.parse;print(urllib.parse.quote('中文'.encode('gbk')))")
ratio=$(calc "$ours / $peer")
row "tessivo-cli urlencode 中文, whole process, CPU time" "$(ms "$ours")" \
  "$(ms "$peer") (Python: urllib.parse.quote of the GBK bytes)" \
  "$(calc "'%.2f× the peer' % $ratio")" "≤ 0.25× the peer, same output" \
  "$(calc "'yes' if $ratio <= 0.25 and '$same' == 'same' else 'no'")"

if [[ -x "$build/bench_startup" ]]; then
  echo "start-up ..." >&2
  for i in 1 2 3 4 5 6 7; do
    QT_QPA_PLATFORM=offscreen "$build/bench_startup" 2>/dev/null >>"$work/ours.txt"
    QT_QPA_PLATFORM=offscreen "$build/bench_startup" --peer 2>/dev/null >>"$work/peer.txt"
    QT_QPA_PLATFORM=offscreen "$build/bench_startup" --peer-zh 2>/dev/null >>"$work/peer_zh.txt"
  done
  ours_t=$(cut -d' ' -f1 "$work/ours.txt" | median)
  peer_t=$(cut -d' ' -f1 "$work/peer.txt" | median)
  ours_kb=$(cut -d' ' -f2 "$work/ours.txt" | median)
  peer_kb=$(cut -d' ' -f2 "$work/peer.txt" | median)
  ratio=$(calc "$ours_t / $peer_t")
  row "window start-up to first paint (offscreen)" "$(ms "$ours_t")" \
    "$(ms "$peer_t") (bare Qt window, one label)" "$(calc "'%.2f× the peer' % $ratio")" \
    "≤ 1.3× the peer" "$(calc "'yes' if $ratio <= 1.3 else 'no'")"
  extra=$(calc "($ours_kb - $peer_kb) / 1024")
  row "resident memory at first paint" "$(calc "'%.1f MB' % ($ours_kb / 1024)")" \
    "$(calc "'%.1f MB' % ($peer_kb / 1024)") (bare Qt window, one label)" \
    "$(calc "'%+.1f MB' % $extra")" "≤ +15 MB" "$(calc "'yes' if $extra <= 15 else 'no'")"
  # The window draws with a CJK face (about 10 MB of mapped font file), the label above with a
  # Latin one; the same label in Chinese in the window's face shows what the window itself adds.
  zh_kb=$(cut -d' ' -f2 "$work/peer_zh.txt" | median)
  extra=$(calc "($ours_kb - $zh_kb) / 1024")
  row "resident memory at first paint, peer showing Chinese in the same face" \
    "$(calc "'%.1f MB' % ($ours_kb / 1024)")" \
    "$(calc "'%.1f MB' % ($zh_kb / 1024)") (bare Qt window, one Chinese label, the window's face)" \
    "$(calc "'%+.1f MB' % $extra")" "≤ +15 MB" "$(calc "'yes' if $extra <= 15 else 'no'")"
else
  echo "no bench_startup (a build without the window): its rows are left out" >&2
fi

# gbench FILE NAME: seconds of benchmark NAME (or NAME/…) in Google Benchmark's JSON output FILE,
# its median when it was repeated.
gbench_json() { "$@" --benchmark_format=json 2>/dev/null; }
gbench() {
  python3 -c "
import json
runs = [b for b in json.load(open('$1'))['benchmarks']
        if b['name'] == '$2' or b['name'].startswith('$2/')]
medians = [b for b in runs if b.get('aggregate_name') == 'median']
b = (medians or runs)[0]
scale = {'ns': 1e-9, 'us': 1e-6, 'ms': 1e-3, 's': 1.0}[b.get('time_unit', 'ns')]
print(b['real_time'] * scale)"
}

echo "fetch, rank, research ..." >&2
gbench_json "$build/bench_fetch" >"$work/fetch.json"
ours=$(gbench "$work/fetch.json" BM_HttpFetchGbk)
peer=$(gbench "$work/fetch.json" BM_BareCurl)
row "HttpFetch of 100 KB from loopback, GBK" "$(ms "$ours")" "$(ms "$peer") (bare libcurl GET)" \
  "$(calc "'%.2f×' % ($peer / $ours)")" "—" "—"

gbench_json "$build/bench_rank" --benchmark_filter='Loopback/20' >"$work/rank.json"
ours=$(gbench "$work/rank.json" BM_SearchLoopback/20)
peer=$(gbench "$work/rank.json" BM_EmptyFetchesLoopback/20)
row "keyword rank search, 23 requests held 20 ms each" "$(ms "$ours")" \
  "$(ms "$peer") (23 fetches of a 10-byte page)" "$(calc "'%.2f×' % ($peer / $ours)")" "—" "—"

gbench_json "$build/bench_research" \
  --benchmark_filter='FrequencyAllA(RestartingSearch)?/text:1048576/keyword:1000' >"$work/research.json"
ours=$(gbench "$work/research.json" BM_FrequencyAllA/text:1048576/keyword:1000)
peer=$(gbench "$work/research.json" BM_FrequencyAllARestartingSearch/text:1048576/keyword:1000)
row "keyword count, 1000 × a in 1 M × a" "$(ms "$ours")" \
  "$(ms "$peer") (indexOf restarted after each find)" "$(calc "'%.0f×' % ($peer / $ours)")" "—" "—"

if command -v opencc >/dev/null; then
  echo "convert ..." >&2
  python3 "$here/make_chinese_text.py" "$work/in.txt" 1000000 "$here/../config/jianti.txt"
  read -r ours peer _ < <("$py" "$here/process_cpu.py" 5 --stdin "$work/in.txt" \
    -- "$build/tessivo-cli" convert s2t -- opencc -c s2t.json -i "$work/in.txt" -o "$work/out.txt")
  row "convert s2t, 1,000,000 characters, whole process, CPU time" "$(ms "$ours")" \
    "$(ms "$peer") (opencc -c s2t.json)" "$(calc "'%.2f×' % ($peer / $ours)")" "—" "—"
fi

if command -v opencc >/dev/null; then
  echo "convert --opencc ..." >&2
  # It fails when the outputs differ; its figures still make the rows, marked not met.
  bash "$here/run_opencc_bench.sh" "$build" >"$work/opencc.txt" || true
  # Its lines: "10 MB, s2twp: tessivo-cli convert --opencc 3.1s   opencc -c s2twp.json 3.2s
  # output identical" and "4 MB page, s2twp: --html 0.9s   its text alone (N bytes) 0.8s".
  python3 - "$work/opencc.txt" >>"$rows" <<'PY'
import re, sys
out = open(sys.argv[1], encoding="utf-8").read()
m = re.search(r"--opencc ([0-9.]+)s\s+opencc -c s2twp.json ([0-9.]+)s\s+output (\w+)", out)
ours, peer, same = float(m[1]), float(m[2]), m[3] == "identical"
print("\t".join([
    "convert --opencc s2twp, 10 MB, whole process, clock", "%.2f s" % ours,
    "%.2f s (opencc -c s2twp.json)" % peer, "%.2f×" % (peer / ours), "≥ 1×, same output",
    "yes" if peer / ours >= 1 and same else "no"]))
m = re.search(r"--html ([0-9.]+)s\s+its text alone \(([0-9]+) bytes\) ([0-9.]+)s", out)
html, size, text = float(m[1]), int(m[2]), float(m[3])
print("\t".join([
    "convert --html --opencc s2twp, 4 MB page, whole process, clock", "%.2f s" % html,
    "%.2f s (its text alone, %.1f MB)" % (text, size / 1e6), "%.2f× the text" % (html / text),
    "< 2× the text", "yes" if html / text < 2 else "no"]))
PY
fi

if [[ -f "$here/run_reuse_bench.sh" ]]; then
  echo "connection reuse ..." >&2
  bash "$here/run_reuse_bench.sh" "$build" >"$work/reuse.txt"
  # Its rows: | scheme | new connection each request | reused within the run | saving | ≥ goal |
  python3 - "$work/reuse.txt" >>"$rows" <<'PY'
import re, sys
lines = [l for l in open(sys.argv[1], encoding="utf-8") if l.startswith("|")][2:]
for line in lines:
    scheme, fresh, reused, saving, goal = [c.strip() for c in line.strip().strip("|").split("|")]
    saved, wanted = (float(re.sub(r"[^0-9.]", "", x)) for x in (saving, goal))
    print("\t".join([
        "keyword rank search over %s, 23 requests, +20 ms a round trip: connections reused" % scheme,
        reused, "%s (a new connection each request)" % fresh, "%s less time" % saving,
        "%s less" % goal, "yes" if saved >= wanted else "no"]))
PY
fi

echo "| measure | ours | peer | ratio | goal | met? |"
echo "|---|---|---|---|---|---|"
sed 's/\t/ | /g; s/^/| /; s/$/ |/' "$rows"
