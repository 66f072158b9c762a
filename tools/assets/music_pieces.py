"""The eight pieces of the game, each composed from a progression, motifs and a groove.

Every piece ends where its music ends: the game restarts a looping piece itself.
General MIDI programs are named where they are used.
"""
import numpy as np

from assets.music_parts import Motif, arpeggio, bass, drums, harmony, pad, sentence, stabs
from assets.music_song import DRUM_CHANNEL, Song, nearest

DRIVING = {"bar": [[1, 0.5, 0.5, 1, 1], [0.5, 0.5, 1, 0.5, 0.5, 1], [1.5, 0.5, 1, 1],
                   [0.75, 0.75, 0.5, 2], [1, 1, 0.5, 0.5, 1]],
           "end": [[1, 1, 2], [1.5, 0.5, 2], [3, -1]]}
LYRICAL = {"bar": [[2, 1, 1], [1.5, 0.5, 2], [1, 1, 1, 1], [3, 1], [1, 0.5, 0.5, 2]],
           "end": [[4], [2, 2], [3, -1]]}
LIGHT = {"bar": [[0.5, 0.5, 1, 0.5, 0.5, 1], [1, 0.5, 0.5, 2], [0.5, 0.5, 0.5, 0.5, 1, -1], [1.5, 0.5, 1, 1]],
         "end": [[1, 1, 2], [2, -2], [0.5, 0.5, 1, 2]]}
STEPS = [-2, -1, -1, -1, 1, 1, 1, 2, 3, -3]
RISING = [-1, 1, 1, 1, 2, 2, 3, -2]

ACOUSTIC_GRAND, EPIANO, CELESTA, VIBES, MARIMBA = 0, 4, 8, 11, 12
ACCORDION, OVERDRIVE_GTR, DIST_GTR = 21, 29, 30
ACOUSTIC_BASS, FINGER_BASS, SYNTH_BASS = 32, 33, 38
STRINGS, SLOW_STRINGS, PIZZICATO, HARP, TIMPANI, CELLO = 48, 49, 45, 46, 47, 42
TRUMPET, HORN, BRASS, SYNTH_BRASS = 56, 60, 61, 62
OBOE, BASSOON, CLARINET, FLUTE = 68, 70, 71, 73
SAW_LEAD, WARM_PAD, CHOIR = 81, 89, 52


def battle03():
    """The play theme: D minor, 152 bpm, driving eighths and a saw lead doubled by strings."""
    rng = np.random.default_rng(303)
    s = Song("BATTLE03", 152, "D", "minor", level=0.946)
    lead = s.part("Lead", 0, SAW_LEAD, volume=78, pan=70)
    double = s.part("Strings lead", 1, STRINGS, volume=70, pan=50, reverb=60)
    gtr = s.part("Power chords", 2, OVERDRIVE_GTR, volume=68, pan=40)
    low = s.part("Bass", 3, FINGER_BASS, volume=108)
    strings = s.part("Pad", 4, SLOW_STRINGS, volume=62, pan=90, reverb=70)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=100)

    intro = harmony(0, ["D5", "D5", "Bb5", "C5"])
    a = harmony(16, ["Dm", "Bb", "C", "Dm", "Dm", "Bb", "Gm", "A"] * 2)
    b = harmony(80, ["Gm", "Dm", "F", "C", "Gm", "Dm", "Bb", "A"])
    brk = harmony(112, ["Dm", "Bb", "Gm", "A"])
    a2 = harmony(128, ["Dm", "Bb", "C", "Dm", "Dm", "Bb", "Gm", "A"])
    outro = harmony(160, ["Dm", "Bb", "C A", "Dm"])
    s.length = 176

    # The last bar drives on into the intro, so the loop goes round without a hole.
    stabs(gtr, intro + a + b + a2 + outro, 50, 62, 72, [0, 0.5, 1.5, 2, 2.5, 3.5], 0.35)
    bass(low, intro + a + b + brk + a2 + outro, 26, "eighths", 84)
    pad(strings, a[8:] + b + brk + a2 + outro, 57, 72, 58)
    drums(kit, 0, 4, "half", 78, fill_every=4)
    drums(kit, 16, 24, "drive", 80, fill_every=8, crash_every=8)
    drums(kit, 112, 4, "half", 64, fill_every=4)
    drums(kit, 128, 11, "drive", 82, fill_every=8, crash_every=8)
    drums(kit, 172, 1, "drive", 82, fill_every=1)
    kit.note(172, 1.5, 49, 104)

    ma, mb, mc = (Motif(rng, 2, DRIVING, STEPS, cadence=False) for _ in range(3))
    md = Motif(rng, 2, DRIVING, STEPS)
    for part, shift, vel in ((lead, 0, 84), (double, -12, 66)):
        lo, hi = 62 + shift, 84 + shift
        sentence(part, a, 16, (ma, ma, mb, md), 69 + shift, (0, 3, 5, 0), lo, hi, vel, s.scale)
        sentence(part, a, 48, (ma, ma, mc, md), 69 + shift, (0, 3, 7, 2), lo, hi, vel + 4, s.scale)
        sentence(part, a2, 128, (ma, ma, mc, md), 69 + shift, (0, 3, 7, 2), lo, hi, vel + 4, s.scale)
    mb2 = Motif(rng, 4, LYRICAL, RISING, cadence=False)
    me = Motif(rng, 4, LYRICAL, STEPS)
    sentence(double, b, 80, (mb2, me), 70, (0, 5), 62, 86, 80, s.scale)
    sentence(lead, brk, 112, (Motif(rng, 4, LYRICAL, STEPS),), 74, (0,), 62, 84, 60, s.scale)
    return s


