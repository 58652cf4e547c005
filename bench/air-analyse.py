#!/usr/bin/env python3
"""Reads a listener's ICY captures (N.head/N.body pairs) of a 128 kbit/s MP3 stream and
prints, for every title change, the delay in seconds from the start of the song's tone
in the audio to the title's position in the stream.

    air-analyse.py PREFIX HZ:TITLE...
"""
import math
import struct
import subprocess
import sys
import glob
import os

RATE = 8000
WINDOW = 400  # 50 ms
BYTES_PER_SECOND = 128000 / 8


def read_icy(head, body):
    interval = 0
    for line in open(head, errors="replace"):
        if line.lower().startswith("icy-metaint:"):
            interval = int(line.split(":")[1])
    data = open(body, "rb").read()
    audio, titles, at = bytearray(), [], 0
    while at < len(data):
        take = data[at:at + interval] if interval else data[at:]
        audio += take
        at += len(take)
        if not interval or at >= len(data):
            break
        length = data[at] * 16
        at += 1
        block = data[at:at + length].decode("utf-8", "replace")
        at += length
        if "StreamTitle='" in block:
            titles.append((len(audio), block.split("StreamTitle='")[1].split("';")[0]))
    return bytes(audio), titles


def decode(audio):
    out = subprocess.run(["ffmpeg", "-v", "quiet", "-i", "pipe:0", "-ac", "1", "-ar", str(RATE),
                          "-f", "f32le", "pipe:1"], input=audio, capture_output=True).stdout
    return struct.unpack("<%df" % (len(out) // 4), out)


def goertzel(x, hz):
    w = 2 * math.pi * hz / RATE
    c = 2 * math.cos(w)
    s1 = s2 = 0.0
    for v in x:
        s1, s2 = v + c * s1 - s2, s1
    return math.sqrt(max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2)) / len(x)


def main():
    prefix, tones = sys.argv[1], [t.split(":", 1) for t in sys.argv[2:]]
    delays = []
    for body in sorted(glob.glob(prefix + "*.body")):
        head = body[:-5] + ".head"
        if not os.path.exists(head):
            continue
        audio, titles = read_icy(head, body)
        samples = decode(audio)
        track = []
        for start in range(0, len(samples) - WINDOW, WINDOW):
            levels = [goertzel(samples[start:start + WINDOW], float(hz)) for hz, _ in tones]
            best = max(range(len(levels)), key=lambda i: levels[i])
            track.append(best if levels[best] > 0.02 else -1)
        # Onset of each tone run (seconds in this connection's audio).
        onsets, last = [], None
        for i, tone in enumerate(track):
            if tone != last and tone >= 0:
                onsets.append((i * WINDOW / RATE, tones[tone][1]))
            last = tone
        seen = None
        for offset, title in titles:
            if title == seen:
                continue
            seen = title
            at = offset / BYTES_PER_SECOND
            starts = [t for t, name in onsets if title.endswith(name) and t <= at + 2]
            if starts and at - starts[-1] < 10:
                delays.append(at - starts[-1])
    print(" ".join("%.3f" % d for d in delays))


main()
