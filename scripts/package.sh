#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a release build, checks it with lintian, and
# tries it unpacked (no system install): veltrin-cli --version and one round
# trip, without a display.
#   scripts/package.sh    writes build/package/veltrin_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --package
# The package carries the browser page.
bash scripts/web.sh --build

dir=build/package
# Debian's hardening flags, as a Debian build of the package would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_WERROR=ON \
    -DVELTRIN_TESTS=OFF -DVELTRIN_BENCHMARKS=OFF "-DVELTRIN_PAGE_FILE=$PWD/build/web/veltrin.html" \
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$dir"
rm -f "$dir"/veltrin_*.deb
(cd "$dir" && cpack -G DEB)
deb=$(echo "$dir"/veltrin_*.deb)

lintian_options=(--fail-on error --display-info)
((EUID != 0)) || lintian_options+=(--allow-root)
lintian "${lintian_options[@]}" "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
cli() { env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "$unpacked/usr/bin/veltrin-cli" "$@"; }

version=$(cli --version)
[[ "$version" == "veltrin-cli $(dpkg-deb -f "$deb" Version)" ]] ||
    { echo "Unexpected version: $version" >&2; exit 1; }
text=$'Veltrin 加密解密\nsecond line'
printf '%s' "$text" | cli encrypt -p Pass1234 -o "$unpacked/trip.bmp"
[[ "$(cli decrypt -p Pass1234 "$unpacked/trip.bmp")" == "$text" ]] ||
    { echo "The unpacked veltrin-cli did not give the text back" >&2; exit 1; }
# A weak password warns and still seals; --require-strong refuses it. The
# estimate comes from the package's libzxcvbn0.
warned=$(printf '%s' "$text" | cli encrypt --protect -p Pass1234 -o "$unpacked/protected.bmp" 2>&1)
[[ "$warned" == *"warning: this password could be found in"* ]] ||
    { echo "The unpacked veltrin-cli did not warn about a weak password: $warned" >&2; exit 1; }
[[ "$(cli decrypt -p Pass1234 "$unpacked/protected.bmp")" == "$text" ]] ||
    { echo "The unpacked veltrin-cli did not open its protected picture" >&2; exit 1; }
if printf '%s' "$text" | cli encrypt --protect --require-strong -p Pass1234 \
    -o "$unpacked/refused.bmp" 2>/dev/null || [[ -e "$unpacked/refused.bmp" ]]; then
    echo "The unpacked veltrin-cli sealed with a weak password under --require-strong" >&2
    exit 1
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsodium23 libzxcvbn0; do
    [[ "$depends" == *"$library"* ]] ||
        { echo "The package does not depend on $library: $depends" >&2; exit 1; }
done
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/veltrin/copyright | grep -q 'CC-BY-SA-3.0' ||
    { echo "The package's copyright file lacks the word lists' notice" >&2; exit 1; }
# The user guides, in Chinese and in English.
for guide in guide.zh-CN.md.gz guide.md.gz; do
    [[ -s "$unpacked/usr/share/doc/veltrin/$guide" ]] ||
        { echo "The package lacks the user guide $guide" >&2; exit 1; }
done
# The page it carries, as veltrin-cli web writes it.
cli web "$unpacked/page.html"
cmp -s "$unpacked/page.html" build/web/veltrin.html ||
    { echo "The unpacked veltrin-cli web did not write the page the package carries" >&2; exit 1; }
echo "Package: $deb ($version, round trips passed, the page included; Depends: $depends)"
