#!/usr/bin/env bash
# libFuzzer targets (clang, ASan+UBSan, build/fuzz): first every kept input of
# fuzz/corpus/<target>/ once, as regression cases, then each target for
# CARDSET_FUZZ_SECONDS (60) seconds, both at once on the two cores. Any crash,
# leak, sanitizer report, difference from the simple reading, or input slower
# than 10 s fails the stage; what was found is kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake make clang libclang-rt-14-dev

seconds=${CARDSET_FUZZ_SECONDS:-60}
targets=(fuzz_settings fuzz_deck)
declare -A max_len=([fuzz_settings]=4096 [fuzz_deck]=6000)

started=$SECONDS
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz "$(jobs_flag)" >build/fuzz/build.log 2>&1 || {
  cat build/fuzz/build.log
  exit 1
}
echo "fuzz: build in $((SECONDS - started)) s"

bin=build/fuzz/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"

for target in "${targets[@]}"; do
  if ! "$bin/$target" -runs=0 "fuzz/corpus/$target" >"$findings/$target-replay.log" 2>&1; then
    tail -n 40 "$findings/$target-replay.log"
    echo "fuzz: $target fails on its kept corpus"
    exit 1
  fi
done
echo "fuzz: kept corpora replayed"

started=$SECONDS
declare -A pids
for target in "${targets[@]}"; do
  work=build/fuzz/corpus-work/$target
  mkdir -p "$work"
  "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${max_len[$target]}" -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$work" "fuzz/corpus/$target" \
    >"$findings/$target.log" 2>&1 &
  pids[$target]=$!
done
failed=0
for target in "${targets[@]}"; do
  if wait "${pids[$target]}"; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$target.log")
    added=$(sed -n 's/^stat::new_units_added: *//p' "$findings/$target.log")
    echo "fuzz: $target: ${runs:-?} inputs, ${added:-?} new, no finding"
  else
    grep -v '^#' "$findings/$target.log" | tail -n 60
    echo "fuzz: $target FOUND a fault; inputs kept in $findings/:"
    ls "$findings" | grep -E "^$target-(crash|leak|timeout|oom|slow-unit)-" || true
    failed=1
  fi
done
echo "fuzz: fuzzing in $((SECONDS - started)) s"
exit $failed
