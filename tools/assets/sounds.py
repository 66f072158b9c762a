"""Writes the three sound effects: the sword swing, a hit, and an enemy breaking apart."""
import os

import numpy as np

from assets.sounds_dsp import (RATE, bandpass_sweep, decay, finish, highpass, one_pole_lowpass,
                               seconds, write_wav)


def sword():
    """A swoosh: noise through a band-pass sweeping up and back, swelling then dying away."""
    rng = np.random.default_rng(11)
    t = seconds(0.25)
    u = t / t[-1]
    centre = 700 + 3200 * np.sin(np.pi * np.clip(u * 1.15, 0, 1)) ** 1.5
    swoosh = bandpass_sweep(rng.standard_normal(t.size), centre, q=2.5)
    envelope = (u / 0.35) ** 2 * (u < 0.35) + np.exp(-(u - 0.35) * 7) * (u >= 0.35)
    air = highpass(rng.standard_normal(t.size), 4000) * 0.15 * envelope
    return finish(swoosh * envelope + air)


def hit():
    """A hit: a falling-pitch body thump under a short bright crack."""
    rng = np.random.default_rng(22)
    t = seconds(0.2)
    pitch = 55 + 110 * np.exp(-t / 0.03)
    thump = np.sin(2 * np.pi * np.cumsum(pitch) / RATE) * decay(t, 0.06)
    crack = highpass(rng.standard_normal(t.size), 1800) * decay(t, 0.012)
    knock = np.sin(2 * np.pi * 420 * t) * decay(t, 0.02) * 0.4
    return finish(thump + 0.9 * crack + knock)


def break_apart():
    """An enemy shattering: a crunchy distorted burst, then debris pinging down as it falls."""
    rng = np.random.default_rng(33)
    t = seconds(0.6)
    burst_noise = one_pole_lowpass(rng.standard_normal(t.size), 2500)
    burst = np.tanh(4 * burst_noise * decay(t, 0.07))
    crunch = np.round(burst * 6) / 6  # coarse steps give the burst its grit
    pitch = 45 + 140 * np.exp(-t / 0.05)
    body = np.sin(2 * np.pi * np.cumsum(pitch) / RATE) * decay(t, 0.09)
    debris = np.zeros(t.size)
    for k in range(26):
        start = 0.05 + 0.5 * (k / 26) ** 1.3 + rng.uniform(0, 0.02)
        freq = rng.uniform(900, 3200) * (1 - 0.4 * start)
        n0 = int(start * RATE)
        tt = t[: t.size - n0]
        grain = np.sin(2 * np.pi * freq * tt) * decay(tt, rng.uniform(0.006, 0.02))
        grain += 0.5 * rng.standard_normal(tt.size) * decay(tt, 0.003)
        debris[n0:] += grain * (0.6 - 0.7 * start) * rng.uniform(0.5, 1.0)
    # Its burst is denser than the others': a lower peak gives its loudest fifth of a second
    # the same level as theirs, so a kill does not jump out of the mix.
    return finish(0.9 * crunch + 0.8 * body + 0.55 * debris, peak=0.5, fade_out=0.04)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    write_wav(os.path.join(out_dir, "Sword.wav"), sword())
    write_wav(os.path.join(out_dir, "dmg01.wav"), hit())
    write_wav(os.path.join(out_dir, "BreakEnem.wav"), break_apart())
