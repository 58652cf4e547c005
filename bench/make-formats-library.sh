#!/usr/bin/env bash
# Writes COUNT tagged files of each of FLAC, Ogg Vorbis, Opus and M4A below FOLDER, in
# folders per format and album as a library is kept: ffmpeg encodes one 2-second tone per
# format, and mutagen copies it under every name with its own title, artist, album, year,
# track, genre and comment (and ReplayGain on every third file).
#
#   bench/make-formats-library.sh FOLDER [COUNT]    (COUNT defaults to 500)
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 FOLDER [COUNT]" >&2
    exit 2
fi
folder=$1
count=${2:-500}
python=/usr/bin/python3
"$python" -c 'import mutagen' 2>/dev/null || python=python3

mkdir -p "$folder"
base=$(mktemp -d "${TMPDIR:-/tmp}/mixorel-formats-XXXXXX")
trap 'rm -rf "$base"' EXIT
for codec in "flac flac" "ogg libvorbis" "opus libopus" "m4a aac"; do
    set -- $codec
    ffmpeg -v error -y -f lavfi -i sine=f=440:d=2:r=44100 -ac 2 -c:a "$2" "$base/tone.$1"
done

"$python" - "$base" "$folder" "$count" <<'PY'
import os, shutil, sys
import mutagen
from mutagen.mp4 import MP4

base, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
artists = ["The Band", "Zoë Keating", "Sigur Rós", "Björk", "Nina Simone"]
genres = ["Jazz", "Rock", "Ambient", "Classical", "Pop"]
for ext in ("flac", "ogg", "opus", "m4a"):
    for i in range(count):
        album = i // 12
        path = os.path.join(folder, ext, "album-%03d" % album, "%02d-song-%04d.%s" % (i % 12 + 1, i, ext))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copyfile(os.path.join(base, "tone." + ext), path)
        f = mutagen.File(path)
        title, artist = "Song number %d" % (i + 1), artists[album % len(artists)]
        if isinstance(f, MP4):
            f.update({"\xa9nam": [title], "\xa9ART": [artist], "\xa9alb": ["Album %d" % album],
                      "\xa9day": [str(1970 + album % 50)], "trkn": [(i % 12 + 1, 12)],
                      "\xa9gen": [genres[album % len(genres)]], "\xa9cmt": ["Ripped"]})
        else:
            f.update({"title": title, "artist": artist, "album": "Album %d" % album,
                      "date": str(1970 + album % 50), "tracknumber": str(i % 12 + 1),
                      "genre": genres[album % len(genres)], "comment": "Ripped"})
            if i % 3 == 0:
                f["replaygain_track_gain"] = "-6.50 dB"
        f.save()
PY
