#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the picture fuzzer with clang (libFuzzer, AddressSanitizer, UBSan)
# and runs it over a seed corpus written from the image suites and the tests'
# own picture files.
#   scripts/fuzz.sh [seconds]   fuzz that long (60 by default); fails on any
#                               crash, timeout (10 s on one input) or out-of-memory
#                               (2 GB in all, 512 MB in one allocation)
#   scripts/fuzz.sh --coverage  line coverage of our sources over the corpus so far
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --tests

options=(-G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DVELTRIN_FUZZ=ON -DVELTRIN_TESTS=OFF -DVELTRIN_BENCHMARKS=OFF -DVELTRIN_WERROR=ON)
if [[ -n "${VELTRIN_CORPORA:-}" ]]; then
    options+=("-DVELTRIN_CORPORA=$VELTRIN_CORPORA")
fi
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
corpus=build/fuzz/corpus
mkdir -p "$corpus" build/fuzz/artifacts

if [[ "${1:-}" == "--coverage" ]]; then
    dir=build/fuzz-coverage
    cmake -S . -B "$dir" "${options[@]}" -DVELTRIN_COVERAGE=ON
    cmake --build "$dir" --target veltrin_fuzz_picture veltrin_fuzz_seed_corpus
    rm -f "$dir"/fuzz-*.profraw
    LLVM_PROFILE_FILE="$PWD/$dir/fuzz-%p.profraw" \
        "$dir"/tests/fuzz/veltrin_fuzz_picture -runs=0 "$corpus" "$dir"/fuzz-seeds
    llvm-profdata merge -sparse "$dir"/fuzz-*.profraw -o "$dir"/fuzz.profdata
    llvm-cov report "$dir"/tests/fuzz/veltrin_fuzz_picture -instr-profile="$dir"/fuzz.profdata \
        pictures/*.cpp platform/*.cpp cipher/*.cpp
    exit 0
fi

seconds=${1:-60}
cmake -S . -B build/fuzz "${options[@]}"
cmake --build build/fuzz --target veltrin_fuzz_picture veltrin_fuzz_seed_corpus
# libpng reports every broken file on its own; those lines are left out.
# One seed unless told another (VELTRIN_FUZZ_SEED=0: a new one each run), so
# that CI repeats the run a developer made; longer runs explore further.
build/fuzz/tests/fuzz/veltrin_fuzz_picture -max_total_time="$seconds" -timeout=10 \
    -seed="${VELTRIN_FUZZ_SEED:-1}" \
    -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 -artifact_prefix=build/fuzz/artifacts/ \
    "$corpus" build/fuzz/fuzz-seeds 2>&1 | grep -v '^libpng error: '
