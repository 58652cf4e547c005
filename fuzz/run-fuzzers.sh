#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan + UBSan), writes small seed corpora and runs each
# target for SECONDS. Fails when any target finds a crash, a leak or a time-out.
#
#   fuzz/run-fuzzers.sh [SECONDS] [TARGET...]
#
# MIXOREL_FUZZ_JOBS=2 runs two targets at a time (the default is one after another).
# Corpora, logs and crash inputs stay in build-fuzz/fuzz-run/ for the next run.
set -euo pipefail

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_mpeg_frames fuzz_id3v1 fuzz_id3v2 fuzz_playlist_file fuzz_mix_ini fuzz_song_clipboard
        fuzz_m3u fuzz_album_file fuzz_locations fuzz_filename_pattern fuzz_taglib_reader
        fuzz_replaygain)
fi
jobs=${MIXOREL_FUZZ_JOBS:-1}

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
work="$build/fuzz-run"

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

# ---- seeds: a few valid inputs of each kind, made here rather than kept as binaries ----
rm -rf "$work/seeds"
mkdir -p "$work/seeds"
python3 - "$work/seeds" <<'PY'
import math, os, struct, sys

out = sys.argv[1]

def save(target, name, data):
    os.makedirs(os.path.join(out, target), exist_ok=True)
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data)

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

# MPEG frames with zero bodies: b1 holds version and layer, the bit-rate and sampling
# rate indices pick the length the caller gives.
def frames(b1, b2, b3, length, count):
    one = bytes([0xFF, b1, b2, b3]) + bytes(length - 4)
    return one * count

def xing_first(frame, side_info, count, total):
    at = 4 + side_info
    body = b"Xing" + struct.pack(">III", 0x0F, count, total) + bytes(range(100)) + struct.pack(">I", 60)
    return frame[:at] + body + frame[at + len(body):]

def id3v1(title, track=3, genre=17):
    f = lambda s, n: s.encode("latin-1")[:n].ljust(n, b"\0")
    return (b"TAG" + f(title, 30) + f("Artist", 30) + f("Album", 30) + b"1999" +
            f("Comment", 28) + bytes([0, track, genre]))

def text_frame(fid, text, enc=0, v=3):
    if enc == 0:
        body = b"\0" + text.encode("latin-1")
    elif enc == 1:
        body = b"\1" + text.encode("utf-16")
    elif enc == 2:
        body = b"\2" + text.encode("utf-16-be")
    else:
        body = b"\3" + text.encode("utf-8")
    if v == 2:
        return fid.encode() + struct.pack(">I", len(body))[1:] + body
    size = syncsafe(len(body)) if v == 4 else struct.pack(">I", len(body))
    return fid.encode() + size + b"\0\0" + body

def comm(text, v=3, fid="COMM"):
    body = b"\0eng" + b"desc\0" + text.encode("latin-1")
    if v == 2:
        return b"COM" + struct.pack(">I", len(body))[1:] + body
    size = syncsafe(len(body)) if v == 4 else struct.pack(">I", len(body))
    return fid.encode() + size + b"\0\0" + body

def tag(version, body, flags=0, padding=64):
    body = body + bytes(padding)
    return b"ID3" + bytes([version, 0, flags]) + syncsafe(len(body)) + body

def unsync(data):
    res = bytearray()
    for i, b in enumerate(data):
        res.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] >= 0xE0 or data[i + 1] == 0):
            res.append(0)
    return bytes(res)

v22 = tag(2, text_frame("TT2", "Old title", 0, 2) + text_frame("TP1", "Old artist", 1, 2) +
          comm("old comment", 2) + b"PIC" + struct.pack(">I", 12)[1:] + b"\0PNG\3\0" + bytes(6))
v23 = tag(3, text_frame("TIT2", "Title") + text_frame("TPE1", "Artïst", 1) +
          text_frame("TALB", "Album") + text_frame("TYER", "2001") + text_frame("TRCK", "4/12") +
          text_frame("TCON", "(17)") + comm("A comment") +
          b"WXXX" + struct.pack(">I", 18) + b"\0\0" + b"\0site\0http://x.org")
v24 = tag(4, text_frame("TIT2", "夜の街", 3, 4) + text_frame("TPE1", "Artist", 2, 4) +
          text_frame("TDRC", "2004-05-06", 0, 4) + comm("four", 4))
ext_body = struct.pack(">IH", 6, 0) + bytes(4)  # 2.3 extended header, no CRC
v23_ext = tag(3, ext_body + text_frame("TIT2", "With extended header"), flags=0x40)
body = unsync(text_frame("TIT2", "Unsync \xff\xfb title") + text_frame("TPE1", "\xff"))
v23_unsync = b"ID3\3\0\x80" + syncsafe(len(body)) + body
v24_body = text_frame("TIT2", "Footer", 0, 4)
v24_footer = (b"ID3\4\0\x10" + syncsafe(len(v24_body)) + v24_body +
              b"3DI\4\0\x10" + syncsafe(len(v24_body)))
