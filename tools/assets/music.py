"""Writes the game's eight MIDI pieces."""
import os

from assets.music_pieces import PIECES


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name, compose in PIECES.items():
        compose().save(os.path.join(out_dir, name + ".mid"))


def lengths():
    """Seconds of music in each piece, for notes and checks."""
    return {name: compose().seconds() for name, compose in PIECES.items()}
