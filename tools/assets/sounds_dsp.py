"""Small signal helpers for the sound effects: filters, envelopes and a 16-bit WAV writer."""
import wave

import numpy as np

RATE = 44100


def seconds(duration):
    return np.arange(int(duration * RATE)) / RATE


def bandpass_sweep(signal, centre_hz, q):
    """State-variable band-pass whose centre follows centre_hz (one value per sample)."""
    low = band = 0.0
    out = np.empty_like(signal)
    damping = 1.0 / q
    for i, x in enumerate(signal):
        f = 2.0 * np.sin(np.pi * min(centre_hz[i], RATE / 6) / RATE)
        high = x - low - damping * band
        band += f * high
        low += f * band
        out[i] = band
    return out


def one_pole_lowpass(signal, cutoff_hz):
    a = np.exp(-2.0 * np.pi * cutoff_hz / RATE)
    out = np.empty_like(signal)
    y = 0.0
    for i, x in enumerate(signal):
        y = (1 - a) * x + a * y
        out[i] = y
    return out


def highpass(signal, cutoff_hz):
    return signal - one_pole_lowpass(signal, cutoff_hz)


def decay(t, time_constant):
    return np.exp(-t / time_constant)


def finish(signal, peak=0.89, fade_in=0.002, fade_out=0.02, drive=2.5):
    """Removes DC, fades both ends and normalises to the peak, so nothing clips.

    A soft saturation (tanh, driven this hard) first lifts the body of the sound towards
    its peaks, so the effects stand well above the music.
    """
    signal = signal - signal.mean()
    signal = np.tanh(drive * signal / np.max(np.abs(signal)))
    n_in, n_out = int(fade_in * RATE), int(fade_out * RATE)
    signal[:n_in] *= np.linspace(0.0, 1.0, n_in)
    signal[-n_out:] *= np.linspace(1.0, 0.0, n_out)
    return signal * (peak / np.max(np.abs(signal)))


def write_wav(path, signal):
    pcm = np.round(np.clip(signal, -1.0, 1.0) * 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())
