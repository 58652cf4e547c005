#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests, the benchmarks and the fuzz
# targets need. Safe to run again.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config
    # the platform layer and the desktop program
    qt6-base-dev
    # playback: GStreamer with the codecs of mp3, mp2, wav, wma, flac, ogg and CD audio;
    # a PulseAudio server whose null sink the end-to-end tests record
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav
    gstreamer1.0-pulseaudio gstreamer1.0-tools pulseaudio pulseaudio-utils libpulse-dev
    # on the air: the Icecast stream (shout2send is in plugins-good), the password keyring,
    # and a real Icecast server with curl as its listener for the broadcast tests
    qtkeychain-qt6-dev icecast2 curl
    # tests and their tools: generated audio, a second tag reader for interoperability
    googletest libgtest-dev libgmock-dev sox lame ffmpeg python3 python3-mutagen poppler-utils
    # the remote-player back end's tests: a private session bus and a real MPRIS player
    dbus-daemon dbus-bin mpv mpv-mpris
    # the desktop program driven as a user drives it: a virtual X server and real input
    xvfb xdotool x11-utils imagemagick fonts-dejavu-core
    # a browser that shows the HTML song list headless
    chromium
    # loudness analysis and its cache
    libebur128-dev libsqlite3-dev gstreamer1.0-plugins-bad
    # benchmarks (TagLib only as the comparison) and fuzzing
    libbenchmark-dev libtag1-dev hyperfine clang libclang-rt-14-dev
    # the install test: desktop entry, MIME database and manual pages
    desktop-file-utils shared-mime-info xdg-utils libfile-mimeinfo-perl man-db
)

run_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    run_as_root apt-get update -qq
    run_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
