#!/usr/bin/env bash
# Checks the C++ sources against the repository's .clang-format and app/.clang-tidy,
# without changing them. clang-tidy reads the compile commands of build/cpp and runs
# one process per core; the Windows sources are checked by the cross build only.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-$(nproc)}

find app starter \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run -Werror

[[ -f build/cpp/compile_commands.json ]] || { echo "lint-cpp: build/cpp is not configured (make cpp)" >&2; exit 1; }
set +e
{ find app/src app/tools -name '*.cpp'; find app/platform app/platform/posix app/tests -maxdepth 1 -name '*.cpp'; } |
  sort | xargs -n 1 -P "$jobs" clang-tidy -p build/cpp --quiet --warnings-as-errors='*' 2>&1 |
  grep -v -e '^[0-9]* warnings\{0,1\}\( and [0-9]* errors\{0,1\}\)\{0,1\} generated\.$'
tidy=${PIPESTATUS[2]}
set -e
exit "$tidy"
