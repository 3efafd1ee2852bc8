#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Veltrin for 64-bit Windows on Debian 12, runs its tests under
# wine and writes build/windows/Veltrin-<version>-win64.zip.
#   scripts/windows.sh         everything (the first run also builds Qt, ~30 min)
#   scripts/windows.sh --qt    only Qt for Windows, into the cache
#   scripts/windows.sh --screenshot   and then the window under wine and on
#                              this machine, both on Xvfb, into build/windows/*.png
# Qt is built once from Debian's own qt6-base source, the same version as the
# host Qt, into a cache outside the clone (VELTRIN_CACHE, default
# ~/.cache/veltrin) that later runs and other clones reuse. With
# VELTRIN_CACHE_ARCHIVES naming a folder of archives of such builds (see
# scripts/cache_archives.sh), a build the cache lacks is unpacked from there.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/cache_archives.sh

only_qt=false
screenshot=false
for option in "$@"; do
    case "$option" in
    --qt) only_qt=true ;;
    --screenshot) screenshot=true ;;
    *)
        echo "Unknown option: $option" >&2
        exit 2
        ;;
    esac
done

# Qt for Windows is Debian's qt6-base of the host Qt's version.
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || apt-cache policy qt6-base-dev |
    sed -n 's/^  Candidate: //p') # e.g. 6.4.2+dfsg-10
qt_upstream=${qt_version%%+*}
cache=${VELTRIN_CACHE:-$HOME/.cache/veltrin}
qt=$cache/qt-$qt_upstream-mingw64
# Written last: a folder without it is a build that did not finish.
qt_stamp=$qt/veltrin-qt-complete

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools # the host Qt: moc, rcc, uic for the cross build
    qt6-translations-l10n           # qtbase_zh_CN.qm for the zip
    libgtest-dev googletest         # GoogleTest for the host build, its sources for Windows
    libsodium-dev                   # the host build; its version is the Windows libsodium's
    libzstd-dev                     # the host build; its version is the Windows zstd's
    libzxcvbn-dev                   # the host build's password estimate (Windows has none)
    g++-mingw-w64-x86-64-posix      # GCC for x86_64-w64-mingw32 with posix threads
    mingw-w64-tools                 # windres and friends
    dpkg-dev                        # apt-get source unpacks with dpkg-source
    autoconf automake libtool       # libsodium's source comes without its configure script
    xz-utils                        # the Qt source tarball
    wine wine64                     # runs the Windows tests
    icoutils                        # wrestool and icotool check the icon and version record
    fonts-wqy-zenhei                # wine has no Chinese font: the tests' prefixes get this one
)
$screenshot && packages+=(
    xvfb xauth                # a display of its own for each window
    x11-apps x11-utils netpbm # xwd, xwininfo and the PNG conversion
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
sudo=()
((EUID == 0)) || sudo=(sudo)
apt_lock=(-o DPkg::Lock::Timeout=900)
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get "${apt_lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_lock[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
fi


# Debian's source packages through an apt configuration of our own in
# $1/apt: the system's sources stay as they are. Sets apt_source_options.
debian_sources() {
    local apt_dir=$1/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
EOF
    apt_source_options=("${apt_lock[@]}"
        -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
        -o APT::Sandbox::User=root)
}

build_qt() {
    local work=$cache/qt-$qt_upstream-mingw64-work
    mkdir -p "$work/source"
    debian_sources "$work"
    local apt_options=("${apt_source_options[@]}")
    # qtbase of the host Qt's very version; the image formats (TIFF, WebP,
    # TGA, with their bundled libraries) of the same upstream version.
    local source_dir formats_dir
    source_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-base-$qt_upstream*" | head -n1)
    formats_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-imageformats-$qt_upstream*" |
        head -n1)
    if [[ ! -f "$source_dir/CMakeLists.txt" || ! -f "$formats_dir/CMakeLists.txt" ]]; then
        rm -rf "$work/source" && mkdir -p "$work/source"
        apt-get "${apt_options[@]}" update -qq
        (cd "$work/source" && apt-get "${apt_options[@]}" source -qq "qt6-base=$qt_version" &&
            apt-get "${apt_options[@]}" source -qq qt6-imageformats)
        source_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-base-$qt_upstream*" | head -n1)
        formats_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-imageformats-$qt_upstream*" |
            head -n1)
    fi
    [[ -f "$formats_dir/CMakeLists.txt" ]] ||
        { echo "No qt6-imageformats $qt_upstream source in Debian" >&2; exit 1; }

    # Qt Core, Gui and Widgets with the windows platform plugin and the
    # built-in image plugins, Test for our tests. The dfsg source lacks
    # sqlite and wintab, hence no sql and no tablet input; network, dbus,
    # printing, XML and concurrent are not used. OpenGL stays on: the
    # windows plugin does not compile without it.
    local options=(
        -G Ninja -DCMAKE_BUILD_TYPE=Release
        "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw64.cmake"
        "-DCMAKE_INSTALL_PREFIX=$qt"
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
        -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
        -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF
        -DFEATURE_testlib=ON -DFEATURE_accessibility=ON
        -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
        -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
        -DFEATURE_system_libb2=OFF
    )
    local build=$work/build
    local started=$SECONDS
    nice -n 19 cmake -S "$source_dir" -B "$build" "${options[@]}"
    nice -n 19 cmake --build "$build" --parallel 2
    rm -rf "$qt"
    cmake --install "$build"

    local formats=$work/build-imageformats
    nice -n 19 cmake -S "$formats_dir" -B "$formats" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        "-DCMAKE_TOOLCHAIN_FILE=$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        -DFEATURE_system_tiff=OFF -DFEATURE_system_webp=OFF -DFEATURE_jasper=OFF -DFEATURE_mng=OFF
    nice -n 19 cmake --build "$formats" --parallel 2
    cmake --install "$formats"
    # Qt's Chinese texts where this Qt looks for them, for the tests.
    install -D -m 644 /usr/share/qt6/translations/qtbase_zh_CN.qm "$qt/translations/qtbase_zh_CN.qm"
    echo "$qt_version $(date -u +%FT%TZ) $((SECONDS - started)) s" >"$qt_stamp"
    echo "Qt $qt_upstream for Windows built in $((SECONDS - started)) s into $qt"
}

