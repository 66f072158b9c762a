"""Painting helpers for the front-end pictures.

Backgrounds are painted in floating-point RGB and then quantised to the
master palette with an ordered (Bayer) dither, which gives the soft
gradients of the night skies the stepped look of 8-bit art.  Sharp things
(silhouettes, text, outlines) are stamped afterwards straight in palette
indices so they stay crisp.
"""
import numpy as np
from PIL import Image, ImageDraw

from .palette import PALETTE, nearest

_LUT_BITS = 6
_lut_cache = []


def _bayer(n):
    m = np.array([[0]])
    while m.shape[0] < n:
        m = np.block([[4 * m, 4 * m + 2], [4 * m + 3, 4 * m + 1]])
    return (m + 0.5) / (n * n) - 0.5


BAYER8 = _bayer(8)


def _lut():
    # Nearest palette entry for every 6-bit-per-channel colour, built once:
    # quantising whole pictures through it is a single fancy-index.
    if not _lut_cache:
        levels = np.arange(1 << _LUT_BITS) * (255.0 / ((1 << _LUT_BITS) - 1))
        r, g, b = np.meshgrid(levels, levels, levels, indexing="ij")
        cube = np.stack([r, g, b], axis=-1).reshape(1 << _LUT_BITS, -1, 3)
        _lut_cache.append(nearest(np.rint(cube)).reshape(-1))
    return _lut_cache[0]


