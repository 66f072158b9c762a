#!/usr/bin/python3
"""Loudness of the music and effects: as made, across each loop, and in the game's own mix.

    /usr/bin/python3 tools/measure_loudness.py [--game BUILD_DIR] [data folder, default data/]

Without --game: renders every MIDI piece of the data folder with FluidSynth and the game's
soundfont as the game's synthesizer runs (gain 1, 44.1 kHz, no reverb or chorus, 64 voices)
and prints its RMS level and peak, then the level of each half second around the point
where the game starts the piece again over its own tails (the loop), with their spread,
flagged when above 6 dB; and each effect WAV's RMS over its length and loudest 100 ms.

With --game: plays the real game under the running X server (use xvfb-run) through SDL's
disk audio driver, on a scripted route that swings and kills, sees the results, the ending,
the title and the ranking and then waits in the pause menu; then measures the capture:
each piece heard (found by its opening) with its level in the mix and the gain against the
render, each effect (found by cross-correlation) with its level in the mix and how far it
stands above the music, and the peak and clipped samples.
Needs the fluidsynth program (apt-get install fluidsynth); --game also xdotool.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import wave

import numpy as np

from measure_audio import FULL, RATE, midi_seconds, run_game

SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"
SEAM_WINDOW = RATE // 2
SEAM_LIMIT_DB = 6.0
# The snapshot tool's route for the README (times in ms after the first frame), then the
# pause menu held for its music.
ROUTE = """t=230 down Right; t=430 up Right; t=650 down Z; t=740 up Z;
t=970 down Down; t=1170 up Down; t=1390 down Z; t=1480 up Z;
t=1710 down Left; t=2110 up Left; t=2330 down Z; t=2420 up Z;
t=9800 down Down; t=9840 up Down; t=9900 down Z; t=9940 up Z;
t=12500 down X; t=12540 up X;
t=12700 down Up; t=12740 up Up; t=12800 down Z; t=12840 up Z;
t=12900 down Right; t=13300 up Right; t=13400 down X; t=13420 up X"""
ROUTE_SECONDS = 26


def db(x):
    x = np.asarray(x, dtype=np.float64)
    return 20 * np.log10(np.sqrt(np.mean(x * x)) + 1e-12) if x.size else float("-inf")


def read_wav(path):
    """Samples in [-1, 1), one column per channel."""
    with wave.open(path, "rb") as w:
        raw = np.frombuffer(w.readframes(w.getnframes()), dtype=np.int16)
        return raw.reshape(-1, w.getnchannels()).astype(np.float64) / 32768


def render(midi):
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "piece.wav")
        subprocess.run(["fluidsynth", "-ni", "-R", "0", "-C", "0", "-o", "synth.polyphony=64",
                        "-g", "1.0", "-r", str(RATE), "-F", out, SOUNDFONT, midi],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return read_wav(out)


def looped(samples, length):
    """The piece played twice, the second start over the first run's tails, as the game does."""
    twice = np.concatenate([samples[:length], samples[:length]])
    tail = samples[length:2 * length]
    twice[length:length + len(tail)] += tail
    return twice


def seam_levels(samples, length):
    """Levels of the two half seconds before the loop point and the two after it."""
    twice = looped(samples, length)
    return [db(twice[at:at + SEAM_WINDOW]) for at in range(length - 2 * SEAM_WINDOW, length + 2 * SEAM_WINDOW,
                                                            SEAM_WINDOW)]


