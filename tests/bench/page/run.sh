#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The page's classic encrypt and decrypt beside the native benchmark's, in
# turns, so that both see the same load:
#   tests/bench/page/run.sh PAGE NATIVE_BENCH [ROUNDS]
# Needs chromium, chromium-driver, firefox-esr, webkit2gtk-driver, xvfb,
# python3-selenium and puppeteer-core (npm ci at the repository's root).
set -euo pipefail
here=$(dirname "$0")
page=$(realpath "$1") native=$2 rounds=${3:-3}
for ((round = 1; round <= rounds; ++round)); do
    "$native" --benchmark_filter='BM_(En|De)crypt12000' --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true 2>/dev/null | grep median
    /usr/bin/python3 "$here/drive.py" chromium "$page" "$here/measure.js"
    (cd "$here" && node firefox.mjs "$page" measure.js)
    xvfb-run -a /usr/bin/python3 "$here/drive.py" webkit "$page" "$here/measure.js"
done
