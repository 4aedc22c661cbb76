#!/usr/bin/env python3
"""Writes res/start.wav: the short soft chime played when a folder is listed.

22050 Hz, 16-bit mono, about 0.2 s. It is played at every listing, so it is
kept quiet (peak about a fifth of full scale) and has no hard edges: a few
milliseconds of fade in and a fade out to silence so the speaker does not pop.

  python3 make_sound.py [out.wav]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
LENGTH = 0.20          # seconds
PEAK = 0.20            # of full scale
FADE_IN = 0.004
FADE_OUT = 0.040

# A small bell: a main tone, a fifth above it, and a faint inharmonic shimmer,
# each dying away at its own pace.
PARTIALS = [
    # frequency Hz, level, decay time constant s
    (1318.5, 1.00, 0.070),
    (1975.5, 0.45, 0.050),
    (3637.0, 0.12, 0.020),
]


def samples():
    n = int(RATE * LENGTH)
    raw = []
    for i in range(n):
        t = i / RATE
        v = sum(a * math.exp(-t / tau) * math.sin(2 * math.pi * f * t) for f, a, tau in PARTIALS)
        gain = 1.0
        if t < FADE_IN:
            gain = 0.5 - 0.5 * math.cos(math.pi * t / FADE_IN)
        rest = LENGTH - t
        if rest < FADE_OUT:
            gain *= 0.5 - 0.5 * math.cos(math.pi * max(rest, 0.0) / FADE_OUT)
        raw.append(v * gain)
    top = max(abs(v) for v in raw)
    scale = PEAK * 32767 / top
    out = [int(round(v * scale)) for v in raw]
    out[0] = out[-1] = 0
    return out


def main(argv):
    res = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = argv[1] if len(argv) > 1 else os.path.join(res, 'start.wav')
    data = b''.join(struct.pack('<h', s) for s in samples())
    with wave.open(path, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)


if __name__ == '__main__':
    main(sys.argv)
