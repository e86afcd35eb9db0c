#!/usr/bin/env bash
# bash scripts/example-game-check.sh PREFIX
#
# Builds examples/game as a user would, against the tree installed in
# PREFIX (cmake --install), with Ninja and with Unix Makefiles, each in a
# fresh build folder: the game must run and print what it packed, a second
# build must pack nothing, and the example's install must hold the game
# and its data files. Everything is made in a temporary folder; the
# example's sources are only read, and checked to be unchanged at the end.
set -Eeuo pipefail
trap 'echo "example-game-check: failed at line $LINENO: $BASH_COMMAND" >&2' ERR

die() {
    echo "example-game-check: $*" >&2
    exit 1
}

[ $# -eq 1 ] || die "usage: bash scripts/example-game-check.sh PREFIX (a tree installed with cmake --install)"
[ -d "$1" ] || die "the prefix $1 is not a folder"
prefix=$(cd "$1" && pwd)
[ -x "$prefix/bin/vorlcnv" ] || die "no vorlcnv in $prefix/bin: install the project there first"
cd "$(dirname "$0")/.."
source_dir=$PWD/examples/game
[ -f "$source_dir/CMakeLists.txt" ] || die "no examples/game/CMakeLists.txt in $PWD"
command -v ninja >/dev/null || die "ninja is not installed"
command -v make >/dev/null || die "make is not installed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Names, sizes and times of the example's files, to show that no build
# wrote into them.
snapshot() { find "$source_dir" -printf '%P %y %s %T@\n' | LC_ALL=C sort; }
snapshot >"$work/sources.before"

expected='3 sprites, sprite 0: 12 bytes
sound 0: 14 bytes: JUMP 01: beep
sound 2: no data, sound 3: shares sound 0
2 levels, level 0: 27 bytes'
data_files=(sprites.dat sounds.dat levels.dat levels.idx)

# run_game <what> <game> [DATA_FOLDER]: exits 0 and prints what was packed
run_game() {
    local what=$1 output status=0
    shift
    output=$("$@" 2>"$work/game.err") || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$work/game.err" >&2
        die "$what exited with status $status"
    fi
    [ "$output" = "$expected" ] || die "$what printed:
$output
expected:
$expected"
}

for generator in Ninja "Unix Makefiles"; do
    echo "== $generator"
    build=$work/build-${generator// /-}
    install_dir=$work/install-${generator// /-}
    log=$work/log
    cmake -S "$source_dir" -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_PREFIX_PATH="$prefix" >"$log" 2>&1 || {
        cat "$log" >&2
        die "$generator: configuring examples/game failed"
    }
    cmake --build "$build" >"$log" 2>&1 || {
        cat "$log" >&2
        die "$generator: the first build failed"
    }
    for pack in sprites sounds levels; do
        grep -q "Packing $pack" "$log" || {
            cat "$log" >&2
            die "$generator: the first build did not pack $pack"
        }
    done
    run_game "$generator: the game" "$build/game"

    cmake --build "$build" >"$log" 2>&1 || {
        cat "$log" >&2
        die "$generator: the second build failed"
    }
    if grep -q -e "Packing" -e "Building C object" "$log"; then
        cat "$log" >&2
        die "$generator: the second build packed or compiled again"
    fi

    cmake --install "$build" --prefix "$install_dir" >"$log" 2>&1 || {
        cat "$log" >&2
        die "$generator: cmake --install of the example failed"
    }
    [ -x "$install_dir/bin/game" ] || die "$generator: the install has no bin/game"
    for file in "${data_files[@]}"; do
        installed=$install_dir/share/vorl-game/$file
        [ -f "$installed" ] || die "$generator: the install has no share/vorl-game/$file"
        cmp -s "$installed" "$build/data/$file" || die "$generator: share/vorl-game/$file differs from the build's"
    done
    # The installed game, pointed at the installed data alone.
    mv "$build/data" "$build/data.hidden"
    run_game "$generator: the installed game" "$install_dir/bin/game" "$install_dir/share/vorl-game"
    mv "$build/data.hidden" "$build/data"
done

snapshot >"$work/sources.after"
cmp -s "$work/sources.before" "$work/sources.after" || {
    diff "$work/sources.before" "$work/sources.after" >&2 || true
    die "the builds changed files in examples/game"
}
echo "example-game-check: examples/game builds, runs and installs with Ninja and Unix Makefiles"
