#!/usr/bin/env bash
# Line and branch coverage of the program (core, platform layer, desktop program and
# command-line tool) over the whole test suite: builds the coverage preset, clears the
# counters, runs every test, and prints gcovr's summary. Needs gcovr (apt-get install gcovr).
# Usage: tools/coverage.sh [--html DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

cmake --preset coverage >/dev/null
cmake --build --preset coverage
find build-cov -name '*.gcda' -delete
ctest --preset coverage -j2 || echo "coverage: some tests failed; figures cover the run as it went" >&2

args=(-r "$root" --object-directory build-cov -j2
      --filter "$root/(app|catalogue|media|platform|playback|settings|ui)/"
      --exclude-throw-branches --exclude-unreachable-branches --print-summary)
if [[ "${1:-}" == "--html" && -n "${2:-}" ]]; then
    mkdir -p "$2"
    args+=(--html-details "$2/index.html")
fi
gcovr "${args[@]}"
