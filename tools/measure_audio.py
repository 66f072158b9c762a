#!/usr/bin/python3
"""Plays the real game under Xvfb with SDL's disk audio driver and measures the capture.

    tools/measure_audio.py BUILD_DIR [--seconds N] [--script "t=100 down Right; ..."]
                           [--capture FILE]

The game runs from a scratch copy of data/ in real time; the keys of the script (times in
ms after the first presented frame, the snapshot tool's syntax) are pressed with xdotool,
and Escape ends the game after N seconds. The capture (44.1 kHz, signed 16-bit stereo) is
then measured:
- clipped samples (at full scale) and their bursts;
- the largest sample-to-sample step of the whole capture, and the step into each stop
  (a run of digital silence after sound);
- every restart of the battle piece: the piece's first half second is found again in
  the capture by cross-correlation, and the gap is how much later than the piece's last
  event that is.
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

RATE = 44100
FULL = 32767


def midi_seconds(path):
    """Time of the last event (every track's end) of a standard MIDI file."""
    data = open(path, "rb").read()
    division = struct.unpack(">H", data[12:14])[0]
    at, tempos, last = 14, {}, 0
    while at + 8 <= len(data):
        size = struct.unpack(">I", data[at + 4:at + 8])[0]
        body, at = data[at + 8:at + 8 + size], at + 8 + size
        pos = tick = running = 0

        def number():
            nonlocal pos
            value = 0
            while True:
                byte = body[pos]
                pos += 1
                value = (value << 7) | (byte & 0x7F)
                if byte < 0x80:
                    return value

        while pos < len(body):
            tick += number()
            status = body[pos]
            if status >= 0x80:
                pos += 1
            else:
                status = running
            if status == 0xFF:
                kind = body[pos]
                pos += 1
                length = number()
                if kind == 0x51:
                    tempos[tick] = int.from_bytes(body[pos:pos + 3], "big")
                pos += length
            elif status in (0xF0, 0xF7):
                pos += number()
            else:
                running = status
                pos += 1 if status & 0xF0 in (0xC0, 0xD0) else 2
        last = max(last, tick)
    seconds, tick, tempo = 0.0, 0, 500000
    for at_tick in sorted(tempos):
        if at_tick > last:
            break
        seconds += (at_tick - tick) * tempo / division / 1e6
        tick, tempo = at_tick, tempos[at_tick]
    return seconds + (last - tick) * tempo / division / 1e6


def parse_script(text):
    events = []
    for entry in filter(None, (e.strip() for e in text.split(";"))):
        words = entry.split()
        at = int(words[0][2:])
        for action, key in zip(words[1::2], words[2::2]):
            events.append((at, action, key))
    return sorted(events, key=lambda e: e[0])


def run_game(exe, scratch, seconds, script, capture):
    log = os.path.join(scratch, "frames.log")
    env = dict(os.environ, LANTERN_BLADE_FRAME_LOG=log, SDL_AUDIODRIVER="disk",
               SDL_DISKAUDIOFILE=capture)
    errors = open(os.path.join(scratch, "stderr.txt"), "w")
    game = subprocess.Popen([exe], cwd=os.path.join(scratch, "data"), env=env, stderr=errors)
    started = time.monotonic()
    while not (os.path.exists(log) and os.path.getsize(log) > 0):
        if game.poll() is not None or time.monotonic() - started > 20:
            sys.exit("the game presented no frame")
        time.sleep(0.005)
    first = time.monotonic()
    for at, action, key in parse_script(script):
        delay = first + at / 1000 - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        subprocess.run(["xdotool", "key" + action, key], check=False)
    delay = first + seconds - time.monotonic()
    if delay > 0:
        time.sleep(delay)
    subprocess.run(["xdotool", "key", "Escape"], check=False)
    try:
        game.wait(timeout=10)
    except subprocess.TimeoutExpired:
        game.kill()
    errors.close()
    return open(os.path.join(scratch, "stderr.txt")).read()


def restarts(mono, piece_seconds):
    """Gaps, in ms, between the piece's last event and each restart's first sound."""
    loud = np.flatnonzero(np.abs(mono) > 64)
    if len(loud) == 0:
        return []
    start = loud[0]
    template = mono[start:start + RATE // 2]
    template = template - template.mean()
    length = int(round(piece_seconds * RATE))
    gaps = []
    while True:
        lo, hi = start + length - RATE // 5, start + length + 15 * RATE
        if lo + len(template) > len(mono):
            return gaps
        window = mono[lo:min(hi, len(mono))]
        if len(window) < len(template):
            return gaps
        size = 1 << int(np.ceil(np.log2(len(window) + len(template))))
        corr = np.fft.irfft(np.fft.rfft(window, size) * np.conj(np.fft.rfft(template, size)), size)
        corr = corr[:len(window) - len(template) + 1]
        energy = np.convolve(window.astype(np.float64) ** 2, np.ones(len(template)), "valid")
        score = corr / np.sqrt(np.maximum(energy, 1e-9))
        best = int(np.argmax(score))
        if score[best] < 0.5 * np.sqrt(np.sum(template.astype(np.float64) ** 2)):
            return gaps
        found = lo + best
        gaps.append((found - start - length) * 1000 / RATE)
        start = found


def stops(samples):
    """The step into every run of at least 2 ms of digital silence that follows sound."""
    silent = np.all(samples == 0, axis=1)
    steps, run = [], RATE // 500
    edges = np.flatnonzero(silent[1:] & ~silent[:-1]) + 1
    for edge in edges:
        if edge + run <= len(silent) and silent[edge:edge + run].all():
            steps.append(int(np.abs(samples[edge - 1]).max()))
    return steps


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--script", default="")
    parser.add_argument("--capture")
    args = parser.parse_args()
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    exe = os.path.join(os.path.abspath(args.build), "lantern-blade")
    scratch = tempfile.mkdtemp()
    try:
        shutil.copytree(os.path.join(repo, "data"), os.path.join(scratch, "data"))
        capture = args.capture or os.path.join(scratch, "capture.raw")
        errors = run_game(exe, scratch, args.seconds, args.script, capture)
        piece = midi_seconds(os.path.join(repo, "data", "BATTLE03.mid"))
        samples = np.fromfile(capture, dtype="<i2").reshape(-1, 2).astype(np.int32)
    finally:
        shutil.rmtree(scratch)
    clipped = np.abs(samples).max(axis=1) >= FULL
    bursts = np.count_nonzero(clipped[1:] & ~clipped[:-1]) + int(clipped[0])
    step = np.abs(np.diff(samples, axis=0)).max()
    mono = samples.mean(axis=1)
    print(f"capture                 {len(samples) / RATE:.1f} s")
    print(f"stderr                  {errors.strip() or '(nothing)'}")
    print(f"peak                    {np.abs(samples).max() / FULL:.3f} of full scale")
    print(f"clipped samples         {np.count_nonzero(clipped)} in {bursts} bursts")
    print(f"largest step            {step}")
    print(f"steps into silence      {stops(samples)}")
    print(f"BATTLE03 last event     {piece:.2f} s")
    print(f"restart gaps ms         {[round(g, 1) for g in restarts(mono, piece)]}")


if __name__ == "__main__":
    main()
