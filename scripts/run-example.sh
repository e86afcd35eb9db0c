#!/usr/bin/env bash
# Builds the tools and packs the bundled numbered sample files of
# examples/sample: VorlList makes the list, vorlcnv packs it into
# out/sample.dat with the C header out/sample.h.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target VorlList vorlcnv >/dev/null
mkdir -p out
./build/bin/VorlList -oout/sample.lst 'examples/sample/???_*'
./build/bin/vorlcnv -p1 -a4 -t2 "-lstatic const unsigned short SampleIndex" -fout/sample.lst \
    -oout/sample.dat -hout/sample.h
echo "list file:   $(pwd)/out/sample.lst"
echo "data file:   $(pwd)/out/sample.dat"
echo "C header:    $(pwd)/out/sample.h"
