#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: first the threaded
# logic under ThreadSanitizer (GStreamer and Qt are not instrumented, so only the core
# and the simulated device), then the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
cmake --preset tsan
cmake --build --preset tsan --target playback_tests mci_tests settings_tests catalogue_tests engine_tests loudness_tests
ctest --preset tsan -j2 --output-on-failure -E _NOT_BUILT
unset TSAN_OPTIONS

cmake --preset default
cmake --build --preset default
ctest --preset default -j2 --output-on-failure
