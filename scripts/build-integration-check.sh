#!/usr/bin/env bash
# vorl_add_pack in real builds, with the Ninja and the Unix Makefiles
# generators, against a tree installed with `cmake --install`, from a
# source tree that the build may only read, built by an unprivileged user
# (nobody, when this runs as root). The game of tests/build_integration
# packs in every way the function offers (a list, a list made on Windows,
# FILES, GLOB, a project); each step says which packs must run:
#   a fresh build packs all; the next has nothing to do; a touched input
#   re-packs once and recompiles nothing; changed bytes re-pack and
#   recompile; a new wildcard or GLOB match and a skipped file that appears
#   re-pack; a deleted input fails the build every time, not only once; an
#   deleted output is made again; an upgraded vorlcnv re-packs; install()
#   takes a pack through its property.
# Then every argument vorl_add_pack refuses is refused when the build is
# configured, with its message. Finally the example game of examples/game
# is built as a user would.
set -Eeuo pipefail
trap 'echo "build-integration-check: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
repo=$PWD
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
cmake --install build --prefix "$work/prefix" >/dev/null

# Builds run as nobody when this runs as root, else as the user: either
# way the source tree is not theirs to write.
builder=()
if [ "$(id -u)" = 0 ]; then
    builder=(setpriv --reuid=65534 --regid=65534 --clear-groups env "HOME=$work/home")
fi
as_builder() { "${builder[@]}" "$@"; }
builder_folder() {  # a folder the builder may write
    mkdir -p "$1"
    if [ "${#builder[@]}" -gt 0 ]; then chown 65534:65534 "$1"; fi
}
builder_folder "$work/home"

expect() {  # expect <what> <log> <pattern>: the log shows the pattern
    grep -q -- "$3" "$2" || { echo "expected $1 (\"$3\"):"; cat "$2"; exit 1; }
}
expect_not() {
    ! grep -q -- "$3" "$2" || { echo "did not expect $1 (\"$3\"):"; cat "$2"; exit 1; }
}
# expect_packs <what> <log> <names...>: exactly these packs ran
expect_packs() {
    local what=$1 log=$2
    shift 2
    local ran wanted
    ran=$(grep -o 'Packing [a-z_]*' "$log" | sed 's/Packing //' | sort -u | tr '\n' ' ' || true)
    wanted=$(printf '%s\n' "$@" | sed '/^$/d' | sort -u | tr '\n' ' ')
    [ "$ran" = "$wanted" ] || { echo "$what: expected packs [$wanted], ran [$ran]:"; cat "$log"; exit 1; }
}
all_packs=(game_assets windows_list named_files globbed_sprites level)