if [[ -f "$qt_stamp" ]]; then
    echo "Qt for Windows from the cache: $qt ($(cat "$qt_stamp"))"
elif from_cache_archives "$cache" "${qt##*/}" "${qt_stamp##*/}"; then
    echo "Qt for Windows: $qt ($(cat "$qt_stamp"))"
else
    build_qt
fi
$only_qt && exit 0

# libsodium, the protected picture's cryptography, from Debian's source of
# the host's version, built for Windows once, beside Qt; static, so the zip
# carries no DLL of it.
sodium_version=$(dpkg-query -W -f='${Version}' libsodium-dev)
sodium=$cache/libsodium-${sodium_version%%-*}-mingw64
if [[ ! -f "$sodium/veltrin-sodium-complete" ]] &&
    ! from_cache_archives "$cache" "${sodium##*/}" veltrin-sodium-complete; then
    sodium_work=$cache/libsodium-work
    rm -rf "$sodium" "$sodium_work"
    mkdir -p "$sodium_work/source"
    debian_sources "$sodium_work"
    apt-get "${apt_source_options[@]}" update -qq
    (cd "$sodium_work/source" && apt-get "${apt_source_options[@]}" source -qq "libsodium=$sodium_version")
    sodium_source=$(find "$sodium_work/source" -maxdepth 1 -type d -name 'libsodium-*' | head -n1)
    (cd "$sodium_source" && autoreconf -fi >/dev/null &&
        nice -n 10 ./configure -q --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix \
            --prefix="$sodium" --disable-shared --enable-static &&
        nice -n 10 make -s -j2 && make -s install)
    rm -rf "$sodium_work"
    touch "$sodium/veltrin-sodium-complete"
fi

