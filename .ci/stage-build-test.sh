#!/usr/bin/env bash
# Release build with g++, then every unit and end-to-end test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake g++ make libgtest-dev python3
cmake --preset default >/dev/null
cmake --build --preset default "$(jobs_flag)"
ctest --preset default "$(jobs_flag)"
