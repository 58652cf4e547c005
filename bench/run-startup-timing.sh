#!/usr/bin/env bash
# Times the desktop program from its start to the main window shown, with no file and
# with a playlist of MIXOREL_BENCH_SONGS (default 100,000) songs on the command line, and
# reports the peak memory of the run with the playlist. Prints min and median of
# MIXOREL_TIMING_RUNS runs (default 3, after one warm-up run).
#
#   bench/run-startup-timing.sh MIXOREL MIXOREL_PLAYLIST_BENCH
#
# The program runs on the offscreen platform (or $QT_QPA_PLATFORM) with a fresh settings
# file and program folder; MIXOREL_STARTUP_PROBE makes it print the time at which its
# window was shown and leave at once.
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 MIXOREL MIXOREL_PLAYLIST_BENCH" >&2
    exit 2
fi
program=$(realpath "$1")
maker=$(realpath "$2")
runs=${MIXOREL_TIMING_RUNS:-3}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mixorel-startup-XXXXXX")
trap 'rm -rf "$tmp"' EXIT
"$maker" --write-playlist "$tmp/big.qmx"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export MIXOREL_STARTUP_PROBE=1 MIXOREL_AUDIO_SINK=fakesink

# Milliseconds from exec to the window shown, for one run.
one_run() {
    rm -rf "$tmp/home"
    mkdir -p "$tmp/home/config" "$tmp/home/data"
    # Not the first run (no question), nothing to reopen.
    mkdir -p "$tmp/home/config/Mixorel"
    printf '[winamp]\nwinamppath=x\n[global]\nloadlastused=0\n' >"$tmp/home/config/Mixorel/Mixorel.ini"
    local start shown
    start=$(date +%s%N)
    shown=$(XDG_CONFIG_HOME="$tmp/home/config" MIXOREL_HOME="$tmp/home/data" \
        /usr/bin/time -f '%M' -o "$tmp/rss" "$program" "$@" 2>&1 >/dev/null | sed -n 's/^shown //p')
    echo $(((shown - start) / 1000000)) "$(cat "$tmp/rss")"
}

report() {
    local label=$1
    shift
    one_run "$@" >/dev/null # warm-up
    for _ in $(seq "$runs"); do one_run "$@"; done >"$tmp/times"
    sort -n "$tmp/times" | awk -v label="$label" '
        { ms[NR] = $1; kb[NR] = $2 }
        END {
            peak = 0; for (i = 1; i <= NR; i++) if (kb[i] > peak) peak = kb[i]
            printf "%s: min %d ms, median %d ms, peak RSS %.1f MB\n", label, ms[1], ms[int((NR + 1) / 2)], peak / 1024
        }'
}

report "no file"
report "${MIXOREL_BENCH_SONGS:-100000}-song playlist" "$tmp/big.qmx"
