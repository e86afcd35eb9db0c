#!/usr/bin/env bash
# Builds the Debian packages, checks them with the desktop, AppStream,
# manual-page and package linters, installs them and uses them as a user
# would, removes them and checks that nothing of them is left. Then installs
# with `cmake --install` into a temporary prefix and runs the same programs
# from there. Needs root (or sudo) for apt-get.
#   VORL_PKG_BUILD=DIR     the package build's folder (default build-pkg)
#   VORL_PREFIX_BUILD=DIR  the plain build installed into the prefix
#                          (default build)
set -Eeuo pipefail
trap 'echo "package-check: failed at line $LINENO: $BASH_COMMAND" >&2' ERR
cd "$(dirname "$0")/.."
bash scripts/setup.sh

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
work=$(mktemp -d)
packages=()
cleanup() {
    if [ ${#packages[@]} -gt 0 ] && dpkg -s "${packages[@]}" >/dev/null 2>&1; then
        "${sudo_cmd[@]}" apt-get remove --purge -y "${packages[@]}" >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
step() { printf '\n== %s\n' "$*"; }
# The one version, from the project's CMake file.
version=$(sed -n 's/^project(VorlMaker VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
pkg_build=${VORL_PKG_BUILD:-build-pkg}
[[ "$pkg_build" = /* ]] || pkg_build=$PWD/$pkg_build
prefix_build=${VORL_PREFIX_BUILD:-build}

step "Building the packages"
# With the distribution's compiler and linker flags, as Debian builds a package.
cmake -C packaging/DebianBuildFlags.cmake -S . -B "$pkg_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_INSTALL_PREFIX=/usr -DVORL_BUILD_TESTS=OFF >/dev/null
cmake --build "$pkg_build" -j"$(nproc)" >/dev/null
rm -f "$pkg_build"/*.deb
(cd "$pkg_build" && cpack -G DEB >/dev/null)
debs=("$pkg_build"/*.deb)
for deb in "${debs[@]}"; do
    packages+=("$(dpkg-deb -f "$deb" Package)")
    echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
done

step "Linters"
desktop-file-validate packaging/org.vorlmaker.vorlmake.desktop
appstreamcli validate --no-net "$pkg_build"/packaging/org.vorlmaker.vorlmake.metainfo.xml
mandoc -T lint -W warning "$pkg_build"/man/*.[13]
lintian --fail-on error "${debs[@]}"
# What a package built as Debian builds it never shows, at any level: every
# binary hardened and stripped as Debian strips, the library's symbols
# tracked, the linker cache refreshed by trigger, not by a script.
debian_build_tags=hardening-no-fortify-functions,hardening-no-bindnow,hardening-no-relro,hardening-no-pie
debian_build_tags+=,binary-has-unneeded-section,no-symbols-control-file,maintscript-calls-ldconfig
lintian -I --pedantic --fail-on error,warning,info,pedantic --tags "$debian_build_tags" "${debs[@]}"
# The symbols file names the library by its SONAME and lists exactly the
# names of the export list.
for deb in "${debs[@]}"; do
    if [ "$(dpkg-deb -f "$deb" Section)" = libs ]; then
        runtime_deb=$deb
    fi
done
mkdir "$work/runtime"
dpkg-deb -x "$runtime_deb" "$work/runtime"
dpkg-deb -e "$runtime_deb" "$work/runtime/DEBIAN"
# (the file and its link by the SONAME: one name)
soname=$(readelf -d "$work"/runtime/usr/lib/*/libvorl_cnv.so.* | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p' | sort -u)
[ "$(head -n1 "$work/runtime/DEBIAN/symbols" | cut -d' ' -f1)" = "$soname" ]
diff <(sed -n 's/^ \([^@]*\)@Base .*/\1/p' "$work/runtime/DEBIAN/symbols" | LC_ALL=C sort) \
    <(grep . tests/exported_symbols.txt | LC_ALL=C sort)
[ ! -e "$work/runtime/DEBIAN/postinst" ]
[ ! -e "$work/runtime/DEBIAN/postrm" ]
echo "$soname: $(grep -c '@Base' "$work/runtime/DEBIAN/symbols") symbols, as the export list; no maintainer scripts"

step "Installing the packages"
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${debs[@]}" >/dev/null
for program in vorlcnv VorlList vorlmake; do
    [ "$(command -v $program)" = "/usr/bin/$program" ]
done

# Runs the installed tools from /usr/bin or from a prefix ($1/bin).
use_as_a_user() {
    local bin=$1 prefix=$2 out=$work/use-$3
    mkdir -p "$out/home"
    cp -r examples/sample examples/sample.vorlprj "$out/home/"
    # Packing the bundled example with VorlList and vorlcnv.
    (cd "$out/home" && "$bin/VorlList" -osample.lst 'sample/???_*' >/dev/null &&
        "$bin/vorlcnv" -p1 -a4 -t2 "-lstatic const unsigned short SampleIndex" -fsample.lst \
            -osample.dat -hsample.h)
    grep -q 'SampleIndex\[\] = {' "$out/home/sample.h"
    [[ "$("$bin/vorlcnv" --version)" == *"(VORL Maker for Linux) $version"* ]]
    # The example consumer, through the CMake package and through pkg-config.
    cmake -S examples -B "$out/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
    cmake --build "$out/consumer" >/dev/null
    LD_LIBRARY_PATH= "$out/consumer/pack_sample" examples/sample "$out/cmake.dat" "$out/cmake.h"
    local pcdir
    pcdir=$(dirname "$(find "$prefix" -name vorl_cnv.pc -print -quit)")
    # shellcheck disable=SC2046
    cc -o "$out/pc_sample" examples/pack_sample.c $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs vorl_cnv) \
        -Wl,-rpath,"$(PKG_CONFIG_PATH=$pcdir pkg-config --variable=libdir vorl_cnv)"
    "$out/pc_sample" examples/sample "$out/pc.dat" "$out/pc.h"
    cmp "$out/cmake.dat" "$out/pc.dat"
    # The editor as an unprivileged user in a home of its own: converts the
    # example project with nobody to answer, as vorlcnv does.
    chown -R 65534:65534 "$out/home"
    chmod 755 "$work" "$out"
    (cd "$out/home" && setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$out/home" XDG_CONFIG_HOME= XDG_RUNTIME_DIR= QT_QPA_PLATFORM=offscreen \
        timeout 60 "$bin/vorlmake" -t -r -e -seditor.dat -heditor.h sample.vorlprj 2>"$out/editor.err") ||
        { cat "$out/editor.err"; exit 1; }
    (cd "$out/home" && "$bin/vorlcnv" -q --project sample.vorlprj --data vorlcnv.dat --header vorlcnv.h)
    cmp "$out/home/editor.dat" "$out/home/vorlcnv.dat"
    cmp "$out/home/editor.h" "$out/home/vorlcnv.h"
    echo "used from $bin: example packed, consumer built both ways, editor output equals vorlcnv's"
}

step "Using the installed packages"
use_as_a_user /usr/bin /usr packages
[[ "$(MANWIDTH=80 man vorlcnv 2>/dev/null)" == *"vorlcnv - pack numbered files"* ]]
[[ "$(MANWIDTH=80 man 3 vorl_cnv 2>/dev/null)" == *"VorlConvertWithOptions"* ]]
[ -f /usr/share/applications/org.vorlmaker.vorlmake.desktop ]
# The package's trigger has put the project type into the MIME database.
[ -f /usr/share/mime/application/x-vorlmake-project.xml ]
[ -f /usr/share/icons/hicolor/48x48/apps/org.vorlmaker.vorlmake.png ]

step "Removing the packages"
files=$(for deb in "${debs[@]}"; do dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\.##'; done | grep -v '/$')
"${sudo_cmd[@]}" apt-get remove --purge -y "${packages[@]}" >/dev/null
left=0
for file in $files; do
    if [ -e "$file" ] || [ -L "$file" ]; then
        echo "left behind: $file"
        left=1
    fi
done
[ "$left" -eq 0 ]
for package in "${packages[@]}"; do
    # (`! command` alone would never stop the script, whatever dpkg says)
    if dpkg -s "$package" >/dev/null 2>&1; then
        echo "still installed: $package"
        exit 1
    fi
done
echo "all packages removed, nothing of them left"

step "cmake --install into a temporary prefix"
cmake -S . -B "$prefix_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$prefix_build" -j"$(nproc)" >/dev/null
prefix=$work/prefix
cmake --install "$prefix_build" --prefix "$prefix" >/dev/null
use_as_a_user "$prefix/bin" "$prefix" prefix
echo
echo "package check passed"
