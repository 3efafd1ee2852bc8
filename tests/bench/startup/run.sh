#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up benchmark: the window against a bare Qt window of the same size,
# under one Xvfb server, paired run by run with the order alternating, after a
# warm-up, measured two ways:
#   until first paint: veltrin_startup_launcher (the shipped main() and
#     libraries) and the bare window each quit after their first paint; a run
#     is the whole process, exec to exit;
#   until mapped: the shipped veltrin and the bare window, from exec until the
#     X server maps the window of their title, killed from outside
#     (veltrin_startup_until_mapped, through XCB).
# Prints both medians and the median of the per-pair ratios for each.
# A benchmark, not a test: nothing fails on a slow machine.
#   tests/bench/startup/run.sh [PAIRS]      25 pairs by default
# BUILD_DIR (default build/test) and WARMUP (default 5 runs of each) override.
# Other work on the machine lowers the ratio: measure on an idle machine.
set -euo pipefail
cd "$(dirname "$0")/../../.."

pairs=${1:-25}
warmup=${WARMUP:-5}
dir=${BUILD_DIR:-build/test}

# A fresh Debian 12 needs the build and test packages, and xvfb for the server.
bash scripts/setup.sh --tests
if ! command -v Xvfb >/dev/null; then
    sudo=()
    ((EUID == 0)) || sudo=(sudo)
    echo "Installing: xvfb"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends xvfb
fi

if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    cmake -S . -B "$dir" -G Ninja -DVELTRIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$dir" --target veltrin_startup_launcher veltrin_startup_bare veltrin \
    veltrin_startup_until_mapped veltrin_startup_bare_stays
[[ "$dir" == /* ]] || dir=$PWD/$dir
window=$dir/tests/bench/startup/veltrin_startup_launcher
bare=$dir/tests/bench/startup/veltrin_startup_bare
mapped=$dir/tests/bench/startup/veltrin_startup_until_mapped
shipped=$dir/veltrin
stays=$dir/tests/bench/startup/veltrin_startup_bare_stays

# One server for every run; -displayfd has it pick a free display number.
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; rm -f "$fifo"' EXIT
display=
read -r display <"$fifo" || true
if [[ -z "$display" ]]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
export DISPLAY=:$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Wall time of one whole run in microseconds, from bash's clock (no fork).
elapsed()
{
    local start end
    start=${EPOCHREALTIME/./}
    if ! "$1" >/dev/null 2>&1; then
        echo "run failed: $1" >&2
        exit 1
    fi
    end=${EPOCHREALTIME/./}
    echo $((end - start))
}

# Microseconds until the window titled $1 of program $2 is mapped.
until_mapped()
{
    "$mapped" "$1" "$2" || {
        echo "run failed: $2" >&2
        exit 1
    }
}

summary()
{
    awk -v pairs="$pairs" -v what="$1" '
        function median(a, n,    i, j, t) {
            for (i = 2; i <= n; ++i)
                for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        { w[NR] = $1 / 1000; b[NR] = $2 / 1000; r[NR] = $1 / $2 }
        END {
            printf "%s, %d pairs\n", what, pairs
            printf "  window median: %.1f ms\n", median(w, NR)
            printf "  bare median:   %.1f ms\n", median(b, NR)
            printf "  median ratio:  %.2f\n", median(r, NR)
        }'
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((i = 0; i < warmup; ++i)); do
    elapsed "$bare" >/dev/null
    elapsed "$window" >/dev/null
    until_mapped Veltrin "$shipped" >/dev/null
    until_mapped Bare "$stays" >/dev/null
done

painted=()
mappings=()
for ((i = 0; i < pairs; ++i)); do
    if ((i % 2 == 0)); then
        b=$(elapsed "$bare")
        w=$(elapsed "$window")
        mb=$(until_mapped Bare "$stays")
        mw=$(until_mapped Veltrin "$shipped")
    else
        w=$(elapsed "$window")
        b=$(elapsed "$bare")
        mw=$(until_mapped Veltrin "$shipped")
        mb=$(until_mapped Bare "$stays")
    fi
    painted+=("$w $b")
    mappings+=("$mw $mb")
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"

printf '%s\n' "${painted[@]}" | summary "until first paint, exec to exit"
printf '%s\n' "${mappings[@]}" | summary "until mapped, as the X server sees it"
