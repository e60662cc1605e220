#!/usr/bin/env bash
# Builds the benchmarks and runs each once, briefly, so they cannot rot.
# The figures printed here mean nothing: the whole-tool comparison is
# bench/compare.sh, run by hand (it takes minutes and gigabytes).
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake g++ make libbenchmark-dev

started=$SECONDS
cmake --preset bench >/dev/null
cmake --build --preset bench "$(jobs_flag)"
echo "bench build: $((SECONDS - started)) s"

started=$SECONDS
for bench in build/bench/bench/cardset_bench_*; do
  [ -x "$bench" ] || continue
  echo "-- $bench"
  # The slow one-step walk at probability 0 runs its small shape only.
  "$bench" --benchmark_min_time=0.01 --benchmark_filter='-one_step_walk/p_0/10000' >/dev/null
done
# The write baseline: three lines in, three CR LF lines out.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'a\nb\nc\n' >"$scratch/deck.txt"
build/bench/bench/cardset_write_baseline "$scratch/deck.txt" "$scratch/out.qzt" 3
[ "$(cat "$scratch/out.qzt")" = "$(printf 'a\r\nb\r\nc\r')" ]
echo "bench runs: $((SECONDS - started)) s"
