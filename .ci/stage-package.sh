#!/usr/bin/env bash
# Packaging: a release build in build/package, the Debian packages from cpack,
# the tool package installed with apt and run on the English example, the
# manual page rendered without warnings, and the example consumer built
# against the library package unpacked into a scratch prefix. The tool
# package is removed again on every path, so the machine is left as found.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake g++ make dpkg-dev file man-db groff-base

# quiet LOG COMMAND...: runs the command with its output in LOG, shown only on failure.
quiet() {
  local log=$1
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log"
    echo "package: failed: $*"
    return 1
  fi
}

if [ "$(id -u)" -ne 0 ]; then
  echo "package: installing the package with apt needs root" >&2
  exit 1
fi

started=$SECONDS
mkdir -p build/package
quiet build/package/configure.log \
  cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DCARDSET_BUILD_TESTS=OFF
quiet build/package/build.log cmake --build build/package "$(jobs_flag)"
rm -f build/package/*.deb
quiet build/package/cpack.log cpack --config build/package/CPackConfig.cmake -B build/package -G DEB
echo "package: build and cpack in $((SECONDS - started)) s"
for deb in build/package/*.deb; do
  echo "--- $deb"
  dpkg-deb -f "$deb" Package Version Architecture Depends
done

scratch=$(mktemp -d)
was_installed=0
dpkg-query -W -f='${Status}' cardset 2>/dev/null | grep -q 'install ok installed' && was_installed=1
cleanup() {
  if [ "$was_installed" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 remove -y -q cardset >/dev/null 2>&1 || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# apt reads the package as its own user; a copy in the scratch folder keeps the
# notice about an unreadable path out of the log.
chmod 755 "$scratch"
cp build/package/cardset_*.deb "$scratch"/
started=$SECONDS
quiet "$scratch/apt.log" env DEBIAN_FRONTEND=noninteractive \
  apt-get -o DPkg::Lock::Timeout=300 install -y -q "$scratch"/cardset_*.deb
echo "package: apt-get install in $((SECONDS - started)) s"
installed=$(command -v cardset)
[ "$installed" = /usr/bin/cardset ] || { echo "package: cardset installed at '$installed'"; exit 1; }
for file in /usr/share/man/man1/cardset.1 /usr/share/doc/cardset/README.md \
            /usr/share/doc/cardset/guide.md /usr/share/doc/cardset/LICENSE \
            /usr/share/doc/cardset/CHANGELOG.md; do
  [ -f "$file" ] || { echo "package: $file is missing"; exit 1; }
done

# The installed tool on the English example, in a folder of its own.
mkdir "$scratch/run"
cp examples/english/* "$scratch/run"/
status=0
(cd "$scratch/run" && cardset >report.txt) || status=$?
if [ "$status" -ne 0 ] || [ ! -s "$scratch/run/cardset_5.qzt" ] || [ -e "$scratch/run/cardset_6.qzt" ]; then
  echo "package: the installed cardset ended with status $status"
  ls -l "$scratch/run"
  exit 1
fi
reports=$(grep -c '^Set: ' "$scratch/run/report.txt")
[ "$reports" -eq 5 ] || { echo "package: $reports reports instead of 5"; exit 1; }
echo "package: installed cardset wrote 5 set files, status 0"

# The manual page, as installed, renders without a warning.
man_errors=$(MANWIDTH=80 man --warnings -l /usr/share/man/man1/cardset.1 2>&1 >/dev/null)
if [ -n "$man_errors" ]; then
  echo "package: the manual page renders with warnings:"
  echo "$man_errors"
  exit 1
fi
MANWIDTH=80 man -l /usr/share/man/man1/cardset.1 2>/dev/null | grep -q 'EXIT STATUS'
echo "package: manual page renders without warnings"

# The library package, unpacked into a scratch prefix, and a program built on it.
started=$SECONDS
dpkg-deb -x build/package/cardset-dev_*.deb "$scratch/dev"
rm -rf build/consumer
quiet "$scratch/consumer.log" cmake -S examples/consumer -B build/consumer \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$scratch/dev/usr" \
  -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
quiet "$scratch/consumer.log" cmake --build build/consumer
first=$(build/consumer/cardset_consumer examples/english/words.txt 7 4 3 0.1)
second=$(build/consumer/cardset_consumer examples/english/words.txt 7 4 3 0.1)
[ "$first" = "$second" ] || { echo "package: the same seed gave different sets"; exit 1; }
[ "$(grep -c '^(4 cards)$' <<<"$first")" -eq 3 ] || { echo "package: consumer output:"; echo "$first"; exit 1; }
echo "package: consumer built against the library package in $((SECONDS - started)) s"
