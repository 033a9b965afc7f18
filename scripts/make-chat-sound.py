#!/usr/bin/env python3
"""Writes data/sounds/chat.wav, the chime played when a chat text arrives: two short sine tones
(a rising fifth) with a soft attack and an exponential fade, 16-bit mono at 22050 Hz. Run it again
only to change the sound; the WAV is committed."""
import math
import pathlib
import struct
import wave

RATE = 22050


def tone(frequency, seconds, volume):
    count = int(RATE * seconds)
    attack = int(RATE * 0.005)
    for i in range(count):
        envelope = min(1.0, i / attack) * math.exp(-5.0 * i / count)
        yield volume * envelope * math.sin(2 * math.pi * frequency * i / RATE)


samples = list(tone(880.0, 0.09, 0.5)) + list(tone(1318.5, 0.16, 0.5))
target = pathlib.Path(__file__).resolve().parent.parent / "data" / "sounds" / "chat.wav"
with wave.open(str(target), "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    out.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))
