#!/usr/bin/env bash
# Times two commands as whole processes in interleaved pairs (A, B, A, B, ...), so that a
# busy machine slows both alike, and prints for each the min and median seconds and
# files/s, and the median of the per-pair ratios B/A (how many times faster A is).
#
#   bench/run-interleaved.sh FILES PAIRS 'COMMAND A' 'COMMAND B'
#
# FILES is the number of files each command reads (for files/s); one warm-up run of each
# comes first. Output goes to /dev/null.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 FILES PAIRS 'COMMAND A' 'COMMAND B'" >&2
    exit 2
fi
files=$1
pairs=$2
a=$3
b=$4

eval "$a" >/dev/null
eval "$b" >/dev/null

# Seconds of one run, to the microsecond.
run() {
    local start end
    start=$(date +%s%N)
    eval "$1" >/dev/null
    end=$(date +%s%N)
    echo "$(((end - start) / 1000))e-6"
}

times=()
for _ in $(seq "$pairs"); do
    times+=("$(run "$a") $(run "$b")")
done

printf '%s\n' "${times[@]}" | awk -v files="$files" '
    function sortn(a, n,    i, j, v) {
        for (i = 2; i <= n; i++) {
            v = a[i]
            for (j = i - 1; j >= 1 && a[j] > v; j--) a[j + 1] = a[j]
            a[j + 1] = v
        }
    }
    function median(a, n) { sortn(a, n); return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    { n++; ta[n] = $1 + 0; tb[n] = $2 + 0; r[n] = tb[n] / ta[n] }
    END {
        ma = median(ta, n); mb = median(tb, n); mr = median(r, n)
        printf "A: min %.1f ms, median %.1f ms (%.0f files/s at the median)\n", ta[1] * 1000, ma * 1000, files / ma
        printf "B: min %.1f ms, median %.1f ms (%.0f files/s at the median)\n", tb[1] * 1000, mb * 1000, files / mb
        printf "B/A: median of %d pair ratios %.2f (min %.2f, max %.2f); ratio of minima %.2f\n", n, mr, r[1], r[n], tb[1] / ta[1]
    }'
