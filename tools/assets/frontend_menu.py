"""The menu picture: the title's and the pause menu's item plates.

Each item is a small plate of dark lacquer with a gold rim and lantern-lit
lettering; everything outside the plates is the transparent key, so the
items sit over the title picture or the frozen play picture.  The four pause
plates are alike in size and place on screen, whatever the width of the cell
the game cuts each from, so that only the game's enlargement marks the
selected one.
"""
import numpy as np

from . import frontend_text as text
from .frontend_layout import PAUSE_CELLS, PAUSE_POSITIONS, SCREEN_H, SCREEN_W, TITLE_CELLS
from .frontend_paint import BAYER8, dilate, polygon
from .palette import BLACK, KEY, ramp

# Every pause plate: the narrowest cell's width, the left edge on screen that
# the narrow cells are drawn at, and its top within the cell (the items stand
# 100 px apart whatever the cells' heights).
PAUSE_PLATE_W, PAUSE_PLATE_H = 98, 44
PAUSE_PLATE_LEFT, PAUSE_PLATE_TOP = 270, 3


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
    text.centred(region, label, w / 2, ph / 2 + 1, face, size, ramp_name,
                 levels=(15, 7), rim=ramp(ramp_name, 15), shadow_offset=(1, 2))
    return cell


def picture():
    idx = np.full((SCREEN_H, SCREEN_W), KEY, dtype=np.uint8)
    for (x0, y0, x1, y1), label in TITLE_CELLS:
        idx[y0:y1, x0:x1] = plate(x1 - x0, y1 - y0, label, 17, margin_y=9)
    for ((x0, y0, x1, y1), label), (screen_x, _) in zip(PAUSE_CELLS, PAUSE_POSITIONS):
        left = x0 + PAUSE_PLATE_LEFT - screen_x
        top = y0 + PAUSE_PLATE_TOP
        idx[top:top + PAUSE_PLATE_H, left:left + PAUSE_PLATE_W] = plate(PAUSE_PLATE_W, PAUSE_PLATE_H, label, 18)
    return idx