# zstd, which packs the robust picture's text, from Debian's source of the
# host's version, built for Windows once: the static library alone.
zstd_version=$(dpkg-query -W -f='${Version}' libzstd-dev)
zstd_upstream=${zstd_version#*:}
zstd=$cache/zstd-${zstd_upstream%%-*}-mingw64
if [[ ! -f "$zstd/veltrin-zstd-complete" ]] &&
    ! from_cache_archives "$cache" "${zstd##*/}" veltrin-zstd-complete; then
    zstd_work=$cache/zstd-work
    rm -rf "$zstd" "$zstd_work"
    mkdir -p "$zstd_work/source"
    debian_sources "$zstd_work"
    apt-get "${apt_source_options[@]}" update -qq
    # The mirror may lack a security update's source; the release's has the
    # same upstream version and interface.
    (cd "$zstd_work/source" && { apt-get "${apt_source_options[@]}" source -qq "libzstd=$zstd_version" ||
        apt-get "${apt_source_options[@]}" source -qq libzstd/bookworm; })
    zstd_source=$(find "$zstd_work/source" -maxdepth 1 -type d -name 'libzstd-*' | head -n1)
    nice -n 10 cmake -S "$zstd_source/build/cmake" -B "$zstd_work/build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw64.cmake" \
        "-DCMAKE_INSTALL_PREFIX=$zstd" -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF \
        -DZSTD_BUILD_SHARED=OFF -DZSTD_BUILD_STATIC=ON -DZSTD_MULTITHREAD_SUPPORT=OFF \
        -DZSTD_LEGACY_SUPPORT=OFF
    nice -n 10 cmake --build "$zstd_work/build" --parallel 2
    cmake --install "$zstd_work/build"
    rm -rf "$zstd_work"
    touch "$zstd/veltrin-zstd-complete"
fi

# GoogleTest from Debian's sources, built for Windows once, beside Qt.
gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest=$cache/googletest-${gtest_version%%-*}-mingw64
if [[ ! -f "$gtest/veltrin-gtest-complete" ]] &&
    ! from_cache_archives "$cache" "${gtest##*/}" veltrin-gtest-complete; then
    rm -rf "$gtest" "$gtest-build"
    nice -n 10 cmake -S /usr/src/googletest -B "$gtest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw64.cmake" "-DCMAKE_INSTALL_PREFIX=$gtest" \
        -DBUILD_GMOCK=ON
    nice -n 10 cmake --build "$gtest-build" --parallel 2
    cmake --install "$gtest-build"
    rm -rf "$gtest-build"
    touch "$gtest/veltrin-gtest-complete"
fi

# The generators run here, so they come from a build for this machine; the
# same build's veltrin-cli test later meets the Windows veltrin-cli's pictures.
host=build/windows-host
nice -n 10 cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_WERROR=ON \
    -DVELTRIN_BENCHMARKS=OFF
nice -n 10 cmake --build "$host" --parallel 2 \
    --target veltrin_make_code_page_936 veltrin_embed_icon_pixels veltrin_cli_tests veltrin

# wine with a prefix of its own, quiet, and Qt's and the compiler's DLLs on its path.
dir=build/windows
mkdir -p "$dir"
windows_path() { local path=$1; echo "Z:${path//\//\\}"; }
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
cat >"$dir/wine-run" <<WRAPPER
#!/bin/sh
# Runs a Windows program of the build under wine (CTest's emulator).
export WINEPREFIX="\${WINEPREFIX:-$root/$dir/wine-prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH='$(windows_path "$qt/bin");$(windows_path "$(realpath "$runtime")");$(windows_path "$(realpath "$pthread")")'
exec wine "\$@"
WRAPPER
chmod +x "$dir/wine-run"
# A wine prefix as a Chinese Windows would be for the window: with a Chinese
# font (in the tests' set-up only, never in the zip).
new_prefix() {
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$1" wineboot --init >/dev/null 2>&1 ||
        true
    mkdir -p "$1/drive_c/windows/Fonts"
    cp /usr/share/fonts/truetype/wqy/wqy-zenhei.ttc "$1/drive_c/windows/Fonts/"
}
[[ -d "$dir/wine-prefix/drive_c" ]] || new_prefix "$root/$dir/wine-prefix"

# The zip carries the browser page beside the programs.
bash scripts/web.sh --build
# pkg-config finds the Windows libsodium and zstd only.
PKG_CONFIG_LIBDIR=$sodium/lib/pkgconfig:$zstd/lib/pkgconfig nice -n 10 cmake -S . -B "$dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DVELTRIN_WERROR=ON "-DVELTRIN_PAGE_FILE=$root/build/web/veltrin.html" \
    "-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw64.cmake" "-DVELTRIN_MINGW_PREFIXES=$qt;$gtest;$sodium;$zstd" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "-DVELTRIN_HOST_TOOLS=$root/$host/veltrin-host-tools.cmake" \
    "-DCMAKE_CROSSCOMPILING_EMULATOR=$root/$dir/wine-run" -DVELTRIN_BENCHMARKS=OFF
nice -n 10 cmake --build "$dir" --parallel 2
ctest --test-dir "$dir" --output-on-failure --no-tests=error

rm -f "$dir"/Veltrin-*-win64.zip
(cd "$dir" && cpack -G ZIP)
zip=$(echo "$dir"/Veltrin-*-win64.zip)

# The zip as a user gets it: unpacked into an empty folder and run in a fresh
# wine prefix, with no DLL path but the folder itself (and a Chinese font).
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$root/$zip")
program_dir=$(echo "$unpacked"/Veltrin-*-win64)
# The Chinese user guide, and the notices of what the zip bundles.
grep -q '^# Veltrin 用户指南' "$program_dir/README.txt" && grep -q '^zstd' "$program_dir/NOTICES.txt" ||
    { echo "The zip lacks the Chinese user guide or the notices" >&2; exit 1; }
export WINEPREFIX=$unpacked/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
new_prefix "$WINEPREFIX"
cli() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY -u WINEPATH wine "$program_dir/veltrin-cli.exe" "$@"; }

