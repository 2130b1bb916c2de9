#!/usr/bin/env bash
# Times the mojiwa filter as a whole process against nkf, iconv and uconv for the six conversions
# between Shift_JIS, EUC-JP and JIS on ~50 MB files made from the corpus, checks its output
# against the corpus file of the target code, and measures its peak resident size.
#
#   bench/compare.sh [PATH-TO-MOJIWA]     (default: build-bench/tools/mojiwa/mojiwa)
#
# Builds nothing. Environment: SIZE_MB (default 50), RUNS (timed runs per command, default 3),
# MOJIWA_SHARED_DIR (the folder holding corpus/, default ../shared beside the repository).
# Prints Markdown tables; hyperfine's own output goes to the log named at the end.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
mojiwa=${1:-$root/build-bench/tools/mojiwa/mojiwa}
shared=${MOJIWA_SHARED_DIR:-$root/../shared}
size_mb=${SIZE_MB:-50}
runs=${RUNS:-3}

for tool in hyperfine nkf iconv uconv python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed" >&2; exit 1; }
done
[[ -x $mojiwa ]] || { echo "compare.sh: no filter at $mojiwa (build the bench preset)" >&2; exit 1; }
[[ -r $shared/corpus/ja-sjis.txt ]] || { echo "compare.sh: no corpus in $shared" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/mojiwa-compare.XXXXXX")
log=$(mktemp "${TMPDIR:-/tmp}/mojiwa-compare-log.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The same text in each code: as many copies of each corpus file as bring the Shift_JIS one to
# SIZE_MB. Every corpus file ends in the Roman set with an LF, so the copies join cleanly.
sjis_size=$(stat -c %s "$shared/corpus/ja-sjis.txt")
copies=$(((size_mb * 1000000 + sjis_size - 1) / sjis_size))
for code in sjis euc jis; do
  for ((i = 0; i < copies; i++)); do cat "$shared/corpus/ja-$code.txt"; done >"$work/$code.txt"
done

declare -A iconv_name=([sjis]=SHIFT_JIS [euc]=EUC-JP [jis]=ISO-2022-JP)
declare -A uconv_name=([sjis]=Shift_JIS [euc]=EUC-JP [jis]=ISO-2022-JP)
declare -A nkf_in=([sjis]=-S [euc]=-E [jis]=-J)
declare -A nkf_out=([sjis]=-s [euc]=-e [jis]=-j)
declare -A label=([sjis]=Shift_JIS [euc]=EUC-JP [jis]=JIS)

# Peak resident size of one filter run in MB; its output goes to the file $2.
peak_rss() {
  local out=$1
  shift
  /usr/bin/time -f %M -o "$work/rss" "$@" >"$out"
  awk '{ printf "%.1f", $1 / 1024 }' "$work/rss"
}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "Load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Input: $copies copies of each corpus file:" \
  "$(stat -c %s "$work/sjis.txt") bytes Shift_JIS / EUC-JP, $(stat -c %s "$work/jis.txt") bytes JIS;" \
  "median of $runs runs after one warm-up, output to /dev/null"

for from in sjis euc jis; do
  for to in sjis euc jis; do
    [[ $from == "$to" ]] && continue
    in=$work/$from.txt
    rss=$(peak_rss "$work/out" "$mojiwa" --from="$from" --to="$to" "$in")
    if cmp -s "$work/out" "$work/$to.txt"; then same=equal; else same=DIFFERS; fi
    json=$work/$from-$to.json
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$json" --style basic \
      -n mojiwa "$mojiwa --from=$from --to=$to $in" \
      -n nkf "nkf -m0 -x ${nkf_in[$from]} ${nkf_out[$to]} $in" \
      -n iconv "iconv -f ${iconv_name[$from]} -t ${iconv_name[$to]} $in" \
      -n uconv "uconv -f ${uconv_name[$from]} -t ${uconv_name[$to]} $in" >>"$log" 2>&1
    python3 - "$json" "${label[$from]} to ${label[$to]}" "$same" "$rss" "$work" <<'PY'
import json, sys
path, name, same, rss, work = sys.argv[1:]
results = json.load(open(path))["results"]
mark = lambda ok: "" if ok else " (missed)"
def row(t, tail):
    ours = t["mojiwa"]
    x_nkf = t["nkf"] / ours
    x_best = min(t["iconv"], t["uconv"]) / ours
    return (f"| {name} | {ours*1e3:.0f} | {t['nkf']*1e3:.0f} | {t['iconv']*1e3:.0f} "
            f"| {t['uconv']*1e3:.0f} | {x_nkf:.1f}{mark(x_nkf >= 5)} "
            f"| {x_best:.1f}{mark(x_best >= 3)} |{tail}\n")
wall = {r["command"]: r["median"] for r in results}
cpu = {r["command"]: r["user"] + r["system"] for r in results}
with open(f"{work}/wall.md", "a") as out:
    out.write(row(wall, f" {same} | {rss}{mark(float(rss) < 16)} |"))
with open(f"{work}/cpu.md", "a") as out:
    out.write(row(cpu, ""))
PY
  done
done

echo
echo "Wall-clock time, median:"
echo
echo "| conversion | mojiwa ms | nkf -m0 -x ms | iconv ms | uconv ms | x nkf (>= 5) | x best of iconv/uconv (>= 3) | output | peak RSS MB (< 16) |"
echo "|---|---:|---:|---:|---:|---:|---:|---|---:|"
cat "$work/wall.md"
echo
echo "CPU time (user + system), mean; steadier than wall-clock time on a busy machine:"
echo
echo "| conversion | mojiwa ms | nkf -m0 -x ms | iconv ms | uconv ms | x nkf (>= 5) | x best of iconv/uconv (>= 3) |"
echo "|---|---:|---:|---:|---:|---:|---:|"
cat "$work/cpu.md"

# Peak RSS must not grow with the input: four times the file through a pipe, and detection of
# the input code (the filter's default) on the file.
big=$(cat "$work/sjis.txt" "$work/sjis.txt" "$work/sjis.txt" "$work/sjis.txt" | wc -c)
rss_pipe=$(cat "$work/sjis.txt" "$work/sjis.txt" "$work/sjis.txt" "$work/sjis.txt" |
  peak_rss /dev/null "$mojiwa" --from=sjis --to=euc)
rss_auto=$(peak_rss /dev/null "$mojiwa" --to=euc "$work/sjis.txt")
rss_small=$(peak_rss /dev/null "$mojiwa" --from=sjis --to=euc "$shared/corpus/ja-sjis.txt")
echo
echo "| peak RSS of mojiwa, Shift_JIS to EUC-JP | MB |"
echo "|---|---:|"
echo "| $sjis_size bytes (one corpus file) | $rss_small |"
echo "| $(stat -c %s "$work/sjis.txt") bytes, input code detected | $rss_auto |"
echo "| $big bytes through a pipe | $rss_pipe |"
echo
echo "Load at end: $(cut -d' ' -f1-3 /proc/loadavg). hyperfine output: $log"
