#!/usr/bin/env bash
# Times `mixorel-cli playlist import FOLDER -o OUT.qmx` as a whole process (every song's
# information read before saving) and prints seconds (min and median of the runs).
#
#   bench/run-import-timing.sh MIXOREL_CLI [FOLDER]
#
# Without FOLDER a library of MIXOREL_BENCH_FILES (default 2000) small songs is generated
# by mixorel-bench: MIXOREL_BENCH_BIN, by default bench/mixorel-bench in the CLI's build.
# MIXOREL_TIMING_RUNS sets the number of timed runs (default 3, after one warm-up run).
# The settings and program folders are fresh temporary ones.
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 MIXOREL_CLI [FOLDER]" >&2
    exit 2
fi
cli=$(realpath "$1")
folder=${2:-}
runs=${MIXOREL_TIMING_RUNS:-3}
count=${MIXOREL_BENCH_FILES:-2000}
bench_bin=${MIXOREL_BENCH_BIN:-$(dirname "$cli")/../bench/mixorel-bench}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mixorel-import-timing-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME="$tmp/config" MIXOREL_HOME="$tmp/home"

if [ -z "$folder" ]; then
    "$bench_bin" --make-library "$tmp/songs" "$count"
    folder="$tmp/songs"
fi
files=$(find "$folder" -type f | wc -l)
find "$folder" -type f -exec cat {} + >/dev/null # warm the page cache
echo "mixorel-cli playlist import over $files files in $folder"

command=$(printf '%q playlist import %q -o %q' "$cli" "$folder" "$tmp/out.qmx")
if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 1 --runs "$runs" --export-json "$tmp/times.json" "$command" >&2
    python3 -c 'import json,sys; print("\n".join(str(t) for t in json.load(open(sys.argv[1]))["results"][0]["times"]))' \
        "$tmp/times.json" >"$tmp/times.txt"
else
    eval "$command" >/dev/null
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        eval "$command" >/dev/null
        end=$(date +%s%N)
        echo "$(((end - start) / 1000))e-6"
    done >"$tmp/times.txt"
fi
sort -g "$tmp/times.txt" | awk '
    { t[NR] = $1 }
    END {
        median = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
        printf "seconds over %d runs: min %.3f, median %.3f, max %.3f\n", NR, t[1], median, t[NR]
    }'
