#!/usr/bin/env bash
# Builds everything from scratch in build/ and runs every test: with no
# locale set, then under the C locale and under Japanese, where every
# program's texts must stay the described ones byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build -j"$(nproc)"
unset_locale=(env -u LANGUAGE -u LC_ALL -u LC_MESSAGES -u LC_CTYPE -u LANG)
"${unset_locale[@]}" ctest --test-dir build --output-on-failure -j"$(nproc)"
for setting in LANG=C LANG=ja_JP.UTF-8; do
    echo "== every test again with $setting"
    "${unset_locale[@]}" "$setting" ctest --test-dir build --output-on-failure -j"$(nproc)"
done
