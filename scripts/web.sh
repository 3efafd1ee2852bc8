#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The core compiled to WebAssembly with Debian's emscripten: its own tests run
# under node, and the browser page is built and tested in headless Chromium,
# its round trips and refusals also in Firefox ESR and WebKitGTK.
#   scripts/web.sh          build build/web/veltrin.html and the site to publish,
#                           build/web/site, and run their browser tests
#   scripts/web.sh --build  only build the page (the Debian package carries it)
#   scripts/web.sh --core   build the core and run its tests under node
# libsodium, zstd and GoogleTest come from Debian's sources, compiled with emcc once
# into a cache outside the clone (VELTRIN_CACHE, default ~/.cache/veltrin), or
# unpacked from VELTRIN_CACHE_ARCHIVES (see scripts/cache_archives.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/cache_archives.sh

mode=page
case "${1:-}" in
'') ;;
--core) mode=core ;;
--build) mode=build ;;
*)
    echo "Usage: scripts/web.sh [--build | --core]" >&2
    exit 2
    ;;
esac

packages=(
    emscripten nodejs               # emcc and em++, and node to run what they build
    cmake ninja-build g++ pkg-config
    qt6-base-dev libzxcvbn-dev      # the host build that writes the code page tables
    libsodium-dev                   # the host's libsodium: its version is the browser's
    libzstd-dev                     # the host's zstd: its version is the browser's
    googletest                      # GoogleTest's source, for the core's tests
    dpkg-dev                        # apt-get source unpacks with dpkg-source
    autoconf automake libtool       # libsodium's source comes without its configure script
)
[[ $mode != page ]] || packages+=(
    chromium chromium-driver python3-selenium python3-pil # the page's browser tests; PIL makes JPEGs
    firefox-esr webkit2gtk-driver xvfb                    # the other engines; WebKit's needs a display
)
# npm fetches puppeteer-core, Firefox's driver; a node from elsewhere brings its own.
[[ $mode != page ]] || command -v npm >/dev/null || packages+=(npm)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
sudo=()
((EUID == 0)) || sudo=(sudo)
apt_lock=(-o DPkg::Lock::Timeout=600)
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get "${apt_lock[@]}" update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${apt_lock[@]}" install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

# emcc's optimizer is a node program that needs Debian's node modules.
export NODE_PATH=/usr/share/nodejs
# Debian's emscripten brings its system libraries built; ours are cached.
cache=${VELTRIN_CACHE:-$HOME/.cache/veltrin}
mkdir -p "$cache"

# libsodium, the protected picture's cryptography, from Debian's source of the
# host's version; its random bytes come from the browser's or node's crypto.
sodium_version=$(dpkg-query -W -f='${Version}' libsodium-dev)
sodium=$cache/libsodium-${sodium_version%%-*}-wasm
if [[ ! -f "$sodium/veltrin-sodium-complete" ]] &&
    ! from_cache_archives "$cache" "${sodium##*/}" veltrin-sodium-complete; then
    work=$cache/libsodium-wasm-work
    rm -rf "$sodium" "$work"
    mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/source"
    cat >"$work/apt/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
SOURCES
    apt_source=("${apt_lock[@]}" -o "Dir::Etc::sourcelist=$work/apt/sources.list"
        -o Dir::Etc::sourceparts=- -o "Dir::State::Lists=$work/apt/lists"
        -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)
    apt-get "${apt_source[@]}" update -qq
    (cd "$work/source" && apt-get "${apt_source[@]}" source -qq "libsodium=$sodium_version")
    source=$(find "$work/source" -maxdepth 1 -type d -name 'libsodium-*' | head -n1)
    # No threads, no assembly and no stack protector: none exist in WebAssembly.
    (cd "$source" && autoreconf -fi >/dev/null &&
        nice -n 10 emconfigure ./configure -q --host=wasm32-unknown-emscripten --prefix="$sodium" \
            --disable-shared --disable-pie \
            --enable-static --without-pthreads --disable-ssp --disable-asm \
            CFLAGS="-O2" >/dev/null &&
        nice -n 10 emmake make -s -j2 >/dev/null && emmake make -s install >/dev/null)
    rm -rf "$work"
    touch "$sodium/veltrin-sodium-complete"
fi

