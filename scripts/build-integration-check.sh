#!/usr/bin/env bash
# vorl_add_pack in real builds, with the Ninja and the Unix Makefiles
# generators, against a tree installed with `cmake --install`: the first
# build packs; the second has nothing to do; changing an input re-packs;
# touching one without changing its bytes re-packs but recompiles nothing;
# a new file that a wildcard entry now picks re-packs; a deleted input makes
# the build run the pack again and fail with the library's message.
set -Eeuo pipefail
trap 'echo "build-integration-check: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
cmake --install build --prefix "$work/prefix" >/dev/null

expect() {  # expect <what> <log> <pattern>: the build log shows the pattern
    grep -q -- "$3" "$2" || { echo "expected $1 (\"$3\"):"; cat "$2"; exit 1; }
}
expect_not() {
    ! grep -q -- "$3" "$2" || { echo "did not expect $1 (\"$3\"):"; cat "$2"; exit 1; }
}

for generator in Ninja "Unix Makefiles"; do
    echo "== $generator"
    project=$work/game-${generator// /-}
    cp -r tests/build_integration "$project"
    build=$project/build
    log=$work/log
    cmake -S "$project" -B "$build" -G "$generator" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
    run_build() { cmake --build "$build" >"$log" 2>&1; }

    run_build
    expect "the first build to pack" "$log" "Packing game_assets"
    [[ "$("$build/game")" == *" entries" ]]

    run_build
    expect_not "a second build to pack" "$log" "Packing"
    expect_not "a second build to compile" "$log" "Building C object"

    sleep 1.1  # time stamps of one second on some file systems
    printf 'JUMP-LONGER' > "$project/sounds/jump.bin"
    run_build
    expect "a changed input to re-pack" "$log" "Packing game_assets"
    expect "a changed index to recompile the game" "$log" "Building C object"
    grep -q 'JUMP-LONGER' "$build/assets.dat"

    sleep 1.1
    header_stamp=$(stat -c %Y "$build/assets.h")
    touch "$project/sprites/enemy.bin"
    run_build
    expect "a touched input to re-pack" "$log" "Packing game_assets"
    expect_not "an unchanged header to recompile anything" "$log" "Building C object"
    [ "$(stat -c %Y "$build/assets.h")" = "$header_stamp" ]

    sleep 1.1
    printf 'HERO-A' > "$project/sprites/hero_a.bin"  # now the first match of hero*
    run_build
    expect "a new file a wildcard picks to re-pack" "$log" "Packing game_assets"
    cmp <(head -c 6 "$build/assets.dat") <(printf 'HERO-A')

    rm "$project/sprites/enemy.bin"
    if run_build; then
        echo "a build without an input succeeded"; cat "$log"; exit 1
    fi
    expect "a deleted input to re-run the pack" "$log" "enemy.bin: ファイルが見つかりませんでした。 (error 9)"
    expect_not "make to stop at the deleted input" "$log" "No rule to make target"
    expect_not "ninja to stop at the deleted input" "$log" "missing and no known rule"
    echo "first build packs, second has nothing to do, inputs changed, touched, added and deleted behave"
done
echo
echo "build integration check passed"
