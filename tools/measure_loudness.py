#!/usr/bin/python3
"""Loudness of the music and effects as the game plays them.

Renders every MIDI piece of a data folder with FluidSynth and the game's soundfont (gain 1,
44.1 kHz, as the game's mixer runs it) and prints its RMS level in dBFS next to that of each
effect WAV over its length. Needs the fluidsynth program (apt-get install fluidsynth).

Usage: /usr/bin/python3 tools/measure_loudness.py [data folder, default data/]
"""
import glob
import os
import subprocess
import sys
import tempfile
import wave

import numpy as np

SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"


def rms_db(samples):
    x = samples.astype(np.float64) / 32768.0
    return 20 * np.log10(np.sqrt(np.mean(x * x)) + 1e-12)


def read_wav(path):
    with wave.open(path, "rb") as w:
        return np.frombuffer(w.readframes(w.getnframes()), dtype=np.int16)


def render(midi):
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "piece.wav")
        subprocess.run(["fluidsynth", "-ni", "-g", "1.0", "-r", "44100", "-F", out, SOUNDFONT, midi],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return read_wav(out)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    data = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data")
    for path in sorted(glob.glob(os.path.join(data, "*.mid"))):
        samples = render(path)
        # The synth's release tail after the last note is left out.
        voiced = samples[: max(1, len(samples) - 2 * 44100 * 2)]
        print("%-14s %6.1f dB RMS, peak %5.1f dBFS" % (os.path.basename(path), rms_db(voiced),
                                                     20 * np.log10(np.abs(samples).max() / 32768 + 1e-12)))
    for path in sorted(glob.glob(os.path.join(data, "*.wav"))):
        print("%-14s %6.1f dB RMS (effect)" % (os.path.basename(path), rms_db(read_wav(path))))


if __name__ == "__main__":
    main()
