#!/usr/bin/env bash
# CI's short run of every fuzz harness: each is built with clang and run for
# a few seconds from its seeds, so that a harness that no longer builds, that
# does not start, or that fails on its seeds or soon after fails the run. The
# long runs are fuzz/run.sh's.
#   bash scripts/fuzz-smoke.sh [HARNESS...]   (default: every harness)
#   VORL_FUZZ_BUILD=DIR     the build folder (default build-fuzz)
#   VORL_FUZZ_SECONDS=N     seconds for each harness (default 4)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${VORL_FUZZ_BUILD:-build-fuzz}
[[ "$build" = /* ]] || build=$root/$build
seconds=${VORL_FUZZ_SECONDS:-4}
start=$(date +%s)

# Every harness of the fuzz folder, so that a new one is in the run without
# a change here (and one that CMake does not know fails the build below).
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    for source in fuzz/fuzz_*.cpp; do
        harnesses+=("$(basename "$source" .cpp)")
    done
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORL_BUILD_FUZZERS=ON \
    -DVORL_BUILD_EDITOR=OFF -DVORL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${harnesses[@]}" >/dev/null
built=$(date +%s)

# libFuzzer adds what it finds to the first corpus folder: that is a fresh
# one of this run, the seeds only come second and stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=$build/smoke-findings
rm -rf "$findings"
mkdir -p "$findings"
failed=()
for harness in "${harnesses[@]}"; do
    mkdir "$work/$harness"
    corpora=("$work/$harness")
    [ -d "$root/fuzz/seeds/$harness" ] && corpora+=("$root/fuzz/seeds/$harness")
    log=$work/$harness.log
    status=0
    "$build/bin/$harness" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=4096 \
        -artifact_prefix="$findings/$harness-" "${corpora[@]}" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
    if [ "$status" -ne 0 ]; then
        echo "$harness: FAILED (exit $status)"
        tail -n 40 "$log"
        failed+=("$harness")
    else
        echo "$harness: ${runs:-?} inputs, peak ${rss:-?} MB"
    fi
done
echo "fuzz smoke: ${#harnesses[@]} harnesses built in $((built - start)) s, run in $(($(date +%s) - built)) s"
if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]} (inputs in $findings)"
    exit 1
fi
