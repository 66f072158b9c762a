"""Writes 8-bit Windows bitmaps with the master palette as colour table."""
import os

import numpy as np
from PIL import Image

from .palette import PALETTE


def save(path, indices):
    """Save an H x W array of palette indices as an uncompressed 8-bit BMP."""
    array = np.ascontiguousarray(indices, dtype=np.uint8)
    image = Image.fromarray(array, mode="P")
    image.putpalette(PALETTE.flatten().tolist())
    os.makedirs(os.path.dirname(path), exist_ok=True)
    image.save(path, format="BMP")
