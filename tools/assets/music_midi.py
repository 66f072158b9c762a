"""A small standard MIDI file writer (format 1, one tempo map track plus one track per part)."""
import struct

PPQ = 480  # ticks per quarter note


def _varlen(value):
    """MIDI variable-length quantity: 7 bits per byte, high bit set on all but the last."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


class Track:
    """Events kept with absolute ticks; serialised with delta times when the file is written."""

    def __init__(self, name):
        self.events = []  # (tick, priority, bytes); note-offs sort before note-ons at one tick
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 1, bytes([0xFF, kind]) + _varlen(len(data)) + data))

    def tempo(self, tick, bpm):
        self.meta(tick, 0x51, struct.pack(">I", round(60_000_000 / bpm))[1:])

    def time_signature(self, tick, numerator, denominator_power):
        self.meta(tick, 0x58, bytes([numerator, denominator_power, 24, 8]))

    def program(self, tick, channel, program):
        self.events.append((tick, 1, bytes([0xC0 | channel, program])))

    def control(self, tick, channel, controller, value):
        self.events.append((tick, 1, bytes([0xB0 | channel, controller, value])))

    def note(self, tick, length, channel, pitch, velocity):
        if not 0 <= pitch <= 127 or length <= 0:
            return
        self.events.append((tick, 2, bytes([0x90 | channel, pitch, velocity])))
        self.events.append((tick + length, 0, bytes([0x80 | channel, pitch, 0])))

    def last_tick(self):
        return max(tick for tick, _, _ in self.events)

    def encode(self, end_tick):
        body = bytearray()
        now = 0
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            body += _varlen(tick - now) + data
            now = tick
        body += _varlen(max(0, end_tick - now)) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(body)) + bytes(body)


def save(path, tracks, end_tick):
    """Writes a format 1 file; every track ends at end_tick, where the music ends."""
    end_tick = max([end_tick] + [t.last_tick() for t in tracks])
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    with open(path, "wb") as f:
        f.write(header + b"".join(t.encode(end_tick) for t in tracks))
