#!/usr/bin/env bash
# Draws the editor's windows offscreen into docs/images/. With --check it
# draws them elsewhere and fails when any picture differs from docs/images
# (the test Screenshots.AsInTheDocumentation does the same).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vorlmake_screenshots >/dev/null
if [ "${1:-}" = "--check" ]; then
    ctest --test-dir build -R '^Screenshots\.' --output-on-failure
    exit
fi
QT_QPA_PLATFORM=offscreen ./build/bin/vorlmake_screenshots docs/images 2>/dev/null
ls -l docs/images
