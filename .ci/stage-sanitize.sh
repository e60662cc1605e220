#!/usr/bin/env bash
# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang, build/sanitize): every unit test, the fault-injection loops and the
# end-to-end runs of the instrumented tool. Then a short memcheck run of the
# plain tool on the English example and on a failing run.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake make clang libclang-rt-14-dev libgtest-dev python3 valgrind g++

started=$SECONDS
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize "$(jobs_flag)" >build/sanitize/build.log 2>&1 || {
  cat build/sanitize/build.log
  exit 1
}
echo "sanitize: build in $((SECONDS - started)) s"

started=$SECONDS
ctest --preset sanitize "$(jobs_flag)"
echo "sanitize: tests in $((SECONDS - started)) s"

# memcheck needs an uninstrumented tool: the release build of the build-test
# stage when it is there, else the tool alone in build/reliability.
started=$SECONDS
plain=build/default/src/cardset
if [ ! -x "$plain" ]; then
  cmake -S . -B build/reliability -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCARDSET_BUILD_TESTS=OFF >/dev/null
  cmake --build build/reliability --target cardset "$(jobs_flag)" >/dev/null
  plain=build/reliability/src/cardset
fi
plain=$(realpath "$plain")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# memcheck_run NAME EXPECTED_STATUS: runs the tool under memcheck in $scratch/NAME.
memcheck_run() {
  local status=0
  (cd "$scratch/$1" &&
    valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect \
      "$plain" >stdout.txt 2>stderr.txt) || status=$?
  if [ "$status" -ne "$2" ] || [ -s "$scratch/$1/stderr.txt" ]; then
    cat "$scratch/$1/stderr.txt"
    echo "sanitize: memcheck run '$1' ended with status $status (expected $2)"
    return 1
  fi
}
mkdir "$scratch/example" "$scratch/failing"
cp examples/english/* "$scratch/example/"
cp examples/english/* "$scratch/failing/"
mkdir "$scratch/failing/cardset_3.qzt"
memcheck_run example 0
memcheck_run failing 1
echo "sanitize: memcheck of $plain in $((SECONDS - started)) s"
