#!/usr/bin/env python3
"""Writes the ten reminder sounds: short tones, a different pattern each.

The .wav files come from the standard library alone; the .mp3 files are the
same kind of tone passed through `lame` (only needed when regenerating).
Run from this folder: python3 make-sounds.py
"""
import math
import os
import struct
import subprocess
import tempfile
import wave

RATE = 16000

# name, extension, list of (frequency Hz, milliseconds); frequency 0 is a pause.
SOUNDS = [
    ("标准铃声1", "wav", [(880, 120), (0, 60), (880, 120)]),
    ("标准铃声2", "wav", [(660, 150), (0, 50), (990, 150)]),
    ("音乐铃声1", "mp3", [(523, 110), (659, 110), (784, 160)]),
    ("音乐铃声2", "wav", [(784, 110), (659, 110), (523, 160)]),
    ("音乐铃声3", "mp3", [(587, 100), (740, 100), (880, 100), (1175, 140)]),
    ("门铃声音2", "mp3", [(740, 200), (587, 260)]),
    ("门铃声音3", "wav", [(988, 160), (784, 160), (659, 220)]),
    ("人声提示1", "mp3", [(440, 90), (0, 40), (554, 90), (0, 40), (659, 120)]),
    ("人声提示2", "wav", [(349, 140), (0, 40), (440, 180)]),
    ("机场提示音", "wav", [(698, 180), (880, 180), (1047, 260)]),
]


def samples(pattern):
    out = bytearray()
    for freq, ms in pattern:
        count = RATE * ms // 1000
        fade = max(1, RATE // 200)  # 5 ms in and out: no clicks
        for i in range(count):
            env = min(1.0, i / fade, (count - 1 - i) / fade)
            value = 0.0 if freq == 0 else math.sin(2 * math.pi * freq * i / RATE) * env * 0.45
            out += struct.pack("<h", int(value * 32767))
    return bytes(out)


def write_wav(path, pattern):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples(pattern))


def main():
    for name, ext, pattern in SOUNDS:
        target = f"{name}.{ext}"
        if ext == "wav":
            write_wav(target, pattern)
        else:
            with tempfile.TemporaryDirectory() as tmp:
                source = os.path.join(tmp, "tone.wav")
                write_wav(source, pattern)
                subprocess.run(["lame", "--quiet", "-b", "32", "-m", "m", source, target], check=True)
        print(target, os.path.getsize(target))


if __name__ == "__main__":
    main()