def battle02():
    """A second battle piece: E minor, 138 bpm, galloping synth bass and brass stabs."""
    rng = np.random.default_rng(202)
    s = Song("BATTLE02", 138, "E", "minor", level=0.983)
    melody = s.part("Strings", 0, STRINGS, volume=92, pan=60, reverb=60)
    brass = s.part("Brass", 1, BRASS, volume=76, pan=80)
    low = s.part("Synth bass", 2, SYNTH_BASS, volume=92)
    horn = s.part("Horn", 3, HORN, volume=80, pan=40)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=96)

    a = harmony(0, ["Em", "C", "D", "Em", "Em", "C", "Am", "B"] * 2)
    b = harmony(64, ["C", "D", "Em", "Em", "Am", "D", "B", "B"])
    a2 = harmony(96, ["Em", "C", "D", "Em", "Am", "C", "B", "Em"])
    s.length = 128
    bass(low, a + b + a2[:-1], 28, "gallop", 82)
    low.note(124, 3, 28, 96)
    stabs(brass, a + b + a2[:-1], 55, 67, 62, [0, 1.5, 3], 0.3)
    brass.note(124, 3, 64, 96)
    brass.note(124, 3, 67, 96)
    pad(horn, b, 52, 64, 70)
    drums(kit, 0, 32, "rock", 78, fill_every=8, crash_every=8)
    kit.note(124, 1.5, 49, 100)

    ma, mb = Motif(rng, 2, DRIVING, STEPS, cadence=False), Motif(rng, 2, DRIVING, STEPS, cadence=False)
    mc, md = Motif(rng, 2, DRIVING, STEPS), Motif(rng, 4, LYRICAL, RISING, cadence=False)
    sentence(melody, a, 0, (ma, ma, mb, mc), 71, (0, 3, 5, 0), 62, 86, 80, s.scale)
    sentence(melody, a, 32, (ma, ma, mb, mc), 71, (0, 3, 7, 0), 62, 86, 86, s.scale)
    sentence(melody, b, 64, (md, Motif(rng, 4, LYRICAL, STEPS)), 76, (0, 3), 64, 88, 84, s.scale)
    sentence(melody, a2, 96, (ma, ma, mb, mc), 71, (0, 3, 5, -3), 62, 86, 86, s.scale)
    return s


