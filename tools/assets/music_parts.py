"""Accompaniment and melody writers: each fills one part over a harmony.

A harmony is a list of (beat, length, Chord) segments; every writer takes the stretch it is given,
so pieces are built section by section.
"""
from assets.music_song import Chord, chord_scale, nearest


def harmony(start, bars, beats_per_bar=4):
    """Segments from bar strings: "Am" fills a bar, "Am G" splits it evenly."""
    segs, beat = [], start
    for bar in bars:
        names = bar.split()
        length = beats_per_bar / len(names)
        for name in names:
            segs.append((beat, length, Chord(name)))
            beat += length
    return segs


def chord_at(segs, beat):
    for start, length, chord in segs:
        if start <= beat < start + length:
            return chord
    return segs[-1][2]


def _voicing(chord, low, high, previous):
    """Close voicing of the chord in low..high that moves least from the previous one."""
    best, best_cost = None, None
    for base in range(low, low + 12):
        if base % 12 not in chord.pcs:
            continue
        notes, p = [], base
        while len(notes) < len(chord.pcs) and p <= high:
            if p % 12 in chord.pcs and p % 12 not in [n % 12 for n in notes]:
                notes.append(p)
            p += 1
        if len(notes) < min(3, len(chord.pcs)):
            continue
        cost = sum(abs(a - b) for a, b in zip(notes, previous)) if previous else abs(base - low - 4)
        if best_cost is None or cost < best_cost:
            best, best_cost = notes, cost
    return best


def pad(part, segs, low, high, velocity, legato=1.0):
    """Sustained chords with smooth voice leading."""
    previous = None
    for beat, length, chord in segs:
        notes = _voicing(chord, low, high, previous)
        for n in notes:
            part.note(beat, length * legato, n, velocity)
        previous = notes


def stabs(part, segs, low, high, velocity, rhythm, length=0.4):
    """Chord hits on the given beat offsets within each segment (offsets past its end are skipped)."""
    previous = None
    for beat, seg_len, chord in segs:
        notes = _voicing(chord, low, high, previous)
        previous = notes
        for offset in rhythm:
            if offset < seg_len:
                accent = 12 if offset == 0 else 0
                for n in notes:
                    part.note(beat + offset, length, n, velocity + accent)


def arpeggio(part, segs, low, step, pattern, velocity, length=None):
    """Broken chords: pattern indexes the chord tones upward from the lowest tone at or above low."""
    for beat, seg_len, chord in segs:
        tones = []
        p = low
        while len(tones) < 8:
            if p % 12 in chord.pcs:
                tones.append(p)
            p += 1
        t, i = 0.0, 0
        while t < seg_len - 1e-9:
            accent = 10 if t == 0 else (4 if t % 1 == 0 else 0)
            held = min(length or step * 0.95, seg_len - t)  # never ring into the next chord
            part.note(beat + t, held, tones[pattern[i % len(pattern)]], velocity + accent)
            t += step
            i += 1