version=$(cli --version | tr -d '\r')
[[ "$version" == "veltrin-cli $(sed -n 's/^project(Veltrin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]] ||
    { echo "Unexpected version from veltrin-cli.exe: $version" >&2; exit 1; }
text=$'Veltrin 加密解密，中文路径\nsecond line'
mkdir -p "$unpacked/图片"
printf '%s' "$text" >"$unpacked/图片/文字.txt"
cli encrypt -p Pass1234 -i "$unpacked/图片/文字.txt" -o "$unpacked/图片/图片.bmp"
[[ "$(cli decrypt -p Pass1234 "$unpacked/图片/图片.bmp")" == "$text" ]] ||
    { echo "veltrin-cli.exe did not give the text back through files" >&2; exit 1; }
[[ "$(printf '%s' "$text" | cli encrypt -p Pass1234 -o - | cli decrypt -p Pass1234 -)" == "$text" ]] ||
    { echo "veltrin-cli.exe did not give the text back through pipes" >&2; exit 1; }
cli encrypt -p Pass1234 -i "$unpacked/图片/文字.txt" -o "$unpacked/图片/图片.bmp" 2>/dev/null &&
    { echo "veltrin-cli.exe replaced an existing picture without --force" >&2; exit 1; }

# Its pictures are byte for byte this machine's for the same factors: the
# host build's test draws them with the factors veltrin-cli.exe chose.
VELTRIN_TEST_CLI="$program_dir/veltrin-cli.exe" VELTRIN_TEST_CLI_RUNNER=wine QT_QPA_PLATFORM=offscreen \
    "$host/tests/cli/veltrin_cli_tests" --gtest_filter='*CliAndWindow.CliWritesWhatSaveWritesForTheSameFactors*'

echo "Windows: $zip ($(stat -c %s "$zip") bytes), tests under wine passed, the unpacked zip ran"

$screenshot || exit 0
# Each window alone on a display of its own; the shot and the window's size.
shoot() {
    local name=$1
    shift
    local display=:$((90 + RANDOM % 9))
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
    local xvfb=$!
    sleep 2
    DISPLAY=$display "$@" &
    local program=$!
    sleep 15
    DISPLAY=$display xwininfo -root -tree | grep -E '[0-9]+x[0-9]+\+' | grep -iv 'has no name' >"$dir/screenshot-$name.txt" || true
    DISPLAY=$display xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$dir/screenshot-$name.png"
    kill "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$program" "$xvfb" 2>/dev/null || true
    echo "Screenshot: $dir/screenshot-$name.png"
}
shoot wine env -u QT_QPA_PLATFORM wine "$program_dir/veltrin.exe"
wineserver -k || true
shoot linux env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb "$host/veltrin"
