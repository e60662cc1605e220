#!/usr/bin/env bash
# Measures the whole tool against plain baselines, side by side in one run,
# on decks generated in a scratch folder, and prints every figure with its
# ratio. Machines here are shared and noisy: only the ratios mean much.
#
#   bench/compare.sh            the full figures and docs/performance.png
#   bench/compare.sh --quick    small decks, one run each, no plot kept
#
# Needs cmake, g++, libbenchmark-dev, python3, GNU time (package time),
# coreutils (wc, shuf, seq) and gnuplot (gnuplot-nox). Each measurement runs
# in a scratch folder holding config.txt; the tool reads nothing else there.
# The tool and its baseline run in turn; wall times are medians, peak memory
# the largest resident size.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

quick=0
[ "${1:-}" = "--quick" ] && quick=1
work=${CARDSET_BENCH_WORK:-$root/build/perf-work/compare}
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

if [ "$quick" -eq 1 ]; then
  runs=1; big_runs=1; load_sizes="100000 1000000"; words_lines=100000
  write_lines=100000; shuf_lines=1000000; walk_filter='walk/p_0/1000/700$'
else
  runs=5; big_runs=5; load_sizes="100000 1000000 10000000 100000000"; words_lines=5000000
  write_lines=1000000; shuf_lines=10000000; walk_filter='walk/p_0/10000/7000$'
fi

echo "== building (build/perf: the tool, Release; build/bench: benchmarks)"
[ -f build/perf/CMakeCache.txt ] || cmake -S . -B build/perf -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/perf --target cardset -j"$(nproc)" >/dev/null
cmake --preset bench >/dev/null
cmake --build build/bench -j"$(nproc)" >/dev/null
tool=$root/build/perf/src/cardset
measure="python3 $root/bench/measure.py"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "== generating decks in $work"
mkdir -p "$work/decks"
for n in $load_sizes $write_lines $shuf_lines; do
  [ -f "$work/decks/seq_$n.txt" ] || seq 1 "$n" >"$work/decks/seq_$n.txt"
done
python3 - "$words_lines" "$work/decks/words.txt" <<'PY'
import random, sys
words = ("apple pear plum quince cherry fig damson medlar sloe rowan elder haw "
         "bramble bilberry cloudberry lingonberry gooseberry whitecurrant").split()
rng = random.Random(1)
with open(sys.argv[2], "w") as out:
    out.writelines(" ".join(rng.choices(words, k=rng.randint(3, 12))) + "\n"
                   for _ in range(int(sys.argv[1])))
PY

# scratch NAME DECK SETTINGS...: a folder holding config.txt for one measurement.
scratch() {
  local dir=$work/run/$1
  mkdir -p "$dir"
  echo "$2 ${*:3}" >"$dir/config.txt"
  echo "$dir"
}

results=$work/results.txt
: >"$results"
# row FIGURE TOOL_RESULT BASELINE_NAME BASELINE_RESULT TARGET
row() { echo "$1|$2|$3|$4|$5" >>"$results"; }