def loudest(mono, span):
    return max(db(mono[at:at + span]) for at in range(0, max(1, len(mono) - span + 1), span // 10))


def report_data(pieces, effects):
    print("Pieces as the game's synthesizer renders them (gain 1); the loop: four half seconds around it")
    for name, (samples, length) in pieces.items():
        levels = seam_levels(samples, length)
        spread = max(levels) - min(levels)
        print("%-13s %6.1f dB RMS, peak %5.1f dBFS | loop %s | spread %4.1f dB%s"
              % (name, db(samples[:length]), 20 * np.log10(np.abs(samples).max() + 1e-12),
                 " ".join("%6.1f" % level for level in levels), spread,
                 "  TOO MUCH" if spread > SEAM_LIMIT_DB else ""))
    print("Effects as recorded")
    for name, samples in effects.items():
        mono = samples.mean(axis=1)
        print("%-13s %6.1f dB RMS, loudest 100 ms %6.1f dB" % (name, db(mono), loudest(mono, RATE // 10)))


def correlate(signal, template):
    """Normalised cross-correlation of template against every offset of signal."""
    size = 1 << int(np.ceil(np.log2(len(signal) + len(template))))
    corr = np.fft.irfft(np.fft.rfft(signal, size) * np.conj(np.fft.rfft(template, size)), size)
    corr = corr[:len(signal) - len(template) + 1]
    running = np.concatenate([[0.0], np.cumsum(signal ** 2)])
    energy = running[len(template):] - running[:-len(template)]
    return corr / np.sqrt(np.maximum(energy, 1e-12) * np.sum(template ** 2))


def find(signal, template, threshold):
    """Offsets where template sounds in signal, at least its length apart."""
    score = correlate(signal, template)
    found = []
    candidates = np.flatnonzero(score >= threshold)
    for at in candidates[np.argsort(score[candidates])[::-1]]:
        if all(abs(at - other) >= len(template) for other in found):
            found.append(int(at))
    return sorted(found)


def report_game(build, data, pieces, effects):
    scratch = tempfile.mkdtemp()
    try:
        shutil.copytree(data, os.path.join(scratch, "data"))
        capture = os.path.join(scratch, "capture.raw")
        errors = run_game(os.path.join(os.path.abspath(build), "lantern-blade"), scratch, ROUTE_SECONDS, ROUTE,
                          capture)
        mix = np.fromfile(capture, dtype="<i2").reshape(-1, 2).astype(np.float64) / 32768
    finally:
        shutil.rmtree(scratch)
    mono = mix.mean(axis=1)
    print("The game's mix: %.1f s captured; stderr: %s" % (len(mix) / RATE, errors.strip() or "(nothing)"))
    print("peak %.3f of full scale, %d clipped samples"
          % (np.abs(mix).max(), np.count_nonzero(np.abs(mix) >= FULL / 32768)))

    # The effects first: where each sounds, and the gain it plays at there.
    busy = np.zeros(len(mono), dtype=bool)
    heard = {}
    for name, samples in effects.items():
        template = samples.mean(axis=1)
        places = find(mono, template, 0.5)
        gains = [np.dot(mono[at:at + len(template)], template) / np.dot(template, template) for at in places]
        for at in places:
            busy[at:at + len(template) + RATE // 20] = True
        if gains:
            heard[name] = (len(places), db(template) + 20 * np.log10(np.median(gains)),
                           loudest(template, RATE // 10) + 20 * np.log10(np.median(gains)))

    # Then the music, where no effect sounds: each piece from where its opening is found.
    quiet = busy | np.all(mix == 0, axis=1)
    starts = []
    for name, (samples, length) in pieces.items():
        first = int(np.flatnonzero(np.abs(samples).max(axis=1) > 0.002)[0])
        opening = samples[first:first + RATE // 2].mean(axis=1)
        starts += [(at - first, name) for at in find(mono, opening, 0.6)]
    starts.sort()
    music = []
    print("Music in the mix (where no effect sounds)")
    for (at, name), (end, _) in zip(starts, starts[1:] + [(len(mono), None)]):
        at = max(at, 0)
        span = ~quiet[at:end]
        rendered = pieces[name][0][:end - at].mean(axis=1)
        span = span[:len(rendered)]
        if np.count_nonzero(span) < RATE // 2:
            continue
        level = db(mono[at:at + len(span)][span])
        gain = level - db(rendered[span])
        music.append(mono[at:at + len(span)][span])
        print("%-13s from %5.1f s, %4.1f s heard: %6.1f dB RMS, %+5.1f dB against the render, so the whole "
              "piece %6.1f dB" % (name, at / RATE, np.count_nonzero(span) / RATE, level, gain,
                                  db(pieces[name][0][:pieces[name][1]]) + gain))
    overall = db(np.concatenate(music)) if music else float("-inf")
    print("all the music heard: %6.1f dB RMS" % overall)
    print("Effects in the mix")
    for name, (count, level, peak) in heard.items():
        print("%-13s heard %d times: %6.1f dB RMS (%+4.1f dB over the music), loudest 100 ms %6.1f dB (%+4.1f)"
              % (name, count, level, level - overall, peak, peak - overall))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", metavar="BUILD_DIR")
    parser.add_argument("data", nargs="?")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    data = args.data or os.path.join(root, "data")
    pieces = {}
    for path in sorted(glob.glob(os.path.join(data, "*.mid"))):
        pieces[os.path.basename(path)] = (render(path), int(round(midi_seconds(path) * RATE)))
    effects = {os.path.basename(path): read_wav(path) for path in sorted(glob.glob(os.path.join(data, "*.wav")))}
    report_data(pieces, effects)
    if args.game:
        report_game(args.game, data, pieces, effects)


if __name__ == "__main__":
    sys.exit(main())
