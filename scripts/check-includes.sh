#!/usr/bin/env bash
# Checks that every folder includes only the headers of the folders it may
# use (CONTRIBUTING.md, "Dependency rule"). CMake lets a folder see more
# than that: a target's include folder comes with whatever it links, so the
# rule is read from the sources themselves, one line per include that
# breaks it. Usage: scripts/check-includes.sh [SOURCE_ROOT]
set -euo pipefail

# The rule. A folder may always use its own headers (the editor's model,
# ui and run are one folder here); besides them only what its row names.
# A name ending in / is a folder and everything below it, any other name is
# one header.
#
#   folder         may use
rules=(
    "lib/host/      common/"
    "lib/info/      lib/host/ lib/include/ common/"
    "lib/cache/     lib/host/ lib/include/ common/"
    "lib/convert/   lib/info/ lib/host/ lib/cache/ lib/include/ common/"
    "lib/project/   lib/info/ lib/host/ lib/include/ common/"
    "lib/cmdline/   lib/info/ lib/host/ lib/include/ common/"
    "lib/exports/   lib/ common/"
    "lib/include/"
    "common/"
    "cli/           lib/include/vorl_cnv.h lib/include/vorl_reader.h common/"
    "editor/        lib/include/ common/"
    "listtool/      common/"
)
# lib/include holds the installed headers: they stand alone, so they use
# nothing but each other. The editor reaches the library only by dlopen and
# uses the public header for the block's layout.

root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root"

# Every file of ours an include may name, by its last path component. Build
# folders (those that hold a CMakeCache.txt) and hidden folders are not
# ours: a header found only there was generated at build time.
declare -A byName=()
mapfile -t topFolders < <(find . -mindepth 1 -maxdepth 1 -type d ! -name '.*' -printf '%P\n' | sort)
for top in "${topFolders[@]}"; do
    [ -e "$top/CMakeCache.txt" ] && continue
    while IFS= read -r file; do
        name=${file##*/}
        byName[$name]+="$file "
    done < <(find "$top" -type d -name '.*' -prune -o -type f \
        \( -name '*.h' -o -name '*.hh' -o -name '*.hpp' -o -name '*.inc' \
        -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print)
done

violations=0
report() {
    echo "$1" >&2
    violations=$((violations + 1))
}

# Whether `header` lies in what `entry` names (a folder ending in /, or one file).
covers() {
    local entry=$1 header=$2
    if [[ $entry == */ ]]; then
        [[ $header == "$entry"* ]]
    else
        [[ $header == "$entry" ]]
    fi
}

# A lib folder with sources but no row would go unchecked.
declare -A ruled=()
for row in "${rules[@]}"; do
    read -r folder _ <<<"$row"
    ruled[$folder]=1
done
for folder in lib/*/; do
    if [ -z "${ruled[$folder]:-}" ] &&
        [ -n "$(find "$folder" -type f \( -name '*.h' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print -quit)" ]; then
        report "$folder: has sources but no row in the rule of scripts/check-includes.sh"
    fi
done

files=0
includes=0
generated=()
for row in "${rules[@]}"; do
    read -r folder allowedText <<<"$row"
    read -r -a allowed <<<"${allowedText:-}"
    if [ ${#allowed[@]} -eq 0 ]; then
        mayUse="may use nothing of ours"
    else
        mayUse=$(printf '%s, ' "${allowed[@]}")
        mayUse="may use only ${mayUse%, }"
    fi
    [ -d "$folder" ] || continue
    while IFS= read -r source; do
        files=$((files + 1))
        while IFS= read -r hit; do
            line=${hit%%:*}
            include=${hit#*\"}
            include=${include%%\"*}
            # As the compiler looks: beside the including file first, then
            # wherever the include folders lead.
            if [ -f "${source%/*}/$include" ]; then
                candidates=("$(realpath -m --relative-to=. "${source%/*}/$include")")
            else
                candidates=()
                for file in ${byName[${include##*/}]:-}; do
                    [[ /$file == */"$include" ]] && candidates+=("$file")
                done
            fi
            if [ ${#candidates[@]} -eq 0 ]; then
                generated+=("$source:$line: $include")
                continue
            fi
            includes=$((includes + 1))
            # Of headers with one name in several folders, the build can
            # only reach those the folder may use.
            ok=0
            for header in "${candidates[@]}"; do
                if covers "$folder" "$header"; then
                    ok=1
                fi
                for entry in "${allowed[@]}"; do
                    if covers "$entry" "$header"; then
                        ok=1
                    fi
                done
            done
            if [ $ok -eq 0 ]; then
                found=$(printf '%s or ' "${candidates[@]}")
                report "$source:$line: includes ${found% or }, but $folder $mayUse"
            fi
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$source" || true)
    done < <(find "${folder%/}" -type f \( -name '*.h' -o -name '*.hh' -o -name '*.hpp' -o -name '*.inc' \
        -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) | sort)
done

if [ ${#generated[@]} -gt 0 ] && [ -n "${VORL_CHECK_INCLUDES_VERBOSE:-}" ]; then
    printf 'not in the source tree, taken as made at build time: %s\n' "${generated[@]}"
fi
if [ $violations -gt 0 ]; then
    echo "include check: $violations include(s) against the dependency rule (CONTRIBUTING.md)" >&2
    exit 1
fi
echo "include check: $files files, $includes includes of ours, each as the dependency rule allows"