def bass(part, segs, octave_low, style, velocity):
    """Bass lines: "whole", "half" (root, fifth), "eighths" (driving), "walk", "gallop", "pulse"."""
    for index, (beat, length, chord) in enumerate(segs):
        root = nearest(octave_low + 5, [chord.bass], octave_low, octave_low + 11)
        fifth = root + 7
        nxt = segs[index + 1][2] if index + 1 < len(segs) else chord
        if style == "whole":
            part.note(beat, length * 0.98, root, velocity)
        elif style == "half":
            for k in range(int(length // 2)):
                part.note(beat + 2 * k, 1.9, root if k % 2 == 0 else fifth, velocity - 6 * (k % 2))
        elif style == "eighths":
            for k in range(int(length * 2)):
                pitch = root + 12 if k % 8 == 6 else root
                part.note(beat + k * 0.5, 0.45, pitch, velocity + (8 if k % 2 == 0 else 0))
        elif style == "gallop":
            for k in range(int(length)):
                for off, dur in ((0, 0.45), (0.5, 0.22), (0.75, 0.22)):
                    part.note(beat + k + off, dur, root if k % 4 != 3 else fifth, velocity + (8 if off == 0 else 0))
        elif style == "walk":
            target = nearest(root, [nxt.bass], octave_low, octave_low + 14)
            third = root + (chord.intervals[1] if len(chord.intervals) > 1 else 7)
            line = [root, third, fifth, target + (1 if target < fifth else -1)]
            for k in range(int(length)):
                part.note(beat + k, 0.9, line[k % 4], velocity - 4 * (k % 2))
        elif style == "pulse":
            for k in range(int(length)):
                part.note(beat + k, 0.6, root, velocity if k % 2 == 0 else velocity - 12)


DRUM_STYLES = {  # 16 steps per bar of four beats; 'X' accented, 'x' normal, 'o' soft
    "rock": {36: "X.....x.X.x.....", 38: "....X.......X...", 42: "x.x.x.x.x.x.x.x."},
    "drive": {36: "X.x...x.X.x...x.", 38: "....X.......X..o", 42: "xxxxxxxxxxxxxxxx"},
    "march": {36: "X.......X.......", 38: "x.ox..oxx.ox..xo", 42: "................"},
    "ride": {36: "X.........x.....", 38: "....o.......o...", 51: "x.x.x.x.x.x.x.x."},
    "soft": {36: "x.........o.....", 42: "o.o.o.o.o.o.o.o.", 37: "....o.......o..."},
    "shuffle": {36: "X.....x...x.....", 39: "....x.......x...", 42: "x..ox..ox..ox..o", 54: "..x...x...x...x."},
    "half": {36: "X.........x.....", 38: "........X.......", 42: "x.x.x.x.x.x.x.x."},
}
FILL = {45: "........x.x.....", 47: "............x.x.", 38: "....x.x.........", 36: "X..............."}


def drums(part, start, bars, style, velocity, fill_every=0, crash_every=0):
    """A drum groove; optional tom fill in the last bar of every fill_every bars, crash on downbeats."""
    for bar in range(bars):
        pattern = DRUM_STYLES[style]
        if fill_every and bar % fill_every == fill_every - 1:
            pattern = {**{k: v[:8] + "." * 8 for k, v in pattern.items()}, **FILL}
        for drum, steps in pattern.items():
            for k, mark in enumerate(steps):
                if mark != ".":
                    boost = {"X": 18, "x": 0, "o": -25}[mark]
                    part.note(start + bar * 4 + k * 0.25, 0.2, drum, velocity + boost)
        if crash_every and bar % crash_every == 0:
            part.note(start + bar * 4, 1.0, 49, velocity + 10)


class Motif:
    """A melodic idea: onsets, lengths and scale-step moves, realised anew over any harmony.

    Notes on strong beats and long notes snap to chord tones, so the same motif follows each
    progression; short notes between them pass through the scale.
    """

    def __init__(self, rng, bars, cells, moves, beats_per_bar=4, cadence=True):
        self.notes = []  # (onset, length, move); move None marks a rest
        for bar in range(bars):
            last = cadence and bar == bars - 1
            cell = cells["end"][rng.integers(len(cells["end"]))] if last else cells["bar"][rng.integers(len(cells["bar"]))]
            t = bar * beats_per_bar
            for d in cell:
                if d < 0:
                    self.notes.append((t, -d, None))
                else:
                    self.notes.append((t, d, int(moves[rng.integers(len(moves))])))
                t += abs(d)
        self.length = bars * beats_per_bar

    def play(self, part, segs, start, first, low, high, velocity, scale, legato=0.92):
        """Plays the motif from beat start, beginning near pitch first; returns the last pitch."""
        pitch = None
        for onset, length, move in self.notes:
            if move is None:
                continue
            beat = start + onset
            chord = chord_at(segs, beat)
            pcs = chord_scale(scale, chord)
            if pitch is None:
                pitch = nearest(first, chord.pcs, low, high)
            else:
                idx = _scale_index(pitch, pcs) + move
                pitch = _from_index(idx, pcs)
                if onset % 2 == 0 or length >= 1:
                    pitch = nearest(pitch, chord.pcs, low, high)
                if pitch > high:
                    pitch = nearest(pitch - 12, pcs, low, high)
                if pitch < low:
                    pitch = nearest(pitch + 12, pcs, low, high)
            accent = 10 if onset % 4 == 0 else (5 if onset % 1 == 0 else 0)
            part.note(beat, length * legato, pitch, velocity + accent)
        return pitch


def _scale_index(pitch, pcs):
    octave, pc = divmod(pitch, 12)
    below = [i for i, s in enumerate(pcs) if s <= pc]
    return octave * len(pcs) + (below[-1] if below else -1)


def _from_index(index, pcs):
    octave, i = divmod(index, len(pcs))
    return octave * 12 + pcs[i]


def sentence(part, segs, start, motifs, anchor, lifts, low, high, velocity, scale):
    """Motifs back to back from start, the i-th beginning near anchor + lifts[i] semitones."""
    t = start
    for motif, lift in zip(motifs, lifts):
        motif.play(part, segs, t, anchor + lift, low, high, velocity, scale)
        t += motif.length
    return t
