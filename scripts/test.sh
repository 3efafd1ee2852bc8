#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up, builds Veltrin with its tests and runs every test.
#   scripts/test.sh             warnings as errors, optimised build
#   scripts/test.sh --sanitize  the same tests under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests

if [[ "${1:-}" == "--sanitize" ]]; then
    dir=build/sanitize
    options=(-DCMAKE_BUILD_TYPE=Debug -DVELTRIN_SANITIZE=ON -DVELTRIN_BENCHMARKS=OFF)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
else
    dir=build/test
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi

cmake -S . -B "$dir" -G Ninja -DVELTRIN_WERROR=ON "${options[@]}"
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure --no-tests=error
