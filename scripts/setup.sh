#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, running and testing need,
# leaving alone what is already there.
set -euo pipefail

#   scripts/setup.sh            building and running
#   scripts/setup.sh --tests    and the tests
#   scripts/setup.sh --package  and the Debian package
#   scripts/setup.sh --screenshots  and what photographs the window and the page

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev              # Qt 6 Widgets, the BMP/PNG/ICO codecs, the file dialogs
    qt6-qpa-plugins           # the platform plugins the window runs on
    qt6-image-formats-plugins # pictures in further formats (WebP, TIFF, ...)
    qt6-translations-l10n     # Qt's own texts in Chinese (dialogs, veltrin-cli's help)
    fonts-wqy-zenhei          # a CJK font, so the Chinese window renders on a bare machine
    libsodium-dev             # Argon2id and XChaCha20-Poly1305 for the protected picture
    libzstd-dev               # zstd: the robust picture's text packed before error correction
    libzxcvbn-dev             # zxcvbn-c: how many guesses the protected picture's password needs
)
for option in "$@"; do
    case "$option" in
    --tests)
        packages+=(
            libgtest-dev       # GoogleTest
            libbenchmark-dev   # Google Benchmark
            fortunes-zh        # Chinese prose for the robust picture's channel benchmark
            python3-pil        # that benchmark's JPEG, WebP and scalers (tests/bench/channels)
            clang-format       # the formatting check
            desktop-file-utils # validates the desktop entry
            appstream          # validates the AppStream metainfo
            clang              # the fuzzer is built with clang's libFuzzer
            libclang-rt-14-dev # libFuzzer and the sanitizer runtimes for clang
            llvm               # llvm-cov for the fuzzer's coverage report
        )
        ;;
    --package)
        packages+=(
            dpkg-dev # dpkg-shlibdeps finds the package's library dependencies
            file     # CPack picks the binaries for dpkg-shlibdeps with it
            lintian  # checks the package
        )
        ;;
    --screenshots)
        packages+=(
            xvfb xdotool imagemagick             # the window on a display of its own, typed into, photographed
            chromium chromium-driver python3-selenium # the page at a phone's size
            pngquant                             # screenshots small enough for the README
        )
        ;;
    *)
        echo "Unknown option: $option" >&2
        exit 2
        ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    sudo=()
    ((EUID == 0)) || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    # Another install running on the machine holds the lock for a while.
    lock=(-o DPkg::Lock::Timeout=600)
    "${sudo[@]}" apt-get "${lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${lock[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
fi