echo "== load: tool with set_count 0 against wc -l, warm cache"
plot_data=$work/load.dat
: >"$plot_data"
for n in $load_sizes; do
  deck=$work/decks/seq_$n.txt
  cat "$deck" >/dev/null
  dir=$(scratch "load_$n" "$deck" 0.5 0 0)
  r=$([ "$n" -ge 10000000 ] && echo "$big_runs" || echo "$runs")
  both=$($measure "$r" "$dir" "$tool" --versus wc -l "$deck")
  got=${both% * *}; base=${both#* * }
  bytes=$(stat -c %s "$deck")
  row "load seq 1 $n" "$got" "wc -l" "$base" 3
  # Peak memory against the budget: 1.1 x the file + 5 bytes a card + 32 MiB.
  budget_kib=$(python3 -c "print(round((1.1 * $bytes + 5 * $n + 32 * 2**20) / 1024))")
  row "load seq 1 $n: peak memory" "0 ${got#* }" "budget" "0 $budget_kib" 1
  echo "$n ${got% *} $(python3 -c "print(${got#* } / 1024)") ${base% *}" >>"$plot_data"
done
deck=$work/decks/words.txt
cat "$deck" >/dev/null
dir=$(scratch load_words "$deck" 0.5 0 0)
both=$($measure "$big_runs" "$dir" "$tool" --versus wc -l "$deck")
got=${both% * *}; base=${both#* * }
row "load words, $words_lines lines" "$got" "wc -l" "$base" 3

echo "== walk: deal_set against deal_set_one_step at draw_probability 0 (Google Benchmark)"
python3 - "$work/walk.json" "$results" <<PY
import json, subprocess, sys
subprocess.run(["$root/build/bench/bench/cardset_bench_walk", "--benchmark_filter=$walk_filter",
                "--benchmark_repetitions=$big_runs", "--benchmark_report_aggregates_only=true",
                "--benchmark_format=json", "--benchmark_out=" + sys.argv[1]],
               check=True, stdout=subprocess.DEVNULL)
times = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name", "median") == "median" or "aggregate_name" not in b:
        times[b["name"].split("/")[0]] = b["real_time"] * {"ms": 1e-3, "us": 1e-6, "ns": 1e-9}[b["time_unit"]]
shape = "$walk_filter".split("/", 2)[2].rstrip("$").replace("/", " cards, set of ")
with open(sys.argv[2], "a") as out:
    out.write(f"walk p=0, deck {shape} (in process)|{times['fast_walk']:.4f} 0|deal_set_one_step|"
              f"{times['one_step_walk']:.4f} 0|0.2\n")
PY

echo "== writing: $write_lines drawn lines against one write(2) per line (both include loading)"
deck=$work/decks/seq_$write_lines.txt
dir=$(scratch write "$deck" 1 "$write_lines" 1)
both=$($measure "$runs" "$dir" "$tool" --versus "$root/build/bench/bench/cardset_write_baseline" "$deck" baseline.qzt "$write_lines")
got=${both% * *}; base=${both#* * }
cmp -s "$dir/cardset_1.qzt" "$dir/baseline.qzt" || { echo "the set file differs from the baseline's bytes" >&2; exit 1; }
row "write $write_lines lines, p=1" "$got" "write(2) loop" "$base" 1.2

echo "== against shuf: 20 sets of 1000 at draw_probability 0.5 against 20 runs of shuf -n 1000"
deck=$work/decks/seq_$shuf_lines.txt
cat "$deck" >/dev/null
dir=$(scratch shuf "$deck" 0.5 1000 20)
both=$($measure "$runs" "$dir" "$tool" --versus bash -c "for i in \$(seq 20); do shuf -n 1000 '$deck' >/dev/null; done")
got=${both% * *}; base=${both#* * }
row "20 sets of 1000 from $shuf_lines lines" "$got" "20 x shuf -n 1000" "$base" 0.1

echo
python3 - "$results" <<'PY'
import sys
print("| figure | tool s | tool MiB | baseline | baseline s | baseline MiB | ratio | target | holds |")
print("|---|---:|---:|---|---:|---:|---:|---:|---|")
for line in open(sys.argv[1]):
    figure, tool, name, base, target = line.rstrip("\n").split("|")
    (t_s, t_k), (b_s, b_k) = (map(float, tool.split()), map(float, base.split()))
    if "peak memory" in figure:
        ratio = t_k / b_k
        cells = ["", f"{t_k / 1024:.0f}", name, "", f"{b_k / 1024:.0f}"]
    else:
        ratio = t_s / b_s
        mib = lambda k: f"{k / 1024:.1f}" if k else ""
        cells = [f"{t_s:.3f}", mib(t_k), name, f"{b_s:.3f}", mib(b_k)]
    holds = "yes" if ratio <= float(target) else "NO"
    print(f"| {figure} | " + " | ".join(cells) + f" | {ratio:.3f} | {target} | {holds} |")
PY

plot=$root/docs/performance.png
[ "$quick" -eq 1 ] && plot=$work/performance.png
gnuplot <<GP
set terminal png size 900,560 noenhanced
set output '$plot'
set title 'Loading seq 1 N with set_count 0 (median wall time, peak memory)'
set logscale xy
set xlabel 'deck size (lines)'
set ylabel 'wall time (s)'
set y2label 'peak memory (MiB)'
set logscale y2
set ytics nomirror
set y2tics
set key top left
set grid
plot '$plot_data' using 1:2 with linespoints title 'cardset load time', \
     '$plot_data' using 1:4 with linespoints title 'wc -l time', \
     '$plot_data' using 1:3 axes x1y2 with linespoints title 'cardset peak memory'
GP
echo "plot: $plot"
