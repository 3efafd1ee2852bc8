#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Veltrin for 64-bit Windows on Debian 12, runs its tests under
# wine and writes build/windows/Veltrin-<version>-win64.zip.
#   scripts/windows.sh         everything (the first run also builds Qt, ~30 min)
#   scripts/windows.sh --qt    only Qt for Windows, into the cache
# Qt is built once from Debian's own qt6-base source, the same version as the
# host Qt, into a cache outside the clone (VELTRIN_CACHE, default
# ~/.cache/veltrin) that later runs and other clones reuse.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

only_qt=false
for option in "$@"; do
    case "$option" in
    --qt) only_qt=true ;;
    *)
        echo "Unknown option: $option" >&2
        exit 2
        ;;
    esac
done

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools # the host Qt: moc, rcc, uic for the cross build
    qt6-translations-l10n           # qtbase_zh_CN.qm for the zip
    libgtest-dev                    # GoogleTest's sources, built again for Windows
    g++-mingw-w64-x86-64-posix      # GCC for x86_64-w64-mingw32 with posix threads
    mingw-w64-tools                 # windres and friends
    dpkg-dev                        # apt-get source unpacks with dpkg-source
    xz-utils                        # the Qt source tarball
    wine wine64                     # runs the Windows tests
    icoutils                        # wrestool and icotool check the icon and version record
    xvfb xauth                      # a display for the window under wine
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

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev) # e.g. 6.4.2+dfsg-10
qt_upstream=${qt_version%%+*}
cache=${VELTRIN_CACHE:-$HOME/.cache/veltrin}
qt=$cache/qt-$qt_upstream-mingw64
# Written last: a folder without it is a build that did not finish.
qt_stamp=$qt/veltrin-qt-complete

build_qt() {
    local work=$cache/qt-$qt_upstream-mingw64-work
    local apt_dir=$work/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/source"
    # Debian's sources through an apt configuration of our own: the system's
    # sources stay as they are.
    cat >"$apt_dir/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
EOF
    local apt_options=("${apt_lock[@]}"
        -o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o Dir::Etc::sourceparts=-
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
        -o APT::Sandbox::User=root)
    local source_dir
    source_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-base-$qt_upstream*" | head -n1)
    if [[ -z "$source_dir" || ! -f "$source_dir/CMakeLists.txt" ]]; then
        rm -rf "$work/source" && mkdir -p "$work/source"
        apt-get "${apt_options[@]}" update -qq
        (cd "$work/source" && apt-get "${apt_options[@]}" source -qq "qt6-base=$qt_version")
        source_dir=$(find "$work/source" -maxdepth 1 -type d -name "qt6-base-$qt_upstream*" | head -n1)
    fi

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
    echo "$qt_version $(date -u +%FT%TZ) $((SECONDS - started)) s" >"$qt_stamp"
    echo "Qt $qt_upstream for Windows built in $((SECONDS - started)) s into $qt"
}

if [[ -f "$qt_stamp" ]]; then
    echo "Qt for Windows from the cache: $qt ($(cat "$qt_stamp"))"
else
    build_qt
fi
$only_qt && exit 0
