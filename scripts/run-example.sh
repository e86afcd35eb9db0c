#!/usr/bin/env bash
# Builds the library and packs the bundled sample files of examples/sample
# into out/sample.dat with the C header out/sample.h.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target pack_sample >/dev/null
mkdir -p out
./build/bin/pack_sample examples/sample out/sample.dat out/sample.h
echo "data file:   $(pwd)/out/sample.dat ($(stat -c %s out/sample.dat) bytes)"
echo "C header:    $(pwd)/out/sample.h ($(stat -c %s out/sample.h) bytes)"
