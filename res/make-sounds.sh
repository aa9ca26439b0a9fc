#!/usr/bin/env bash
# Makes the three sound cues: unsigned 8-bit mono PCM, exact sample counts.
set -euo pipefail
cd "$(dirname "$0")/sounds"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
u8() { echo -r "$1" -c 1 -b 8 -e unsigned-integer; }

# 180, a message arrived: two soft bell notes, a fifth apart (11025 Hz, 9981 samples).
sox -r 11025 -n $(u8 11025) "$tmp/a.wav" synth 0.30 sine 784 sine 1568 remix 1,2 fade h 0.004 0.30 0.12 vol 0.45
sox -r 11025 -n $(u8 11025) "$tmp/b.wav" synth 0.65 sine 1175 sine 2350 remix 1,2 fade h 0.004 0.65 0.45 vol 0.45
sox "$tmp/a.wav" "$tmp/b.wav" $(u8 11025) "$tmp/c.wav"
sox "$tmp/c.wav" $(u8 11025) 180.wav trim 0 9981s

# 181, a key click: a short damped tick (22050 Hz, 4578 samples).
# Quiet after 20 ms; the rest of the clip is silence.
sox -r 22050 -n $(u8 22050) 181.wav synth 420s sine 2400 fade h 0 420s 400s vol 0.5 pad 0 4158s

# 183, a chat line arrived: a rising blip (11025 Hz, 1714 samples).
sox -r 11025 -n $(u8 11025) 183.wav synth 1714s sine 660:990 fade h 0.005 1714s 0.03 vol 0.5
