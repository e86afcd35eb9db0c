#!/usr/bin/env bash
# Formats every C and C++ source of the tree with clang-format and the
# root .clang-format. With --check nothing is changed: the run fails and
# names each file that is not formatted (CI runs it so).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files '*.c' '*.cc' '*.cpp' '*.h' '*.hpp')
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run -Werror "${sources[@]}"
    echo "format check: ${#sources[@]} files are formatted"
else
    clang-format -i "${sources[@]}"
fi
