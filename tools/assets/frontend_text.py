"""Crisp game-style lettering with the DejaVu fonts.

Glyphs are rasterised without antialiasing (1-bit), filled with a vertical
run through one palette ramp, and given a dark outline and a drop shadow so
they read over any picture, as menu and title lettering does in old games.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from .frontend_paint import dilate, shift
from .palette import BLACK, ramp

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
SERIF_BOLD = "DejaVuSerif-Bold.ttf"
SERIF_CONDENSED = "DejaVuSerifCondensed-Bold.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"
SANS_CONDENSED = "DejaVuSansCondensed-Bold.ttf"

_fonts = {}


def font(name, size):
    key = (name, size)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(FONT_DIR + name, size)
    return _fonts[key]


def mask(text, name, size, spacing=0):
    """Boolean mask of the inked pixels of a line of text, cropped tight."""
    f = font(name, size)
    width = int(f.getlength(text)) + spacing * len(text) + size
    height = size * 2
    image = Image.new("L", (width, height), 0)
    draw = ImageDraw.Draw(image)
    draw.fontmode = "1"
    x = size // 2
    for ch in text:
        draw.text((x, size // 2), ch, font=f, fill=255)
        x += f.getlength(ch) + spacing
    m = np.array(image) > 127
    rows = np.where(m.any(axis=1))[0]
    cols = np.where(m.any(axis=0))[0]
    if len(rows) == 0:
        return np.zeros((1, 1), dtype=bool)
    return m[rows[0]:rows[-1] + 1, cols[0]:cols[-1] + 1]


def stamp(idx, glyphs, x, y, ramp_name, levels=(15, 9), outline=BLACK, outline_width=1,
          shadow=BLACK, shadow_offset=(2, 2), rim=None):
    """Draw a text mask with its top-left at (x, y): shadow, outline, ramp fill.

    levels runs from the top row's ramp level to the bottom row's.  rim, if
    given, is an index for a one-pixel highlight along the glyphs' top edges.
    """
    h, w = glyphs.shape
    pad = outline_width + max(abs(shadow_offset[0]), abs(shadow_offset[1])) + 1
    big = np.zeros((h + 2 * pad, w + 2 * pad), dtype=bool)
    big[pad:pad + h, pad:pad + w] = glyphs
    ring = dilate(big, outline_width) if outline is not None else big
    layers = []
    if shadow is not None:
        layers.append((shift(ring, *shadow_offset), np.full(big.shape, shadow)))
    if outline is not None:
        layers.append((ring, np.full(big.shape, outline)))
    rows = np.linspace(levels[0], levels[1], h + 2 * pad)
    rows = np.clip(np.rint(rows), 0, 15)
    body = np.array([ramp(ramp_name, v) for v in rows], dtype=np.uint8)
    layers.append((big, np.repeat(body[:, None], big.shape[1], axis=1)))
    if rim is not None:
        top = big & ~shift(big, 0, 1)
        layers.append((top, np.full(big.shape, rim)))
    H, W = idx.shape
    ox, oy = x - pad, y - pad
    for m, values in layers:
        ys, xs = np.nonzero(m)
        ty, tx = ys + oy, xs + ox
        ok = (ty >= 0) & (ty < H) & (tx >= 0) & (tx < W)
        idx[ty[ok], tx[ok]] = values[ys[ok], xs[ok]]
    return idx


def centred(idx, text, cx, cy, name, size, ramp_name, spacing=0, **style):
    """Stamp a line of text centred on (cx, cy); returns its box."""
    glyphs = mask(text, name, size, spacing)
    h, w = glyphs.shape
    x, y = int(round(cx - w / 2)), int(round(cy - h / 2))
    stamp(idx, glyphs, x, y, ramp_name, **style)
    return (x, y, x + w, y + h)
