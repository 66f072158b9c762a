"""Song assembly in beats and chord names, on top of the MIDI writer."""
from assets import music_midi

NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}
QUALITIES = {  # suffix: intervals above the root
    "": (0, 4, 7), "m": (0, 3, 7), "7": (0, 4, 7, 10), "m7": (0, 3, 7, 10),
    "maj7": (0, 4, 7, 11), "sus4": (0, 5, 7), "sus2": (0, 2, 7), "dim": (0, 3, 6),
    "add9": (0, 4, 7, 14), "m9": (0, 3, 7, 10, 14), "5": (0, 7),
}
SCALES = {"major": (0, 2, 4, 5, 7, 9, 11), "minor": (0, 2, 3, 5, 7, 8, 10),
          "dorian": (0, 2, 3, 5, 7, 9, 10), "mixolydian": (0, 2, 4, 5, 7, 9, 10)}
DRUM_CHANNEL = 9


def pitch_class(name):
    pc = NOTE_NAMES[name[0]]
    for accidental in name[1:]:
        pc += {"#": 1, "b": -1}[accidental]
    return pc % 12


class Chord:
    """A chord symbol such as "Bb", "F#m7" or "G/B": root, intervals and the bass note."""

    def __init__(self, symbol):
        symbol, _, bass = symbol.partition("/")
        cut = 2 if len(symbol) > 1 and symbol[1] in "#b" else 1
        self.root = pitch_class(symbol[:cut])
        self.intervals = QUALITIES[symbol[cut:]]
        self.bass = pitch_class(bass) if bass else self.root
        self.pcs = sorted({(self.root + i) % 12 for i in self.intervals})


def nearest(pitch, pcs, low=0, high=127):
    """The pitch of one of the pitch classes closest to pitch (ties go down), within low..high."""
    best = None
    for p in range(max(0, pitch - 12), min(127, pitch + 12) + 1):
        if p % 12 in pcs and low <= p <= high:
            if best is None or abs(p - pitch) < abs(best - pitch):
                best = p
    return pitch if best is None else best


def chord_scale(key_scale, chord):
    """The key's scale with the neighbours of any foreign chord tone dropped, so lines never clash."""
    pcs = set(key_scale)
    for tone in chord.pcs:
        if tone not in key_scale:
            pcs -= {(tone + 1) % 12, (tone - 1) % 12} - set(chord.pcs)
    return sorted(pcs | set(chord.pcs))


class Part:
    def __init__(self, song, name, channel, program, volume=100, pan=64, reverb=40):
        self.song = song
        self.channel = channel
        self.track = music_midi.Track(name)
        if channel != DRUM_CHANNEL:
            self.track.program(0, channel, program)
        self.track.control(0, channel, 7, min(127, round(volume * song.level)))
        self.track.control(0, channel, 10, pan)
        self.track.control(0, channel, 91, reverb)

    def note(self, beat, length, pitch, velocity):
        tick = round(beat * music_midi.PPQ)
        end = round((beat + length) * music_midi.PPQ)
        velocity = round(velocity * self.song.level)
        self.track.note(tick, end - tick, self.channel, int(pitch), max(1, min(127, velocity)))


class Song:
    """Parts plus a tempo map; the length in beats marks where the music (and the file) ends.

    level scales every velocity and channel volume, to even out loudness between pieces.
    """

    def __init__(self, name, bpm, key, scale, beats_per_bar=4, level=1.0):
        self.conductor = music_midi.Track(name)
        self.conductor.time_signature(0, beats_per_bar, 2)
        self.conductor.tempo(0, bpm)
        self.tempo_changes = [(0.0, bpm)]
        self.key = pitch_class(key)
        self.scale = sorted((self.key + s) % 12 for s in SCALES[scale])
        self.bar = beats_per_bar
        self.level = level
        self.parts = []
        self.length = 0.0

    def part(self, name, channel, program, **mix):
        p = Part(self, name, channel, program, **mix)
        self.parts.append(p)
        return p

    def tempo(self, beat, bpm):
        self.conductor.tempo(round(beat * music_midi.PPQ), bpm)
        self.tempo_changes.append((beat, bpm))

    def seconds(self):
        total, changes = 0.0, self.tempo_changes + [(self.length, None)]
        for (start, bpm), (end, _) in zip(changes, changes[1:]):
            total += max(0.0, min(end, self.length) - start) * 60.0 / bpm
        return total

    def save(self, path):
        tracks = [self.conductor] + [p.track for p in self.parts]
        music_midi.save(path, tracks, round(self.length * music_midi.PPQ))
