#!/usr/bin/env python3
"""Makes the bundled sample recordings in data/samples/.

speech.wav is synthesised speech (espeak-ng, resampled by sox to 22050 Hz,
16-bit mono):
    espeak-ng -v en-us -s 150 -w /tmp/es.wav \
        "Voxtrel measures the pitch and the formants of speech."
    sox /tmp/es.wav -r 22050 -b 16 -c 1 data/samples/speech.wav
This script then writes speech.vxl: the same samples as a native file with
word labels in the "words" tier and accent marks in the "tones" tier (times
in ms, placed by looking at the energy envelope).
"""
import struct
import sys
import wave
from pathlib import Path

here = Path(__file__).resolve().parent.parent / "data" / "samples"
src = wave.open(str(here / "speech.wav"))
rate = src.getframerate()
n = src.getnframes()
pcm = src.readframes(n)
duration_ms = n * 1000.0 / rate

tiers = [
    ("tones", [(120, "H*"), (680, "H*"), (1260, "H*"), (2100, "H*"), (2880, "H*"), (3100, "L%")]),
    ("words", [(20, "Voxtrel"), (580, "measures"), (1180, "the"), (1200, "pitch"), (1640, "and"),
               (1860, "the"), (1980, "formants"), (2720, "of"), (2800, "speech")]),
]

def label_record(time_ms, text):
    font = struct.pack("<5i8B32s", -13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, b"Arial")
    rec = struct.pack("<2d2i4i3i", time_ms, 0.7, 0, 0, 0, 0, 0, 0, 0, 0, 0)
    rec += font + text.encode("ascii").ljust(256, b"\0")
    assert len(rec) == 368
    return rec

out = bytearray(b"VXL_PC".ljust(8, b"\0") + struct.pack("<i", 1))
out = out.ljust(512, b"\0")
header = struct.pack("<8d", duration_ms, float(rate), float(n), 0.0, 0.0, 0.0, 1.0, 0.0)
header += struct.pack("<13i", 1, 16, 0, 100, 1, 1, rate // 2, len(tiers), 1, 1, 0, 0, 0)
header += b"".ljust(64, b"\0") + b"bits".ljust(64, b"\0") + b"\0" * 4
assert len(header) == 248
out += header
for name, labels in tiers:
    out += name.encode("ascii").ljust(256, b"\0") + struct.pack("<2i", len(labels), 20)
    for t, text in labels:
        out += label_record(float(t), text)
out += pcm
(here / "speech.vxl").write_bytes(bytes(out))
print("wrote", here / "speech.vxl", len(out), "bytes")