tags = {"v22": v22, "v23": v23, "v24": v24, "v23ext": v23_ext, "v23unsync": v23_unsync,
        "v24footer": v24_footer}

mp3 = frames(0xFB, 0x90, 0x44, 417, 8)          # MPEG-1 Layer III 128 kbit/s 44.1 kHz
mp3_48 = frames(0xFB, 0x94, 0xC4, 384, 6)       # 128 kbit/s 48 kHz, single channel
mpeg2 = frames(0xF3, 0x80, 0x44, 208, 6)        # MPEG-2 Layer III 64 kbit/s 22.05 kHz
layer2 = frames(0xFD, 0xA4, 0x04, 480, 6)       # MPEG-1 Layer II 160 kbit/s 48 kHz
layer1 = frames(0xFF, 0x84, 0x04, 256, 4)       # MPEG-1 Layer I 256 kbit/s 48 kHz
first = xing_first(mp3[:417], 32, 8, len(mp3))
xing = first + mp3[417:]

save("fuzz_mpeg_frames", "plain.mp3", mp3 + id3v1("Plain"))
for enc, name in ((0, "latin"), (1, "utf16"), (3, "utf8")):
    txxx = text_frame("TXXX", "REPLAYGAIN_TRACK_GAIN\0-7.41 dB", enc)
    save("fuzz_replaygain", name, tag(3, text_frame("TIT2", "Title") + txxx))
save("fuzz_replaygain", "v22", tag(2, text_frame("TXX", "replaygain_track_gain\0+2 dB", 0, 2)))
save("fuzz_mpeg_frames", "mono48.mp3", mp3_48)
save("fuzz_mpeg_frames", "mpeg2.mp3", mpeg2 + id3v1("Two", 0))
save("fuzz_mpeg_frames", "layer2.mp2", layer2)
save("fuzz_mpeg_frames", "layer1.mp1", layer1)
save("fuzz_mpeg_frames", "xing.mp3", v23 + xing + id3v1("Xing"))
save("fuzz_mpeg_frames", "tagged24.mp3", v24 + mp3)
save("fuzz_mpeg_frames", "twotags.mp3", v22 + v23 + mp3)
save("fuzz_mpeg_frames", "garbage-first.mp3", b"\xff\xfb\x90\x44" + bytes(100) + mp3)
pcm = bytes((int(3000 * math.sin(i / 7.0)) >> (8 * (i & 1))) & 0xFF for i in range(4000))
wav = b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVEfmt " + struct.pack(
    "<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" + struct.pack("<I", len(pcm)) + pcm
save("fuzz_mpeg_frames", "pcm.wav", wav)

save("fuzz_id3v1", "v11.tag", id3v1("Title one", 7, 17))
save("fuzz_id3v1", "v10.tag", id3v1("Title two", 0, 255)[:125] + b"end")
save("fuzz_id3v1", "setters.tag", id3v1("Song", 1, 3) + "Ünïcode text for the setters 1999".encode())
save("fuzz_id3v1", "latin1.tag", b"TAG" + b"Caf\xe9".ljust(30, b" ") + bytes(95))

# First byte: bit 0 selects the write round trip, the rest picks the fields written.
for name, data in tags.items():
    save("fuzz_id3v2", name + ".tag", b"\0" + data)
    save("fuzz_id3v2", name + "-write.mp3", bytes([1]) + data + mp3[:417 * 2])
for control in (3, 5, 7, 9):
    save("fuzz_id3v2", "plain-write-%d.mp3" % control, bytes([control]) + mp3[:417 * 2])

# Playlists: texts with a length prefix, 32-bit numbers, dates as status + day number.
def qtext(b):
    if len(b) < 255:
        return bytes([len(b)]) + b
    return b"\xff" + struct.pack("<H", len(b)) + b
def qdate(status, days):
    return struct.pack("<id", status, days)
def record(path, title, region=0, marker=True):
    body = (qtext(path) + qtext(title) + qdate(2, 0.0) + struct.pack("<10i", 0, 0, 44100, 1, 128000,
            4000000, 1, region, 0x808000, 0xFFFFFF) + id3v1("Seed") )
    return (qtext(b"qmxv50") + body + qdate(0, 45000.5)) if marker else body
def playlist(signature, records, tail=True):
    out = qtext(signature) + struct.pack("<i", len(records)) + b"".join(records) + qdate(2, 0.0)
    return out + (struct.pack("<ii", 1, 1) if tail else b"")
save("fuzz_playlist_file", "empty.qmx", playlist(b"qmx201-4", []))
save("fuzz_playlist_file", "two.qmx", playlist(b"qmx201-4", [record(b"/music/a.mp3", b"A"),
     record(b"", b"Region", 1)]))
