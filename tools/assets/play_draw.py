"""Pixel-art painting helpers shared by the play-scene sheets.

Everything is painted straight in palette indices: a shape is a boolean
mask, a material is one of the palette's ramps, and a shape is lit by
turning a softened copy of its mask into a height field whose slope
against the light picks the ramp level (an ordered dither smooths the
steps).  Outlines are added afterwards around whatever is not the key,
so every sprite gets the dark rim that keeps it readable on dark floors.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from .palette import KEY, RAMPS, ramp

BAYER4 = (np.array([[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]) + 0.5) / 16.0 - 0.5
OUTLINE = ramp("night", 0)
# Light falls from the upper left, as from a lantern held high.
LIGHT = np.array([-0.55, -0.7, 0.65])
LIGHT = LIGHT / np.linalg.norm(LIGHT)


def canvas(w, h, fill=KEY):
    return np.full((h, w), fill, dtype=np.uint8)


def _mask(w, h, paint):
    img = Image.new("L", (w, h), 0)
    paint(ImageDraw.Draw(img))
    return np.array(img) > 127


def ellipse(w, h, box):
    return _mask(w, h, lambda d: d.ellipse([box[0], box[1], box[2] - 1, box[3] - 1], fill=255))


def rect(w, h, box):
    m = np.zeros((h, w), bool)
    x0, y0, x1, y1 = [int(round(v)) for v in box]
    m[max(0, y0):max(0, y1), max(0, x0):max(0, x1)] = True
    return m


def poly(w, h, pts):
    return _mask(w, h, lambda d: d.polygon([tuple(p) for p in pts], fill=255))


def line(w, h, pts, width=1):
    return _mask(w, h, lambda d: d.line([tuple(p) for p in pts], fill=255, width=width))


def dither(h, w, ox=0, oy=0):
    return np.roll(np.roll(np.tile(BAYER4, (h // 4 + 2, w // 4 + 2)), -oy, 0), -ox, 1)[:h, :w]


def shade_field(mask, soft=2.0, light=LIGHT, flat=0.0):
    """0..1 brightness of a lit, pillow-like shape (1 toward the light)."""
    img = Image.fromarray((mask * 255).astype(np.uint8))
    hgt = np.array(img.filter(ImageFilter.GaussianBlur(soft)), float) / 255.0
    gy, gx = np.gradient(hgt)
    k = 2.2 * soft
    n = np.stack([-gx * k, -gy * k, np.ones_like(hgt)], axis=-1)
    n /= np.linalg.norm(n, axis=-1, keepdims=True)
    val = np.clip((n * light).sum(axis=-1), 0, 1)
    base = light[2]
    val = 0.5 + (val - base) * 1.6
    return np.clip(val * (1 - flat) + 0.5 * flat, 0, 1)


def to_index(name, level, dith=0.6):
    """Ramp indices for a float level field (0..count-1), ordered-dithered."""
    first, count, _, _ = RAMPS[name]
    h, w = level.shape
    lv = np.rint(level + dither(h, w) * dith)
    return (first + np.clip(lv, 0, count - 1)).astype(np.uint8)


def paint(cv, mask, name, lo, hi, soft=2.0, dith=0.6, edge=None, light=LIGHT, flat=0.0):
    """Fill mask on cv with a lit ramp from level lo (shadow) to hi (light)."""
    if not mask.any():
        return
    val = shade_field(mask, soft, light, flat)
    idx = to_index(name, lo + (hi - lo) * val, dith)
    cv[mask] = idx[mask]
    if edge is not None:
        cv[mask & ~_eroded(mask)] = edge


def fill(cv, mask, index):
    cv[mask] = index


def _eroded(mask):
    e = mask.copy()
    e[1:, :] &= mask[:-1, :]
    e[:-1, :] &= mask[1:, :]
    e[:, 1:] &= mask[:, :-1]
    e[:, :-1] &= mask[:, 1:]
    return e


def border(mask):
    """The pixels of mask that touch its outside (4-neighbourhood)."""
    return mask & ~_eroded(mask)


def grow(mask, n=1):
    m = mask.copy()
    for _ in range(n):
        g = m.copy()
        g[1:, :] |= m[:-1, :]
        g[:-1, :] |= m[1:, :]
        g[:, 1:] |= m[:, :-1]
        g[:, :-1] |= m[:, 1:]
        m = g
    return m


def outline(cv, colour=OUTLINE, key=KEY):
    """Ring every non-key area with a one-pixel outline."""
    solid = cv != key
    ring = grow(solid) & ~solid
    cv[ring] = colour
    return cv


def stamp(cv, sprite, x, y, key=KEY):
    """Copy sprite onto cv at (x, y), key pixels transparent, clipped."""
    h, w = sprite.shape
    H, W = cv.shape
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(W, x + w), min(H, y + h)
    if x0 >= x1 or y0 >= y1:
        return cv
    src = sprite[y0 - y:y1 - y, x0 - x:x1 - x]
    dst = cv[y0:y1, x0:x1]
    sel = src != key
    dst[sel] = src[sel]
    return cv


def noise(h, w, seed, scale=4.0):
    """Smooth deterministic value noise in 0..1, tileable over (h, w)."""
    rng = np.random.default_rng(seed)
    gh, gw = max(1, int(round(h / scale))), max(1, int(round(w / scale)))
    grid = rng.random((gh, gw))
    big = np.tile(grid, (3, 3))
    img = Image.fromarray((big * 255).astype(np.uint8)).resize((gw * 3 * w // gw, gh * 3 * h // gh), Image.BICUBIC)
    a = np.array(img, float)[h:2 * h, w:2 * w] / 255.0
    return (a - a.min()) / max(1e-6, a.max() - a.min())


def pixel_rng(seed):
    return np.random.default_rng(seed)
