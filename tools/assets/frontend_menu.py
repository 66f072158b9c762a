"""The menu picture: the title's and the pause menu's item plates.

Each item is a small plate of dark lacquer with a gold rim and lantern-lit
lettering; everything outside the plates is the transparent key, so the
items sit over the title picture or the frozen play picture.
"""
import numpy as np

from . import frontend_text as text
from .frontend_layout import PAUSE_CELLS, SCREEN_H, SCREEN_W, TITLE_CELLS
from .frontend_paint import BAYER8, dilate, polygon
from .palette import BLACK, KEY, ramp


def _rounded(h, w, r):
    pts = []
    for cx, cy, a0 in ((w - 1 - r, r, -90), (w - 1 - r, h - 1 - r, 0), (r, h - 1 - r, 90), (r, r, 180)):
        for a in np.linspace(a0, a0 + 90, 6):
            pts.append((cx + r * np.cos(np.radians(a)), cy + r * np.sin(np.radians(a))))
    return polygon(h, w, pts)


def _erode(mask, r):
    padded = np.pad(mask, r + 1)
    return ~dilate(~padded, r)[r + 1:-r - 1, r + 1:-r - 1]


def plate(w, h, label, size, margin_y=0, ramp_name="lantern"):
    """One item cell: key all round, a rounded plate, the label centred."""
    cell = np.full((h, w), KEY, dtype=np.uint8)
    ph = h - 2 * margin_y
    shape = _rounded(ph, w, 7)
    inner = _erode(shape, 1)
    core = _erode(shape, 3)
    upper = np.arange(ph)[:, None] < ph // 2
    body = np.full((ph, w), BLACK, dtype=np.uint8)
    body[inner & upper] = ramp("gold", 14)
    body[inner & ~upper] = ramp("gold", 7)
    # Lacquer: a dithered run from dusky purple at the top to near black.
    t = np.linspace(0.0, 1.0, ph)[:, None] + BAYER8[np.arange(ph) % 8][:, np.arange(w) % 8] * 0.3
    levels = np.clip(np.rint(6.4 - 6 * t), 0, 15).astype(int)
    lacquer = np.array([ramp("purple", v) for v in range(16)], dtype=np.uint8)[levels]
    body[core] = lacquer[core]
    body[core & ~_erode(core, 1) & upper] = BLACK
    region = cell[margin_y:margin_y + ph]
    region[shape] = body[shape]
    face = text.SERIF_BOLD if len(label) <= 5 else text.SERIF_CONDENSED
    box = text.centred(region, label, w / 2, ph / 2 + 1, face, size, ramp_name,
                       levels=(15, 7), rim=ramp(ramp_name, 15), shadow_offset=(1, 2))
    if box[0] > 40:
        _flourish(region, 14, box[0] - 12, ph // 2)
        _flourish(region, w - 15, box[2] + 11, ph // 2)
    return cell


def _flourish(region, outer, inner, y):
    """A gold rule from the plate's end to a small diamond beside the label."""
    lo, hi = sorted((outer, inner))
    region[y, lo:hi + 1] = ramp("gold", 10)
    region[y + 1, lo:hi + 1] = BLACK
    for d in range(4):
        region[y - 3 + d, inner - d:inner + d + 1] = ramp("gold", 14 - d)
        region[y + 3 - d, inner - d:inner + d + 1] = ramp("gold", 8 + d)
    region[y, inner] = ramp("lantern", 15)


def picture():
    idx = np.full((SCREEN_H, SCREEN_W), KEY, dtype=np.uint8)
    for (x0, y0, x1, y1), label in TITLE_CELLS:
        idx[y0:y1, x0:x1] = plate(x1 - x0, y1 - y0, label, 17, margin_y=9)
    for (x0, y0, x1, y1), label in PAUSE_CELLS:
        idx[y0:y1, x0:x1] = plate(x1 - x0, y1 - y0, label, 18, margin_y=3)
    return idx
