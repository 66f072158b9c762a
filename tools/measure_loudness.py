#!/usr/bin/python3
"""Loudness of the music and effects: as made, across each loop, and in the game's own mix.

    /usr/bin/python3 tools/measure_loudness.py [--game BUILD_DIR] [data folder, default data/]

Without --game: renders every MIDI piece of the data folder with FluidSynth and the game's
soundfont as the game's synthesizer runs (gain 1, 44.1 kHz, no reverb or chorus, 64 voices)
and prints its RMS level and peak, then the level of each half second around the point
where the game starts the piece again over its own tails (the loop), with their spread,
flagged when above 6 dB; and each effect WAV's RMS over its length and loudest 200 ms.

With --game: plays the real game under the running X server (use xvfb-run) through SDL's
disk audio driver, on a scripted route that swings and kills, sees the results, the ending,
the title and the ranking and then waits in the pause menu; then measures the capture:
each piece heard (found by its opening) with its level in the mix and the gain against the
render, each effect (found by cross-correlation) with its level in the mix and how far it
stands above the music (by its loudest 200 ms, as loud as it is heard), and the peak and clipped samples.
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
# An effect is heard as loud as its loudest fifth of a second.
BURST = RATE // 5
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
        print("%-13s %6.1f dB RMS, loudest 200 ms %6.1f dB" % (name, db(mono), loudest(mono, BURST)))


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


def play(build, data, capture):
    """Plays the route and returns the game's mix, in [-1, 1), one column per side."""
    scratch = tempfile.mkdtemp()
    try:
        shutil.copytree(data, os.path.join(scratch, "data"))
        errors = run_game(os.path.join(os.path.abspath(build), "lantern-blade"), scratch, ROUTE_SECONDS, ROUTE,
                          capture)
    finally:
        shutil.rmtree(scratch)
    print("The game's mix: stderr: %s" % (errors.strip() or "(nothing)"))
    return np.fromfile(capture, dtype="<i2").reshape(-1, 2).astype(np.float64) / 32768


def effects_heard(mono, effects):
    """Where each effect sounds and the gain it plays at there, peeling the loudest off
    first, so that a swing under a kill is found too. Returns {name: [(offset, gain)]}."""
    rest = mono.copy()
    heard = {name: [] for name in effects}
    for _ in range(4):
        found = False
        for name, samples in effects.items():
            template = samples.mean(axis=1)
            for at in find(rest, template, 0.6):
                gain = np.dot(rest[at:at + len(template)], template) / np.dot(template, template)
                rest[at:at + len(template)] -= gain * template
                heard[name].append((at, gain))
                found = True
        if not found:
            break
    return heard


def music_heard(mono, pieces, quiet):
    """(piece, first sample, last sample) of each stretch of music, found by its opening."""
    starts = []
    for name, (samples, _) in pieces.items():
        first = int(np.flatnonzero(np.abs(samples).max(axis=1) > 0.002)[0])
        opening = samples[first:first + RATE // 2].mean(axis=1)
        starts += [(max(0, at - first), name) for at in find(mono, opening, 0.6)]
    starts.sort()
    stretches = []
    for at, name in starts:
        # A phrase that comes back within the piece is not a new start.
        if stretches and stretches[-1][0] == name and at - stretches[-1][1] < pieces[name][1]:
            continue
        stretches.append([name, at])
    ends = [at for _, at in stretches[1:]] + [len(mono)]
    return [(name, at, end) for (name, at), end in zip(stretches, ends) if np.count_nonzero(~quiet[at:end]) > RATE // 2]


def report_game(mix, pieces, effects):
    mono = mix.mean(axis=1)
    print("%.1f s captured, peak %.3f of full scale, %d clipped samples"
          % (len(mix) / RATE, np.abs(mix).max(), np.count_nonzero(np.abs(mix) >= FULL / 32768)))
    heard = effects_heard(mono, effects)
    busy = np.all(mix == 0, axis=1)
    for name, places in heard.items():
        for at, _ in places:
            busy[at:at + len(effects[name]) + RATE // 20] = True

    print("Music in the mix (where no effect sounds)")
    music, wholes = [], []
    for name, at, end in music_heard(mono, pieces, busy):
        rendered = pieces[name][0][:end - at].mean(axis=1)
        span = ~busy[at:at + len(rendered)]
        level = db(mono[at:at + len(rendered)][span])
        gain = level - db(rendered[span])
        music.append(mono[at:at + len(rendered)][span])
        wholes.append(db(pieces[name][0][:pieces[name][1]]) + gain)
        print("%-13s from %5.1f s, %4.1f s heard: %6.1f dB RMS, %+5.1f dB against the render, so the whole "
              "piece %6.1f dB" % (name, at / RATE, np.count_nonzero(span) / RATE, level, gain, wholes[-1]))
    if not music:
        return
    overall = float(np.median(wholes))
    print("the music plays at %.1f dB RMS (the median whole piece); all that was heard, openings included, "
          "%.1f dB" % (overall, db(np.concatenate(music))))
    print("Effects in the mix")
    for name, places in heard.items():
        if not places:
            continue
        template = effects[name].mean(axis=1)
        gain = 20 * np.log10(np.median([g for _, g in places]))
        level, burst = db(template) + gain, loudest(template, BURST) + gain
        print("%-13s heard %d times: loudest 200 ms %6.1f dB (%+4.1f dB over the music), %6.1f dB RMS (%+4.1f)"
              % (name, len(places), burst, burst - overall, level, level - overall))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", metavar="BUILD_DIR")
    parser.add_argument("--capture", help="keep the game's mix in this file (raw 16-bit stereo)")
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
        with tempfile.TemporaryDirectory() as scratch:
            mix = play(args.game, data, args.capture or os.path.join(scratch, "capture.raw"))
        report_game(mix, pieces, effects)


if __name__ == "__main__":
    sys.exit(main())
