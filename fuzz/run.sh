#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for SECONDS
# seconds (default 60), seeded from fuzz/seeds/<harness> where there is one.
# New inputs go into build-fuzz/corpus/<harness>, never into the seeds. A
# crash leaves its input in fuzz/findings/ and makes the script fail.
# CI's short run of every harness is scripts/fuzz-smoke.sh.
#   bash fuzz/run.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(fuzz_xml_reader fuzz_legacy_reader fuzz_command_line fuzz_list_file
                                         fuzz_path_exports fuzz_template_expansion fuzz_error_strings fuzz_vorllist
                                         fuzz_pack_reader fuzz_pack_listing fuzz_project_table)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORL_BUILD_FUZZERS=ON \
    -DVORL_BUILD_EDITOR=OFF -DVORL_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${harnesses[@]}" >/dev/null
mkdir -p fuzz/findings
for harness in "${harnesses[@]}"; do
    # Absolute paths: the harnesses work inside a private folder of their own.
    corpus=$root/build-fuzz/corpus/$harness
    mkdir -p "$corpus"
    seeds=$root/fuzz/seeds/$harness
    [ -d "$seeds" ] || seeds=
    echo "== $harness for $seconds s"
    # VORL_FUZZ_RUNS=N runs a number of inputs instead of a time.
    limit=(-max_total_time="$seconds")
    [ -n "${VORL_FUZZ_RUNS:-}" ] && limit=(-runs="$VORL_FUZZ_RUNS")
    "$root"/build-fuzz/bin/"$harness" "${limit[@]}" -print_final_stats=1 -timeout=20 \
        -rss_limit_mb=4096 -artifact_prefix="$root"/fuzz/findings/"$harness"- "$corpus" $seeds 2>&1 |
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|ERROR|SUMMARY|Test unit written' || true
done
# A slow unit is libFuzzer's note on a busy machine, not a finding;
# crashes, leaks, timeouts and out-of-memory inputs are.
if ls fuzz/findings/* 2>/dev/null | grep -qv -- '-slow-unit-'; then
    echo "findings in fuzz/findings/"
    exit 1
fi
