#!/usr/bin/env bash
# Draws the editor's windows offscreen into docs/images/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vorlmake_screenshots >/dev/null
QT_QPA_PLATFORM=offscreen ./build/bin/vorlmake_screenshots docs/images 2>/dev/null
ls -l docs/images
