#!/usr/bin/env bash
# Installs what is needed, builds everything and starts the desktop program, handing it
# the files given (playlists .qmx, albums .qma).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
cmake --preset default
cmake --build --preset default
exec ./build/app/mixorel "$@"
