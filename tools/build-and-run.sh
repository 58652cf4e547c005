#!/usr/bin/env bash
# Installs what is needed, builds the program and runs its main job. Until the desktop
# program exists, that is `mixorel-cli info` over a folder of music (default ~/Music).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh
cmake --preset default
cmake --build --preset default
exec ./build/app/mixorel-cli info "${1:-${XDG_MUSIC_DIR:-$HOME/Music}}"
