#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# veltrin-cli encrypt and decrypt of a 12000-character text, as whole
# processes, paired run by run with a minimal Qt program that writes and reads
# a 110 x 110 BMP with QImage (bmp_baseline.cpp). Prints medians and the
# median of the per-run ratios; the goal is a ratio within 1.5.
#   tests/bench/cli_bench.sh [RUNS] [BUILD_DIR]    (30 runs, build/test)
# Two more pairs show where the time goes: encrypt-to-stdout skips the safe
# write (temporary file, fsync, rename), and start-up pairs `veltrin-cli
# --version` with the yardstick doing nothing.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-30}
dir=${2:-build/test}
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

cmake --build "$dir" --target veltrin-cli veltrin_bench_bmp_baseline >/dev/null
cli=$dir/cli/veltrin-cli
baseline=$dir/tests/bench/veltrin_bench_bmp_baseline
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 12000 characters as the window counts them (a line break is CR LF, two):
# ASCII, Chinese and line breaks.
piece=$'Hello, world! 加密解密的内容 对比2个文本框 abc\n'
cost=$((${#piece} + 1)) # its LF is stored as CR LF
text=""
for ((length = 0; length + cost <= 12000; length += cost)); do text+=$piece; done
for ((; length < 12000; length++)); do text+=x; done
printf '%s' "$text" >"$work/text.txt"
"$cli" encrypt -i "$work/text.txt" -o "$work/cipher.bmp"
"$baseline" write "$work/baseline.bmp"

# Microseconds one command takes, as a whole process.
elapsed() {
    local start=${EPOCHREALTIME/./}
    "$@" >/dev/null
    echo $((${EPOCHREALTIME/./} - start))
}

# One line per run and case: the case, veltrin-cli's time, the baseline's time.
results=$work/times
for ((run = 0; run < runs; run++)); do
    for pair in encrypt encrypt-to-stdout decrypt start-up; do
        case $pair in
        encrypt)
            a=("$cli" encrypt -f -i "$work/text.txt" -o "$work/out.bmp")
            b=("$baseline" write "$work/baseline.bmp") ;;
        encrypt-to-stdout)
            a=("$cli" encrypt -i "$work/text.txt" -o -)
            b=("$baseline" write "$work/baseline.bmp") ;;
        decrypt)
            a=("$cli" decrypt "$work/cipher.bmp")
            b=("$baseline" read "$work/baseline.bmp") ;;
        start-up)
            a=("$cli" --version)
            b=("$baseline" start) ;;
        esac
        # Alternate which of a pair goes first, so that neither always comes second.
        if ((run % 2)); then
            tb=$(elapsed "${b[@]}"); ta=$(elapsed "${a[@]}")
        else
            ta=$(elapsed "${a[@]}"); tb=$(elapsed "${b[@]}")
        fi
        echo "$pair $ta $tb" >>"$results"
    done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
printf '%-36s %10s %10s %8s\n' "$runs paired runs" "cli ms" "Qt BMP ms" "ratio"
for pair in encrypt encrypt-to-stdout decrypt start-up; do
    rows=$(awk -v p="$pair" '$1 == p' "$results")
    printf '%-36s %10.2f %10.2f %8.2f\n' "veltrin-cli $pair vs QImage" \
        "$(awk '{ print $2 / 1000 }' <<<"$rows" | median)" \
        "$(awk '{ print $3 / 1000 }' <<<"$rows" | median)" \
        "$(awk '{ print $2 / $3 }' <<<"$rows" | median)"
done