# zstd, which packs the robust picture's text, from Debian's source of the
# host's version: the library alone, single-threaded, with its CMake build.
zstd_version=$(dpkg-query -W -f='${Version}' libzstd-dev)
zstd_upstream=${zstd_version#*:}
zstd=$cache/zstd-${zstd_upstream%%-*}-wasm
if [[ ! -f "$zstd/veltrin-zstd-complete" ]] &&
    ! from_cache_archives "$cache" "${zstd##*/}" veltrin-zstd-complete; then
    work=$cache/zstd-wasm-work
    rm -rf "$zstd" "$work"
    mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/source"
    cat >"$work/apt/sources.list" <<SOURCES
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main
SOURCES
    apt_source=("${apt_lock[@]}" -o "Dir::Etc::sourcelist=$work/apt/sources.list"
        -o Dir::Etc::sourceparts=- -o "Dir::State::Lists=$work/apt/lists"
        -o "Dir::Cache=$work/apt/cache" -o APT::Sandbox::User=root)
    apt-get "${apt_source[@]}" update -qq
    # The mirror may lack a security update's source; the release's has the
    # same upstream version and interface.
    (cd "$work/source" && { apt-get "${apt_source[@]}" source -qq "libzstd=$zstd_version" ||
        apt-get "${apt_source[@]}" source -qq libzstd/bookworm; })
    source=$(find "$work/source" -maxdepth 1 -type d -name 'libzstd-*' | head -n1)
    nice -n 10 emcmake cmake -S "$source/build/cmake" -B "$work/build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$zstd" \
        -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF -DZSTD_BUILD_SHARED=OFF \
        -DZSTD_BUILD_STATIC=ON -DZSTD_MULTITHREAD_SUPPORT=OFF -DZSTD_LEGACY_SUPPORT=OFF >/dev/null
    nice -n 10 cmake --build "$work/build" --parallel 2
    cmake --install "$work/build" >/dev/null
    rm -rf "$work"
    touch "$zstd/veltrin-zstd-complete"
fi

gtest_version=$(dpkg-query -W -f='${Version}' googletest)
gtest=$cache/googletest-${gtest_version%%-*}-wasm
if [[ ! -f "$gtest/veltrin-gtest-complete" ]] &&
    ! from_cache_archives "$cache" "${gtest##*/}" veltrin-gtest-complete; then
    rm -rf "$gtest" "$gtest-build"
    nice -n 10 emcmake cmake -S /usr/src/googletest -B "$gtest-build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=OFF \
        -Dgtest_disable_pthreads=ON -DCMAKE_CXX_FLAGS=-fexceptions >/dev/null
    nice -n 10 cmake --build "$gtest-build" --parallel 2
    cmake --install "$gtest-build" >/dev/null
    rm -rf "$gtest-build"
    touch "$gtest/veltrin-gtest-complete"
fi

# The code page tables are written by a generator that runs here.
host=build/web-host
nice -n 10 cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_TESTS=OFF \
    -DVELTRIN_BENCHMARKS=OFF >/dev/null
host_targets=(veltrin_make_code_page_936 veltrin_embed_icon_pixels veltrin_write_messages)
[[ $mode != page ]] || host_targets+=(veltrin-cli)
nice -n 10 cmake --build "$host" --target "${host_targets[@]}"

if [[ $mode != core ]]; then
    # The page's module is linked for a browser's worker, not for node. Its
    # exceptions are WebAssembly's own: emcc's JavaScript ones send every call
    # that may throw through a JavaScript trampoline, a drawing call per pixel.
    # Optimised as one program: the page has one kind of surface and one code
    # page, so their per-pixel virtual calls become direct ones and are
    # inlined, which the engines' own compilers do not do across an indirect
    # call. Float to integer conversions need no range check before them.
    page_flags="-fwasm-exceptions -mnontrapping-fptoint -flto -fwhole-program-vtables -fvisibility=hidden"
    dir=build/web
    PKG_CONFIG_LIBDIR=$sodium/lib/pkgconfig:$zstd/lib/pkgconfig nice -n 10 emcmake cmake -S . -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DVELTRIN_CORE_ONLY=ON -DVELTRIN_TESTS=OFF \
        -DVELTRIN_WEB_PAGE=ON -DVELTRIN_WERROR=ON "-DCMAKE_FIND_ROOT_PATH=$sodium;$zstd" \
        "-DVELTRIN_HOST_TOOLS=$root/$host/veltrin-host-tools.cmake" \
        "-DCMAKE_CXX_FLAGS=$page_flags" >/dev/null
    nice -n 10 cmake --build "$dir" --parallel 2
    # The sentences the page's own script says come from the core's catalogue.
    "$host/cipher/veltrin_write_messages" "$dir/messages.json"
    /usr/bin/python3 web/make_page.py web "$dir/web/veltrin-core.js" "$dir/messages.json" \
        "$dir/veltrin.html" "$dir/site" resources/icons/web
    size=$(stat -c %s "$dir/veltrin.html")
    if ((size > 1536 * 1024)); then
        echo "The page is $size bytes, more than 1.5 MiB" >&2
        exit 1
    fi
    [[ $mode == page ]] || exit 0
    # Debian's python3, which has selenium, whatever python3 comes first on PATH.
    corpora=${VELTRIN_CORPORA:-$root/../shared/corpora}
    # puppeteer-core as pinned for the benchmark, without the browser it would fetch.
    mkdir -p "$dir/engines"
    cp package.json package-lock.json "$dir/engines/"
    (cd "$dir/engines" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
    VELTRIN_NODE_MODULES=$root/$dir/engines/node_modules xvfb-run -a \
        /usr/bin/python3 tests/web/page_test.py "$dir/veltrin.html" "$host/cli/veltrin-cli" "$corpora"
    exit
fi

# Exceptions are how the core reports run-time errors: emcc turns catching off
# unless asked. One file per program, so node 20 here loads it as it is.
dir=build/web-core
flags="-fexceptions"
PKG_CONFIG_LIBDIR=$sodium/lib/pkgconfig:$zstd/lib/pkgconfig nice -n 10 emcmake cmake -S . -B "$dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DVELTRIN_CORE_ONLY=ON -DVELTRIN_WERROR=ON \
    "-DCMAKE_FIND_ROOT_PATH=$gtest;$sodium;$zstd" \
    "-DVELTRIN_HOST_TOOLS=$root/$host/veltrin-host-tools.cmake" \
    "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=$flags -sSINGLE_FILE=1 -sALLOW_MEMORY_GROWTH=1 -sNODERAWFS=1" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=node >/dev/null
nice -n 10 cmake --build "$dir" --parallel 2
ctest --test-dir "$dir" --output-on-failure --no-tests=error
