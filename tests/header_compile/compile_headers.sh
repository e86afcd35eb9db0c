#!/bin/bash
# Compiles what a game compiles in, as its developer would: C header texts
# written by vorlcnv, and the public headers, each included from two files
# of one program that is then linked and run, by every C and C++ compiler
# installed, with warnings as errors.
#
# Usage: compile_headers.sh VORLCNV INCLUDE_DIR
# Exits 0 when everything compiled and ran, 1 when something did not, and
# 77 when no compiler is installed.
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 VORLCNV INCLUDE_DIR" >&2
    exit 2
fi
# The cases run vorlcnv in a folder of their own.
vorlcnv=$1
[[ $vorlcnv == */* && $vorlcnv != /* ]] && vorlcnv="$PWD/$vorlcnv"
include_dir=$(cd "$2" && pwd) || exit 2
sources=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/vorl-header-compile.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

warnings=(-Wall -Wextra -Werror -pedantic)
c_compilers=()
cxx_compilers=()
for compiler in gcc clang; do
    if command -v "$compiler" >/dev/null 2>&1; then
        c_compilers+=("$compiler")
    else
        echo "skipped: $compiler is not installed"
    fi
done
for compiler in g++ clang++; do
    if command -v "$compiler" >/dev/null 2>&1; then
        cxx_compilers+=("$compiler")
    else
        echo "skipped: $compiler is not installed"
    fi
done
if [ ${#c_compilers[@]} -eq 0 ] && [ ${#cxx_compilers[@]} -eq 0 ]; then
    echo "skipped: no C or C++ compiler is installed"
    exit 77
fi

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# build NAME LANGUAGE COMPILER STANDARD SOURCE... : compiles each source on
# its own with the options in `flags`, links them into one program and
# runs it.
flags=()
build() {
    local name=$1 language=$2 compiler=$3 standard=$4
    shift 4
    local folder="$work/$name" objects=() source object
    for source in "$@"; do
        object="$folder/$(basename "$source" .c).$compiler.$standard.o"
        if ! "$compiler" "-std=$standard" "${warnings[@]}" -x "$language" "${flags[@]}" -c "$source" \
            -o "$object" >"$folder/compile.log" 2>&1; then
            fail "$name: $compiler -std=$standard $(basename "$source")"
            sed 's/^/    /' "$folder/compile.log"
            return
        fi
        objects+=("$object")
    done
    if ! "$compiler" "${objects[@]}" -o "$folder/program" >"$folder/compile.log" 2>&1; then
        fail "$name: $compiler -std=$standard: linking"
        sed 's/^/    /' "$folder/compile.log"
        return
    fi
    "$folder/program"
    local status=$?
    if [ $status -ne 0 ]; then
        fail "$name: $compiler -std=$standard: the program returned $status"
    else
        echo "ok: $name: $compiler -std=$standard"
    fi
}

# build_everywhere NAME SOURCE... : as C99 and as C++17.
build_everywhere() {
    local name=$1 compiler
    shift
    for compiler in "${c_compilers[@]}"; do
        build "$name" c "$compiler" c99 "$@"
    done
    for compiler in "${cxx_compilers[@]}"; do
        build "$name" c++ "$compiler" c++17 "$@"
    done
}

# The rows of the first array of a header text.
rows_of() {
    awk '/\[\] = \{/ { inside++; next } inside == 1 && /^\t+0x/ { rows++ } /^\t+\};/ { if (inside == 1) exit }
         END { print rows + 0 }' "$1"
}

input="$work/input"
mkdir -p "$input"
printf 'AAAAA' >"$input/a.bin"
printf 'BB' >"$input/b.bin"
printf 'CCC' >"$input/c.bin"

# header_case NAME LABEL ALIAS MARKER_ROW -- VORLCNV_ARGUMENTS... : writes
# the case's header text as vorl_table.h and builds the two-file program.
# ALIAS is 1 when an alias array is written; MARKER_ROW is a row that
# holds the all-ones marker, or "-".
header_case() {
    local name=$1 label=$2 alias=$3 marker=$4
    shift 5
    local folder="$work/$name"
    mkdir -p "$folder"
    if ! (cd "$input" && "$vorlcnv" -q "$@" -o"$folder/data.dat" -h"$folder/vorl_table.h") >"$folder/vorlcnv.log" 2>&1; then
        fail "$name: vorlcnv $*"
        sed 's/^/    /' "$folder/vorlcnv.log"
        return
    fi
    flags=("-I$folder" "-I$sources" "-DTABLE=$label" "-DROWS=$(rows_of "$folder/vorl_table.h")")
    [ "$alias" = 1 ] && flags+=("-DTABLE_ALIAS=${label}_alias")
    [ "$marker" != - ] && flags+=("-DMARKER_ROW=$marker")
    build_everywhere "$name" "$sources/table_main.c" "$sources/table_unit.c"
}

# The command line gives 2- and 4-byte values.
header_case t2 Table 0 - -- -p1 -t2 -lTable a.bin b.bin
header_case t4 Table 0 - -- -p1 -t4 -lTable a.bin b.bin
header_case t2-marker Table 0 1 -- -p1 -t2 -i -s -lTable a.bin missing.bin b.bin
header_case t4-marker Table 0 1 -- -p1 -t4 -i -s -lTable a.bin missing.bin b.bin
header_case t2-alias Table 1 1 -- -p1 -t2 -i -s -e -lTable a.bin,,0xffff missing.bin b.bin,,7
header_case t4-alias-msb Table 1 - -- -p1 -t4 -e -b -lTable a.bin,,0xffffffff b.bin,,7 c.bin
header_case t2-msb Table 0 - -- -p1 -t2 -b -lTable a.bin b.bin
header_case typed-label Sprites 1 1 -- -p1 -a4 -t2 -i -s -e "-lstatic const unsigned short Sprites" \
    a.bin,,0xffff missing.bin b.bin,,3

# A project gives every width: 1- and 8-byte columns, each with the
# all-ones marker and with the largest alias of the other width.
project_case() {
    local name=$1 indexbyte=$2 aliasbyte=$3 aliashigh=$4 alias=$5
    local folder="$work/$name"
    mkdir -p "$folder"
    cat >"$input/$name.vorlprj" <<EOF
<?xml version='1.0' encoding='utf-8'?>
<VorlProject version='400'>
	<header>
		<headerid>Vorl</headerid>
		<indexnum>3</indexnum>
		<indexout>outtext</indexout>
		<indexmode>true</indexmode>
		<indexbyte>$indexbyte</indexbyte>
		<indexinterval>1</indexinterval>
		<dataalign>1</dataalign>
		<pathmode>relative</pathmode>
		<skipnofile>true</skipnofile>
		<label>Table</label>
		<usealias byte='$aliasbyte'>true</usealias>
		<changeendian>false</changeendian>
	</header>
	<index num='0' use='true'>
		<filename>a.bin</filename>
		<alias high='$aliashigh'>$alias</alias>
	</index>
	<index num='1' use='true'>
		<filename>missing.bin</filename>
	</index>
	<index num='2' use='true'>
		<filename>b.bin</filename>
		<alias high='0'>7</alias>
	</index>
</VorlProject>
EOF
    if ! "$vorlcnv" -q --project "$input/$name.vorlprj" --data "$folder/data.dat" \
        --header "$folder/vorl_table.h" >"$folder/vorlcnv.log" 2>&1; then
        fail "$name: vorlcnv --project"
        sed 's/^/    /' "$folder/vorlcnv.log"
        return
    fi
    flags=("-I$folder" "-I$sources" -DTABLE=Table -DTABLE_ALIAS=Table_alias -DROWS=3 -DMARKER_ROW=1)
    build_everywhere "$name" "$sources/table_main.c" "$sources/table_unit.c"
}

project_case w1-alias8 1 8 4294967295 4294967295
project_case w8-alias1 8 1 0 255
project_case w8-alias8 8 8 4294967295 4294967295
project_case w1-alias2 1 2 0 65535

# The default label "int VorlIndex" is a declaration the user chose: an
# external int array, for one file of a program, without the marker.
folder="$work/default-label"
mkdir -p "$folder"
if (cd "$input" && "$vorlcnv" -q -p1 a.bin b.bin -o"$folder/data.dat" -h"$folder/vorl_table.h") \
    >"$folder/vorlcnv.log" 2>&1; then
    flags=("-I$folder")
    for compiler in "${c_compilers[@]}"; do
        build default-label c "$compiler" c99 "$sources/default_label.c"
    done
else
    fail "default-label: vorlcnv -p1"
    sed 's/^/    /' "$folder/vorlcnv.log"
fi

# The public headers, from two files of one program.
mkdir -p "$work/public" "$work/public-gnu89"
flags=("-I$include_dir" "-I$sources" -DVORL_TEST_READER)
build_everywhere public "$sources/public_main.c" "$sources/public_unit.c"
# vorl_cnv.h is also for C before C99; vorl_reader.h needs C99 (inline).
flags=("-I$include_dir" "-I$sources")
for compiler in "${c_compilers[@]}"; do
    build public-gnu89 c "$compiler" gnu89 "$sources/public_main.c" "$sources/public_unit.c"
done

if [ $failures -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "all compiled"