def opening():
    """The title theme: D major, 100 bpm, a horn call over strings and harp, brass at the climax."""
    rng = np.random.default_rng(101)
    s = Song("OPENING", 100, "D", "major", level=0.925)
    horn = s.part("Horn", 0, HORN, volume=96, pan=56, reverb=70)
    trumpet = s.part("Trumpet", 1, TRUMPET, volume=84, pan=72, reverb=70)
    strings = s.part("Strings", 2, STRINGS, volume=80, pan=80, reverb=80)
    harp = s.part("Harp", 3, HARP, volume=78, pan=40, reverb=70)
    low = s.part("Cello", 4, CELLO, volume=92, pan=60, reverb=60)
    timp = s.part("Timpani", 5, TIMPANI, volume=96, reverb=50)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=70)

    intro = harmony(0, ["D", "A"])
    a = harmony(8, ["D", "A", "Bm", "G", "D", "G", "A", "A"])
    b = harmony(40, ["Bm", "G", "D", "A", "G", "A", "Bm", "G", "Em", "A", "D", "D"])
    s.length = 88
    for k in range(8):
        timp.note(k, 0.5 if k < 6 else 1, 38 if k < 4 else 33, 60 + 6 * k)
    for k, (beat, pitch) in enumerate(((4, 57), (5, 62), (5.5, 66), (6, 69))):
        horn.note(beat, 2 if k == 3 else 0.5, pitch, 84 + 4 * k)
    pad(strings, intro + a + b, 57, 74, 62)
    arpeggio(harp, a, 50, 0.5, [0, 1, 2, 3, 4, 3, 2, 1], 56)
    arpeggio(harp, b[:-2], 50, 0.5, [0, 1, 2, 3, 4, 5, 4, 2], 60)
    bass(low, intro + a, 38, "whole", 80)
    bass(low, b[:-2], 38, "half", 84)
    low.note(80, 8, 38, 90)
    for beat, _, chord in b[:-2]:
        timp.note(beat, 0.8, nearest(40, [chord.root], 33, 45), 82)
    for k in range(12):
        timp.note(80 + k / 4, 0.25, 38, 60 + 3 * k)
    timp.note(83, 3, 38, 104)
    drums(kit, 40, 10, "march", 52, fill_every=4)
    kit.note(80, 2, 49, 96)

    m1, m2 = Motif(rng, 2, LYRICAL, RISING, cadence=False), Motif(rng, 2, LYRICAL, STEPS, cadence=False)
    m3 = Motif(rng, 2, LYRICAL, STEPS)
    sentence(horn, a, 8, (m1, m1, m2, m3), 62, (0, 2, 7, 4), 57, 76, 84, s.scale)
    sentence(trumpet, b, 40, (m1, m1, m2, m2, m3), 69, (0, 3, 5, 7, 0), 64, 84, 86, s.scale)
    sentence(horn, b, 40, (m1, m1, m2, m2, m3), 57, (0, 3, 5, 7, 0), 52, 72, 70, s.scale)
    trumpet.note(80, 7, 74, 96)
    horn.note(80, 7, 66, 84)
    horn.note(80, 7, 62, 84)
    return s


def rank():
    """The ranking screen: F major, 84 bpm, electric piano and vibraphone over a soft groove."""
    rng = np.random.default_rng(404)
    s = Song("RANK", 84, "F", "major", level=1.139)
    vibes = s.part("Vibraphone", 0, VIBES, volume=90, pan=70, reverb=70)
    keys = s.part("Electric piano", 1, EPIANO, volume=76, pan=50, reverb=60)
    warm = s.part("Pad", 2, WARM_PAD, volume=58, reverb=80)
    low = s.part("Bass", 3, ACOUSTIC_BASS, volume=96)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=62)

    segs = harmony(0, ["Fmaj7", "Dm7", "Gm7", "C7", "Fmaj7", "Am7", "Bbmaj7", "C7",
                       "Dm7", "Am7", "Bbmaj7", "Fmaj7", "Gm7", "C7", "Fmaj7", "Fmaj7"])
    s.length = 64
    pad(warm, segs, 53, 67, 50)
    # No closing chord: the last bar grooves on as the others do, into the first again.
    arpeggio(keys, segs, 53, 1.0, [0, 2, 1, 3], 52, length=1.6)
    bass(low, segs, 29, "half", 78)
    drums(kit, 0, 16, "soft", 50, fill_every=16)

    m1, m2 = Motif(rng, 2, LYRICAL, STEPS, cadence=False), Motif(rng, 2, LYRICAL, STEPS)
    m3 = Motif(rng, 2, LYRICAL, RISING, cadence=False)
    sentence(vibes, segs, 0, (m1, m2, m1, m2), 72, (0, -2, 2, 0), 65, 84, 70, s.scale)
    sentence(vibes, segs, 32, (m3, m1, m2, m3), 72, (0, 2, -3, 4), 65, 84, 74, s.scale)
    return s


