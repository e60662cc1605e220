# Shared by the check stages: installs missing Debian packages and times stages.
# shellcheck shell=bash

apt_updated=0
# need_packages PKG...: installs those of the named Debian packages that are missing.
need_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (install them with apt-get, as root)" >&2
    return 1
  fi
  if [ "$apt_updated" -eq 0 ]; then
    apt-get update -q >/dev/null
    apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

# stage NAME COMMAND...: runs one stage and prints how long it took.
stage() {
  local name=$1
  shift
  local started=$SECONDS
  echo "==> $name"
  "$@"
  local status=$?
  echo "<== $name: $([ $status -eq 0 ] && echo ok || echo FAILED) in $((SECONDS - started)) s"
  return $status
}

jobs_flag() { echo "-j$(nproc 2>/dev/null || echo 2)"; }