def quantise(rgb, amplitude=18.0):
    """Palette indices for an H x W x 3 float RGB picture, ordered-dithered."""
    h, w, _ = rgb.shape
    tile = np.tile(BAYER8, (h // 8 + 1, w // 8 + 1))[:h, :w]
    shifted = np.clip(rgb + tile[:, :, None] * amplitude, 0, 255)
    top = (1 << _LUT_BITS) - 1
    q = np.rint(shifted * (top / 255.0)).astype(np.int32)
    code = (q[:, :, 0] << (2 * _LUT_BITS)) | (q[:, :, 1] << _LUT_BITS) | q[:, :, 2]
    return _lut()[code]


def vgradient(h, w, stops, y0=0, y1=None):
    """Vertical gradient through (t, rgb) stops; t runs 0..1 from row y0 to y1."""
    y1 = h if y1 is None else y1
    t = (np.arange(h) - y0) / max(1, y1 - y0)
    ts = [s[0] for s in stops]
    channels = [np.interp(t, ts, [s[1][c] for s in stops]) for c in range(3)]
    column = np.stack(channels, axis=-1)
    return np.repeat(column[:, None, :], w, axis=1)


def radial(h, w, cx, cy, radius, sy=1.0):
    """Falloff field: 1 at (cx, cy), 0 at the radius and beyond (smooth)."""
    y, x = np.mgrid[0:h, 0:w]
    d = np.sqrt((x - cx) ** 2 + ((y - cy) / sy) ** 2) / radius
    f = np.clip(1.0 - d, 0.0, 1.0)
    return f * f * (3 - 2 * f)


def blend(rgb, tint, alpha):
    """Mix tint into rgb by an alpha field (0..1) in place."""
    a = np.clip(alpha, 0, 1)[:, :, None]
    rgb *= 1 - a
    rgb += a * np.asarray(tint, dtype=np.float64)
    return rgb


def add_light(rgb, tint, amount):
    """Additive light: rgb += tint * amount (field), in place."""
    rgb += np.clip(amount, 0, None)[:, :, None] * np.asarray(tint, dtype=np.float64)
    np.clip(rgb, 0, 255, out=rgb)
    return rgb


def polygon(h, w, points):
    """Boolean mask of a filled polygon (no antialiasing)."""
    image = Image.new("1", (w, h), 0)
    ImageDraw.Draw(image).polygon([tuple(map(float, p)) for p in points], fill=1)
    return np.array(image, dtype=bool)


def ellipse(h, w, box):
    image = Image.new("1", (w, h), 0)
    ImageDraw.Draw(image).ellipse(box, fill=1)
    return np.array(image, dtype=bool)


def rect(h, w, box):
    mask = np.zeros((h, w), dtype=bool)
    x0, y0, x1, y1 = box
    mask[max(0, y0):max(0, y1), max(0, x0):max(0, x1)] = True
    return mask


def ridge(w, base, amplitude, seed, octaves=4, smooth=1.0):
    """A 1-D height profile (rows) for hills and mountains, deterministic."""
    rng = np.random.default_rng(seed)
    xs = np.arange(w)
    profile = np.full(w, float(base))
    for octave in range(octaves):
        step = max(2, int(w / (3 * 2 ** octave) / smooth))
        knots = rng.uniform(-1, 1, w // step + 3)
        profile += amplitude / (2 ** octave) * np.interp(xs / step, np.arange(len(knots)), knots)
    return profile


def below(h, w, profile):
    """Mask of the rows at or below a height profile."""
    y = np.arange(h)[:, None]
    return y >= np.asarray(profile)[None, :w]


def dilate(mask, radius=1, diagonal=True):
    out = mask.copy()
    for dy in range(-radius, radius + 1):
        for dx in range(-radius, radius + 1):
            if (dx or dy) and (diagonal or dx == 0 or dy == 0):
                out |= shift(mask, dx, dy)
    return out


def shift(mask, dx, dy):
    out = np.zeros_like(mask)
    h, w = mask.shape
    out[max(0, dy):h + min(0, dy), max(0, dx):w + min(0, dx)] = \
        mask[max(0, -dy):h - max(0, dy), max(0, -dx):w - max(0, dx)]
    return out


def stars(idx, mask, count, seed, bright=(15, 13, 11, 9)):
    """Scatter stars (single pixels, some with a cross) where mask allows."""
    rng = np.random.default_rng(seed)
    h, w = idx.shape
    for _ in range(count):
        x, y = int(rng.integers(1, w - 1)), int(rng.integers(1, h - 1))
        if not mask[y, x]:
            continue
        level = bright[int(rng.integers(0, len(bright)))]
        idx[y, x] = level
        if rng.random() < 0.08 and mask[y - 1:y + 2, x - 1:x + 2].all():
            for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                idx[y + oy, x + ox] = max(1, level - 6)


def moon(rgb, cx, cy, r, seed, glow=2.2):
    """A pale moon with craters and a soft halo, painted in RGB."""
    h, w, _ = rgb.shape
    add_light(rgb, (60, 70, 110), 0.55 * radial(h, w, cx, cy, r * glow * 2.2))
    disc = radial(h, w, cx, cy, r) > 0
    y, x = np.mgrid[0:h, 0:w]
    shade = np.clip(1.0 - 0.35 * ((x - cx + r * 0.5) ** 2 + (y - cy + r * 0.4) ** 2) / (r * r * 2.2), 0.45, 1)
    base = np.array([232, 228, 205], dtype=np.float64)
    rng = np.random.default_rng(seed)
    crater = np.zeros((h, w))
    for _ in range(9):
        a, d = rng.uniform(0, 2 * np.pi), rng.uniform(0, 0.75) * r
        cr = rng.uniform(0.08, 0.24) * r
        crater = np.maximum(crater, 0.22 * (radial(h, w, cx + d * np.cos(a), cy + d * np.sin(a), cr) > 0))
    surface = base[None, None, :] * (shade - crater)[:, :, None]
    rgb[disc] = surface[disc]
    return disc



def lamplight(rgb, field, strength=1.0):
    """Warm lantern light: lit areas slide along the lantern ramp.

    Adding orange to bluish night colours gives pinks that the palette turns
    into reds; pulling the lit colour towards the lantern ramp, scaled by the
    surface's own brightness, keeps the light golden and the texture visible.
    """
    from .palette import RAMPS
    first, count, _, _ = RAMPS["lantern"]
    table = PALETTE[first:first + count].astype(np.float64)
    luma = rgb.mean(axis=2) / 255.0
    level = np.clip(0.3 + field * 0.6 + luma * 0.9, 0, 1) * (count - 1)
    target = np.stack([np.interp(level, np.arange(count), table[:, c]) for c in range(3)], axis=-1)
    return blend(rgb, target, np.clip(field * strength, 0, 1))
