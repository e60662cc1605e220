#!/usr/bin/env bash
# The Windows builds: 64-bit and 32-bit cross-builds with mingw-w64, the whole
# test suite of the 64-bit build under wine64, and a byte-for-byte comparison
# of the Linux and the Windows build on the same inputs and tick count.
# Debian's wine64 alone cannot start 32-bit programs (that needs the i386
# wine32 package), so the 32-bit build is compiled with warnings as errors but
# its tests are not run.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake make g++ libgtest-dev python3 \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64

export WINEDEBUG=-all
export WINEPREFIX=$PWD/build/wineprefix
mkdir -p "$WINEPREFIX"

for preset in windows windows-32; do
  started=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" "$(jobs_flag)" >"build/$preset.log" 2>&1 || {
    cat "build/$preset.log"
    exit 1
  }
  echo "windows: $preset build in $((SECONDS - started)) s"
done

started=$SECONDS
ctest --preset windows "$(jobs_flag)"
echo "windows: tests under wine in $((SECONDS - started)) s"

# The comparison needs the Linux build too; the build-test stage made it.
if [ ! -x build/default/tests/cardset_fixed_tick ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target cardset_fixed_tick "$(jobs_flag)" >/dev/null
fi
started=$SECONDS
(cd tests/e2e && python3 -m unittest -v test_cross_platform 2>&1) | tee build/cross-platform.log
grep -q '^OK$' build/cross-platform.log && ! grep -q 'skipped' build/cross-platform.log || {
  echo "windows: the cross-platform comparison did not run or failed"
  exit 1
}
echo "windows: cross-platform comparison in $((SECONDS - started)) s"