save("fuzz_playlist_file", "old.qmx", playlist(b"qmx201-2", [record(b"/m/b.mp3", b"B", 0, False)]))
save("fuzz_playlist_file", "long.qmx", playlist(b"QMX201-4", [record(b"/m/" + b"x" * 300, "é".encode())]))
def songs(records):
    return struct.pack("<i", len(records)) + b"".join(records)
save("fuzz_song_clipboard", "two.bin", songs([record(b"/music/a.mp3", b"A"), record(b"", b"Region", 1)]))
save("fuzz_song_clipboard", "old.bin", songs([record(b"/m/b.mp3", b"B", 0, False)]))

save("fuzz_m3u", "extended.m3u", b"\0#EXTM3U\r\n#EXTINF:215,Artist - Song\r\nmusic\\a.mp3\r\n"
     b"# comment\r\n\r\nhttp://radio.example/live\r\n../up/b.mp3\r\n/abs/c.mp3")
save("fuzz_m3u", "cp1252.m3u", b"\0#EXTINF:1,Caf\xe9 \x80\n\xe9t\xe9.mp3\n")
save("fuzz_m3u", "utf8.m3u8", b"\1\xef\xbb\xbf#EXTINF:-1,\xe5\xa4\x9c\n\xe5\xa4\x9c.mp3\rhttps://x.example/s\n")
save("fuzz_m3u", "uris.m3u8", b"\1file:///m/a%20b%C3%A9.mp3\nFILE://localhost/m/c.mp3\n"
     b"file:/m/./d%2.mp3\nfile://server/e.mp3\nfile:///m/x%0A%00.mp3\n")
save("fuzz_album_file", "two.qma", qtext(b"qmx-p") + struct.pack("<i", 2) + qtext(b"/m/a.qmx") +
     qtext("/m/ö.qmx".encode()))
save("fuzz_album_file", "empty.qma", qtext(b"qmx-p") + struct.pack("<i", 0))
save("fuzz_album_file", "long.qma", qtext(b"qmx-p") + struct.pack("<i", 1) + qtext(b"/" + b"y" * 400))
save("fuzz_locations", "three.dat", struct.pack("<i", 3) + qtext(b"/music/") + qtext(b"/M\xfcsik/") +
     qtext("/夜/".encode()))
save("fuzz_locations", "empty.dat", struct.pack("<i", 0))
save("fuzz_filename_pattern", "track-artist-title", b"{TRACK}-{ARTIST}-{TITLE}\0/music/07-Band-Song.mp3")
save("fuzz_filename_pattern", "brackets", b"{ARTIST} ({ALBUM}) {YEAR}\0Band (Live) 1999.mp2")
PY
# Short files of the formats TagLib reads, each behind the byte that picks its name (see
# fuzz_taglib_reader.cpp), when ffmpeg is at hand.
mkdir -p "$work/seeds/fuzz_taglib_reader"
if command -v ffmpeg >/dev/null; then
    index=0
    for codec in "flac flac" "ogg libvorbis" "oga flac" "opus libopus" "m4a aac" "wav pcm_u8"; do
        set -- $codec
        ffmpeg -v error -y -f lavfi -i sine=f=440:d=0.2:r=8000 -c:a "$2" -metadata title=Seed \
            -metadata artist=Fuzz "$work/seeds/seed.$1" || true
        if [ -f "$work/seeds/seed.$1" ]; then
            selector=$(printf '%02x' "$index")
            { printf "\x$selector"; cat "$work/seeds/seed.$1"; } >"$work/seeds/fuzz_taglib_reader/$1"
            rm -f "$work/seeds/seed.$1"
        fi
        index=$((index + 1))
    done
fi
mkdir -p "$work/seeds/fuzz_mix_ini"
cp resources/mix.ini "$work/seeds/fuzz_mix_ini/mix.ini"
printf 'Tabs\tand, commas\n1,2 3\t4,,1000\r\n12abc, -5 0\n' > "$work/seeds/fuzz_mix_ini/odd.ini"

# ---- runs ---------------------------------------------------------------------------
max_len() {
    case "$1" in
    fuzz_mpeg_frames) echo 300000 ;;
    fuzz_id3v1) echo 1024 ;;
    fuzz_playlist_file) echo 200000 ;;
    *) echo 65536 ;;
    esac
}

run_target() {
    local name=$1
    local corpus="$work/corpus/$name" artifacts="$work/artifacts/$name/"
    mkdir -p "$corpus" "$artifacts"
    echo "== $name: ${seconds}s"
    "$build/fuzz/$name" -max_total_time="$seconds" -max_len="$(max_len "$name")" \
        -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$corpus" "$work/seeds/$name" \
        >"$work/$name.log" 2>&1 || true
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done)' "$work/$name.log" || true
}

mkdir -p "$work"
running=0
for name in "${targets[@]}"; do
    run_target "$name" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait

found=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' \) | sort)
if [ -n "$found" ]; then
    echo "FAILED: the fuzzers found problems (logs in $work):"
    echo "$found"
    exit 1
fi
echo "OK: no crash in ${#targets[@]} target(s), ${seconds}s each"
