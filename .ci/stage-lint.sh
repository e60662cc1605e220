#!/usr/bin/env bash
# Formatting of every C++ file (clang-format, .clang-format) and static
# analysis of the core and the tool (clang-tidy, .clang-tidy), with the compile
# database of a clang configuration in build/lint. Fails on any finding.
set -uo pipefail
cd "$(dirname "$0")/.."
. .ci/lib.sh
need_packages cmake make g++ clang clang-format clang-tidy python3 || exit 1

failed=0

started=$SECONDS
mapfile -t cpp_files < <(find src tests bench fuzz examples \
  -path fuzz/corpus-work -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print 2>/dev/null | sort)
if ! clang-format --dry-run --Werror "${cpp_files[@]}"; then
  echo "lint: files above differ from .clang-format (run clang-format -i on them)"
  failed=1
fi
echo "lint: clang-format checked ${#cpp_files[@]} files in $((SECONDS - started)) s"

started=$SECONDS
if ! cmake -S . -B build/lint -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
     -DCARDSET_BUILD_TESTS=OFF >/dev/null; then
  echo "lint: configuring build/lint failed"
  exit 1
fi
# The sources of src/ that this configuration compiles (not the other platform's).
mapfile -t tidy_files < <(python3 - <<'EOF'
import json, os
root = os.path.realpath("src") + os.sep
for entry in json.load(open("build/lint/compile_commands.json")):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(root):
        print(path)
EOF
)
if [ ${#tidy_files[@]} -eq 0 ]; then
  echo "lint: no source of src/ in build/lint/compile_commands.json"
  exit 1
fi
tidy_log=build/lint/clang-tidy.log
if ! printf '%s\n' "${tidy_files[@]}" |
     xargs -P "$(nproc 2>/dev/null || echo 2)" -n 1 clang-tidy -p build/lint --quiet \
       >"$tidy_log" 2>/dev/null; then
  grep -E '^/.*: (warning|error): ' "$tidy_log" | sort -u
  echo "lint: clang-tidy findings above (full output in $tidy_log)"
  failed=1
fi
echo "lint: clang-tidy checked ${#tidy_files[@]} files in $((SECONDS - started)) s"

exit $failed