def gameover():
    """The pause menu: A minor, 66 bpm, sparse piano over slow strings, a clarinet answering."""
    rng = np.random.default_rng(505)
    s = Song("GAMEOVER", 66, "A", "minor", level=1.328)
    piano = s.part("Piano", 0, ACOUSTIC_GRAND, volume=84, pan=56, reverb=80)
    strings = s.part("Strings", 1, SLOW_STRINGS, volume=66, pan=76, reverb=90)
    clar = s.part("Clarinet", 2, CLARINET, volume=74, pan=40, reverb=80)
    low = s.part("Cello", 3, CELLO, volume=72, reverb=70)

    segs = harmony(0, ["Am", "F", "C", "G", "Am", "F", "Dm", "E", "F", "G", "Em", "Am"])
    s.length = 48
    pad(strings, segs, 57, 72, 48)
    arpeggio(piano, segs[:-1], 45, 0.5, [0, 1, 2, 4, 3, 2, 1, 2], 44, length=0.9)
    piano.note(44, 4, 45, 50)
    piano.note(44, 4, 57, 44)
    bass(low, segs, 33, "whole", 62)

    m1, m2 = Motif(rng, 2, LYRICAL, STEPS, cadence=False), Motif(rng, 2, LYRICAL, STEPS)
    sentence(clar, segs, 16, (m1, m2), 64, (0, -2), 57, 76, 62, s.scale)
    sentence(clar, segs, 32, (m1, m2), 64, (2, 0), 57, 76, 58, s.scale)
    return s


def ending():
    """The ending: G major, 88 bpm, flute and strings with harp, closing on a plagal C - Cm - G."""
    rng = np.random.default_rng(606)
    s = Song("ENDING", 88, "G", "major", level=1.04)
    flute = s.part("Flute", 0, FLUTE, volume=88, pan=66, reverb=80)
    strings = s.part("Strings", 1, STRINGS, volume=78, pan=80, reverb=80)
    harp = s.part("Harp", 2, HARP, volume=80, pan=44, reverb=70)
    horn = s.part("Horn", 3, HORN, volume=72, pan=54, reverb=80)
    low = s.part("Cello", 4, CELLO, volume=84, reverb=60)
    timp = s.part("Timpani", 5, TIMPANI, volume=70, reverb=60)

    a = harmony(0, ["G", "D/F#", "Em", "C", "G", "C", "D", "G"])
    b = harmony(32, ["Em", "C", "G", "D", "C", "D", "G", "G"])
    a2 = harmony(64, ["G", "D/F#", "Em", "C", "Am", "D", "C", "Cm", "G"])
    s.length = 100
    s.tempo(88, 80)
    s.tempo(92, 70)
    s.tempo(96, 60)
    pad(strings, a + b + a2, 55, 71, 58)
    arpeggio(harp, a + b + a2[:-1], 55, 0.5, [0, 1, 2, 3, 2, 1, 2, 3], 52)
    harp.note(96, 4, 43, 70)
    harp.note(96, 4, 55, 66)
    bass(low, a + b + a2, 31, "whole", 76)
    pad(horn, b, 52, 64, 58)
    timp.note(96, 3, 43, 70)

    m1, m2 = Motif(rng, 2, LYRICAL, STEPS, cadence=False), Motif(rng, 2, LYRICAL, STEPS)
    m3 = Motif(rng, 2, LYRICAL, RISING, cadence=False)
    sentence(flute, a, 0, (m1, m2, m1, m2), 74, (0, 0, 3, 0), 67, 88, 74, s.scale)
    sentence(flute, b, 32, (m3, m3, m1, m2), 76, (0, 2, 5, 0), 67, 90, 80, s.scale)
    sentence(flute, a2, 64, (m1, m2, m1), 74, (0, 3, 5), 67, 90, 78, s.scale)
    for k, pitch in enumerate((76, 74, 75, 72)):  # the borrowed E flat of C minor, then home
        flute.note(88 + 2 * k, 1.9, pitch, 72 - 3 * k)
    flute.note(96, 4, 71, 62)
    return s