for generator in Ninja "Unix Makefiles"; do
    echo "== $generator"
    project=$work/game-${generator// /-}
    cp -r tests/build_integration "$project"
    chmod -R a-w "$project"
    # The harness alone changes the sources, between builds.
    edit() { chmod -R u+w "$project"; "$@"; chmod -R a-w "$project"; }
    build=$work/build-${generator// /-}
    builder_folder "$build"
    log=$work/log
    as_builder cmake -S "$project" -B "$build" -G "$generator" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
    run_build() { as_builder cmake --build "$build" >"$log" 2>&1; }

    run_build
    expect_packs "the first build" "$log" "${all_packs[@]}"
    [ "$(as_builder "$build/game")" = "4 assets, 5 files, 4 levels" ]
    grep -q 'SPRITE-0' "$build/packs/windows.dat"  # backslash names from Windows found
    [ -d "$build/vorl-cache" ]

    run_build
    expect_packs "a second build" "$log"
    expect_not "a second build to compile" "$log" "Building C object"

    sleep 1.1  # time stamps of one second on some file systems
    edit touch "$project/sounds/jump.bin"
    run_build
    expect_packs "a touched input (bytes unchanged)" "$log" game_assets windows_list named_files level
    expect_not "an unchanged header to recompile anything" "$log" "Building C object"
    run_build
    expect_packs "the build after the touched input's" "$log"

    sleep 1.1
    edit sh -c 'printf "ENEMY-LONGER" > "$1"' - "$project/sprites/enemy.bin"
    run_build
    expect_packs "changed bytes" "$log" game_assets level
    expect "a changed index to recompile the game" "$log" "Building C object"
    grep -q 'ENEMY-LONGER' "$build/packs/assets.dat"

    sleep 1.1
    edit sh -c 'printf "HERO-A" > "$1"' - "$project/sprites/hero_a.bin"  # now the first match of hero*
    run_build
    expect_packs "a new file a wildcard entry picks" "$log" game_assets
    cmp <(head -c 6 "$build/packs/assets.dat") <(printf 'HERO-A')

    sleep 1.1
    edit sh -c 'printf "SPRITE-3" > "$1"' - "$project/ソース/sprites/sprite 003.png"
    run_build
    # The Windows list watches the folder of its missing entry.
    expect_packs "a new file GLOB matches" "$log" globbed_sprites windows_list
    grep -q 'SPRITE-3' "$build/packs/sprites.dat"

    sleep 1.1
    edit sh -c 'printf "LATER" > "$1"' - "$project/ソース/sprites/later.png"
    run_build
    expect_packs "a skipped file that appears" "$log" globbed_sprites windows_list
    grep -q 'LATER' "$build/packs/windows.dat"
    run_build
    expect_packs "the build after the skipped file's" "$log"

    edit mv "$project/sprites/enemy.bin" "$work/enemy.bin"
    for attempt in first second; do
        if run_build; then
            echo "the $attempt build without an input succeeded"; cat "$log"; exit 1
        fi
        expect "the deleted input's message" "$log" "enemy.bin: ファイルが見つかりませんでした。 (error 9)"
        expect_not "make to stop at the deleted input" "$log" "No rule to make target"
        expect_not "ninja to stop at the deleted input" "$log" "missing and no known rule"
    done
    edit mv "$work/enemy.bin" "$project/sprites/enemy.bin"
    run_build

    rm "$build/packs/files.dat"  # an output deleted by hand is made again
    run_build
    expect_packs "a deleted output" "$log" named_files
    [ -s "$build/packs/files.dat" ]

    sleep 1.1
    touch "$work/prefix/bin/vorlcnv"  # as an upgrade puts a new one in place
    run_build
    expect_packs "an upgraded vorlcnv" "$log" "${all_packs[@]}"
    run_build
    expect_packs "the build after the upgrade's" "$log"

    as_builder cmake --install "$build" --prefix "$build/installed" >/dev/null
    cmp "$build/installed/share/packed-game/windows.dat" "$build/packs/windows.dat"
    cmp "$build/installed/share/packed-game/sprites.idx" "$build/packs/sprites.idx"

    # The build wrote nothing into the source tree.
    stray=$(cd "$project" && find . -name 'vorl*' -o -name '*.tmp' -o -name '*.d')
    [ -z "$stray" ] || { echo "the build wrote into the source tree: $stray"; exit 1; }
    chmod -R u+w "$project"
    echo "fresh, no-op, touched, changed, new matches, skipped file appearing, deleted input and output, upgrade, install: as expected"
done

echo "== arguments refused when the build is configured"
refusal=$work/refusal
mkdir -p "$refusal/sprites"
printf 'S' > "$refusal/sprites/a.bin"
printf 'sprites/a.bin\n' > "$refusal/assets.lst"
cp tests/build_integration/level.vorlprj "$refusal/level.vorlprj"
# refused <call> <message>: configuring a project with the call fails with the message
refused() {
    printf 'cmake_minimum_required(VERSION 3.22)\nproject(Refusal NONE)\nfind_package(VorlCnv CONFIG REQUIRED)\n%s\n' \
        "$1" > "$refusal/CMakeLists.txt"
    rm -rf "$refusal/build"
    if cmake -S "$refusal" -B "$refusal/build" -DCMAKE_PREFIX_PATH="$work/prefix" >"$log" 2>&1; then
        echo "configured, but should refuse: $1"; exit 1
    fi
    # CMake breaks long messages over lines: compare them joined.
    tr -s ' \n' ' ' < "$log" | grep -qF -- "$2" || { echo "refusing $1, expected \"$2\":"; cat "$log"; exit 1; }
}
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst)' \
    "vorl_add_pack(p): the index output is needed: INDEX in-data, c-text, binary or none (or -p0 to -p3 in OPTIONS)"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst OPTIONS -p1)' \
    "vorl_add_pack(p): the index output 1 (c-text) writes a header file: give HEADER <file>"
refused 'vorl_add_pack(p DATA p.dat HEADER p.h LIST assets.lst OPTIONS -p0)' \
    "vorl_add_pack(p): HEADER p.h is given, but the index output 0 (in-data) writes no header file"
refused 'vorl_add_pack(p DATA p.dat HEADER p.h LIST assets.lst INDEX none)' \
    "vorl_add_pack(p): HEADER p.h is given, but the index output 3 (none) writes no header file"
refused 'vorl_add_pack(p DATA p.dat HEADER p.h PROJECT level.vorlprj OPTIONS -p1)' \
    "vorl_add_pack(p): OPTIONS -p1 cannot be used with PROJECT: the project holds its settings"
refused 'vorl_add_pack(p DATA p.dat PROJECT level.vorlprj)' \
    "vorl_add_pack(p): the index output 1 (c-text) writes a header file: give HEADER <file>"
refused 'vorl_add_pack(p DATA p.dat HEADER p.h PROJECT level.vorlprj INDEX c-text)' \
    "vorl_add_pack(p): INDEX cannot be used with PROJECT"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst FILES a.bin INDEX none)' \
    "vorl_add_pack(p): give exactly one of PROJECT, LIST, FILES or GLOB (given: LIST;FILES)"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX none OPTIONS -oother.dat)' \
    "vorl_add_pack(p): OPTIONS -oother.dat: give the file as DATA"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX none OPTIONS --depfile x.d)' \
    "vorl_add_pack(p): OPTIONS --depfile: vorl_add_pack sets it itself"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX in-data ALIGN 12)' \
    "vorl_add_pack(p): ALIGN 12: give 1 or a multiple of 4 up to 4096"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX text)' \
    "vorl_add_pack(p): INDEX text: give in-data, c-text, binary or none"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX none JOBS many)' \
    "vorl_add_pack(p): JOBS many: give a number"
refused 'vorl_add_pack(p DATA p.dat GLOB "nothing/*.png" INDEX none)' \
    "vorl_add_pack(p): GLOB nothing/*.png: no file matches"
refused 'vorl_add_pack(p DATA p.dat HEADER /tmp/p.h INCLUDE_PREFIX assets LIST assets.lst INDEX c-text)' \
    "vorl_add_pack(p): with INCLUDE_PREFIX, HEADER and the prefix are relative names"
refused 'vorl_add_pack(p DATA p.dat HEADER p.dat LIST assets.lst INDEX c-text)' \
    "vorl_add_pack(p): HEADER and DATA name the same file"
refused 'vorl_add_pack(p DATA p.dat LIST assets.lst INDEX none OTHER)' \
    "vorl_add_pack(p): unknown arguments: OTHER"
echo "every refusal names its argument"

if [ -f scripts/example-game-check.sh ]; then
    echo "== examples/game"
    bash scripts/example-game-check.sh "$work/prefix"
fi
cd "$repo"
echo
echo "build integration check passed"
