#!/usr/bin/python3
"""Levels a rendered piece of music (16-bit PCM WAV) to the loudness the game's pieces
are made for, so the browser plays every piece as loud as the desktop does, whatever
soundfont rendered it.

    level_music.py IN.wav OUT.wav

The piece is scaled to TARGET_DBFS RMS over its whole length, less if that would take a
peak above PEAK_DBFS (a piece is never clipped). Prints the level before and the gain.
"""
import array
import math
import sys
import wave

# The desktop's soundfont renders the pieces at about this RMS level, and the volume law
# both front ends share is fixed against it.
TARGET_DBFS = -22.0
PEAK_DBFS = -1.0
FULL_SCALE = 32768


def db(ratio):
    return 20 * math.log10(ratio) if ratio > 0 else float("-inf")


def gain_for(samples):
    """The factor that takes the samples to the target level within the peak limit; 1
    for silence."""
    if not samples:
        return 1.0
    rms = math.sqrt(math.fsum(s * s for s in samples) / len(samples)) / FULL_SCALE
    peak = max(max(samples), -min(samples)) / FULL_SCALE
    if rms == 0:
        return 1.0
    gain = 10 ** ((TARGET_DBFS - db(rms)) / 20)
    return min(gain, 10 ** (PEAK_DBFS / 20) / peak)


def level(source, target):
    with wave.open(source, "rb") as piece:
        if piece.getsampwidth() != 2:
            raise SystemExit("level_music: %s is not 16-bit PCM" % source)
        params = piece.getparams()
        samples = array.array("h", piece.readframes(piece.getnframes()))
    if sys.byteorder != "little":
        samples.byteswap()
    gain = gain_for(samples)
    scaled = array.array("h", (round(s * gain) for s in samples))
    if sys.byteorder != "little":
        scaled.byteswap()
    with wave.open(target, "wb") as out:
        out.setparams(params)
        out.writeframes(scaled.tobytes())
    return gain


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: level_music.py IN.wav OUT.wav")
    gain = level(sys.argv[1], sys.argv[2])
    print("%s: gain %+.1f dB" % (sys.argv[1], db(gain)))


if __name__ == "__main__":
    main()
