#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets everything up, builds Veltrin and opens its window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELTRIN_TESTS=OFF -DVELTRIN_BENCHMARKS=OFF
cmake --build build/release --target veltrin
exec build/release/veltrin "$@"