def option():
    """A light piece: Bb major, 116 bpm, marimba and pizzicato with a flute tune."""
    rng = np.random.default_rng(707)
    s = Song("OPTION", 116, "Bb", "major", level=1.034)
    flute = s.part("Flute", 0, FLUTE, volume=86, pan=70, reverb=50)
    mar = s.part("Marimba", 1, MARIMBA, volume=88, pan=46, reverb=40)
    pizz = s.part("Pizzicato", 2, PIZZICATO, volume=96, pan=60, reverb=40)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=60)

    segs = harmony(0, ["Bb", "Gm", "Eb", "F", "Bb", "Gm", "Cm F", "Bb",
                       "Eb", "F", "Dm", "Gm", "Cm", "F", "Bb", "Bb",
                       "Bb", "Gm", "Eb", "F", "Eb", "F", "Bb", "Bb"])
    s.length = 96
    arpeggio(mar, segs[:-1], 58, 0.5, [0, 2, 1, 2, 3, 2, 1, 2], 56)
    mar.note(92, 2, 58, 74)
    mar.note(92, 2, 70, 74)
    bass(pizz, segs[:-1], 34, "pulse", 84)
    pizz.note(92, 1, 34, 90)
    drums(kit, 0, 23, "shuffle", 50, fill_every=8)

    m1, m2 = Motif(rng, 2, LIGHT, STEPS, cadence=False), Motif(rng, 2, LIGHT, STEPS)
    m3 = Motif(rng, 2, LIGHT, RISING, cadence=False)
    sentence(flute, segs, 0, (m1, m2, m1, m2), 74, (0, 0, 2, 0), 70, 91, 76, s.scale)
    sentence(flute, segs, 32, (m3, m3, m1, m2), 77, (0, 4, 2, 0), 70, 93, 80, s.scale)
    sentence(flute, segs, 64, (m1, m2, m1, m2), 74, (0, 0, 2, 0), 70, 91, 76, s.scale)
    return s


def prog():
    """A marching travel piece: G mixolydian, 120 bpm, oboe and accordion over snare and bassoon."""
    rng = np.random.default_rng(808)
    s = Song("PROG", 120, "G", "mixolydian", level=1.077)
    oboe = s.part("Oboe", 0, OBOE, volume=88, pan=70, reverb=50)
    acc = s.part("Accordion", 1, ACCORDION, volume=66, pan=44, reverb=40)
    low = s.part("Bassoon", 2, BASSOON, volume=90, pan=60, reverb=40)
    pizz = s.part("Pizzicato", 3, PIZZICATO, volume=76, pan=84, reverb=40)
    kit = s.part("Drums", DRUM_CHANNEL, 0, volume=72)

    segs = harmony(0, ["G", "F", "C", "G", "G", "F", "D", "D",
                       "Em", "C", "G", "D", "C", "F", "G", "G",
                       "G", "F", "C", "G", "C", "D", "G", "G"])
    s.length = 96
    stabs(acc, segs[:-1], 55, 67, 50, [1, 3], 0.5)
    acc.note(92, 3, 59, 60)
    acc.note(92, 3, 62, 60)
    bass(low, segs[:-1], 31, "half", 80)
    low.note(92, 3, 31, 84)
    arpeggio(pizz, segs[8:16], 55, 1.0, [0, 2, 1, 2], 60, length=0.5)
    drums(kit, 0, 23, "march", 66, fill_every=8)
    kit.note(92, 1, 49, 88)

    m1, m2 = Motif(rng, 2, DRIVING, STEPS, cadence=False), Motif(rng, 2, LYRICAL, STEPS)
    m3 = Motif(rng, 2, DRIVING, RISING, cadence=False)
    sentence(oboe, segs, 0, (m1, m1, m3, m2), 71, (0, -2, 3, 0), 64, 84, 78, s.scale)
    sentence(oboe, segs, 32, (m3, m3, m1, m2), 71, (0, 3, 5, 0), 64, 86, 80, s.scale)
    sentence(oboe, segs, 64, (m1, m1, m3, m2), 71, (0, -2, 3, 0), 64, 84, 80, s.scale)
    return s


PIECES = {"BATTLE03": battle03, "BATTLE02": battle02, "ENDING": ending, "GAMEOVER": gameover,
          "OPENING": opening, "OPTION": option, "PROG": prog, "RANK": rank}
