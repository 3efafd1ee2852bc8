#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need,
# leaving alone what is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev           # Qt 6 Widgets, the BMP/PNG/ICO codecs, the file dialogs
    qt6-image-formats-plugins # Qt's TIFF, WebP and TGA readers, which Open uses
    fonts-wqy-zenhei       # a CJK font, so the Chinese window renders on a bare machine
)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(
        libgtest-dev       # GoogleTest
        libbenchmark-dev   # Google Benchmark
        clang-format       # the formatting check
        desktop-file-utils # validates the desktop entry
        appstream          # validates the AppStream metainfo
        clang              # the fuzzer is built with clang's libFuzzer
        libclang-rt-14-dev # libFuzzer and the sanitizer runtimes for clang
        llvm               # llvm-cov for the fuzzer's coverage report
    )
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=()
    ((EUID == 0)) || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
