#!/usr/bin/env bash
# The Windows builds: the 64-bit and 32-bit cross-builds with mingw-w64 (both
# with warnings as errors), the whole test suite of the 64-bit build under
# wine64, and a byte-for-byte comparison of the Linux and the Windows build on
# the same inputs and tick counts.
#
# The 32-bit build is compiled (the tool and the core library) but not run:
# Debian's wine64 cannot start 32-bit programs, the i386 wine32 package costs
# minutes to install, and these machines' kernels may run no 32-bit process at
# all. Instead its own objects are checked to hold no x87 instruction (doubles
# must round as with SSE2), and both builds to need no DLL of the compiler's
# runtime.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh

# timed NAME COMMAND...: runs a step, prints how long it took.
timed() {
  local name=$1 started=$SECONDS
  shift
  "$@"
  echo "windows: $name in $((SECONDS - started)) s"
}

# quiet LOG COMMAND...: runs a step with its output in LOG, shown on failure.
quiet() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || {
    cat "$log"
    echo "windows: failed: $*" >&2
    return 1
  }
}

timed "packages" need_packages cmake make g++ libgtest-dev python3 \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64

mkdir -p build
export WINEPREFIX=$PWD/build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# wine keeps a server and a few service processes for the prefix. Started
# once here, kept until the stage ends, and with their output away from the
# tests' pipes (services started by a test would hold its pipe open). The
# prefix is made while the builds run.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true' EXIT
wine_started=$SECONDS
"$wine" wineboot --init </dev/null >build/wineprefix.log 2>&1 &
wineboot_pid=$!

timed "windows build" quiet build/windows.log \
  bash -c 'cmake --preset windows && cmake --build --preset windows "$1"' - "$(jobs_flag)"

# The Linux side of the comparison, the fixed-tick entry: the build-test
# stage's when it is newer than every source, else a build of its own.
linux_entry=build/default/tests/cardset_fixed_tick
if [ ! -x "$linux_entry" ] || [ -n "$(find src tests/support CMakeLists.txt -newer "$linux_entry" -print -quit)" ]; then
  linux_entry=build/linux-for-windows-check/tests/cardset_fixed_tick
  timed "linux build for the comparison" quiet build/linux-for-windows-check.log \
    bash -c 'cmake -S . -B build/linux-for-windows-check -DCMAKE_BUILD_TYPE=Release &&
             cmake --build build/linux-for-windows-check --target cardset_fixed_tick "$1"' - "$(jobs_flag)"
fi
export CARDSET_LINUX_FIXED_TICK=$PWD/$linux_entry
export CARDSET_WINDOWS_FIXED_TICK=$PWD/build/windows/tests/cardset_fixed_tick.exe

wait "$wineboot_pid" || { cat build/wineprefix.log; exit 1; }
echo "windows: wine prefix ready $((SECONDS - wine_started)) s after its start"

# The comparison runs on its own below, where it may not be skipped.
timed "tests under wine" ctest --preset windows "$(jobs_flag)" -E '^e2e[.]test_cross_platform$'

timed "cross-platform comparison" env CARDSET_CROSS_PLATFORM_REQUIRED=1 CARDSET_WINE="$wine" \
  bash -c 'cd tests/e2e && python3 -m unittest -v test_cross_platform'

# Only the tool and the fixed-tick entry: the unit tests cannot run here, and
# compiling them a second time would add a minute to the stage.
timed "windows-32 build" quiet build/windows-32.log \
  bash -c 'cmake --preset windows-32 &&
           cmake --build --preset windows-32 --target cardset cardset_fixed_tick "$1"' - "$(jobs_flag)"

# x87 instructions in our own code would mean doubles rounded to 80 bits.
objects=$(find build/windows-32/src -name '*.obj' | wc -l)
[ "$objects" -gt 0 ] || { echo "windows: no object of the 32-bit build found" >&2; exit 1; }
x87=$(find build/windows-32/src -name '*.obj' -exec i686-w64-mingw32-objdump -d --no-show-raw-insn {} + |
  grep -cE '^ +[0-9a-f]+:[[:space:]]+f[a-z0-9]*[[:space:]]' || true)
if [ "$x87" -ne 0 ]; then
  echo "windows: $x87 x87 instructions in the 32-bit build's own objects" >&2
  exit 1
fi
echo "windows: no x87 instruction in the 32-bit build's $objects own objects"

for build in windows:x86_64 windows-32:i686; do
  exe=build/${build%:*}/src/cardset.exe
  if "${build#*:}-w64-mingw32-objdump" -p "$exe" | grep -iE 'DLL Name: lib(stdc|gcc|winpthread)'; then
    echo "windows: $exe needs a runtime DLL beside it; it must be linked statically" >&2
    exit 1
  fi
done
echo "windows: cardset.exe (64 and 32 bits) needs only system DLLs"
