#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine.
# Only Debian's own packages are used.
set -euo pipefail

packages=(build-essential cmake pkg-config clang-format git libgtest-dev libgmock-dev libbenchmark-dev libexpat1-dev
          qt6-base-dev fonts-noto-cjk
          # packaging and its checks (scripts/package-check.sh)
          dpkg-dev file lintian desktop-file-utils appstream shared-mime-info mandoc man-db
          # build integration (scripts/build-integration-check.sh)
          ninja-build make
          # messages in the locale's character set, tried with locales made by localedef
          locales
          # the fuzz harnesses and their libFuzzer runtime (scripts/fuzz-smoke.sh, fuzz/run.sh)
          clang libclang-rt-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi
