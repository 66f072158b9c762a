"""The ranking screen: a castle-hall background and the ranking scroll.

The scroll unrolls from right to left: the game slides the strip of columns
20..94 (the scroll's rolled-up left edge with its rod) across the screen and
shows the sheet in place behind it, so the strip ends in parchment that
meets the sheet at any column.  Digits are written into five dark ink slots,
one per rank, best rank rightmost, read top to bottom.
"""
import numpy as np

from . import frontend_scenery as scenery
from . import frontend_text as text
from .frontend_layout import (DIGIT_H, DIGIT_W, PANEL_EDGE, RANK_COLUMNS, RANK_DIGIT_TOPS,
                              SCREEN_H as H, SCREEN_W as W)
from .frontend_paint import (add_light, dilate, ellipse, lamplight, moon, quantise, radial, rect,
                             stars, vgradient)
from .palette import BLACK, KEY, ramp

SHEET_TOP, SHEET_BOTTOM = 44, 436
SHEET_RIGHT = 598
ROD_TOP, ROD_BOTTOM = 26, 454
LABELS = ("1ST", "2ND", "3RD", "4TH", "5TH")
SLOT_TOP = RANK_DIGIT_TOPS[-1] - 6
SLOT_BOTTOM = RANK_DIGIT_TOPS[0] + DIGIT_H + 6


def _rod(rgb, mask, x0, x1):
    """A turned wooden rod with gold caps, shaded as a cylinder."""
    cx = (x0 + x1) / 2
    half = (x1 - x0) / 2
    xs = np.arange(W)
    shade = np.clip(1 - ((xs - cx + half * 0.35) / half) ** 2, 0, 1)
    rod = rect(H, W, (int(x0 + half * 0.35), ROD_TOP + 14, int(x1 - half * 0.35), ROD_BOTTOM - 14))
    wood = np.array([34, 20, 12]) + np.array([120, 82, 50]) * shade[:, None]
    rgb[rod] = np.broadcast_to(wood, (H, W, 3))[rod]
    mask |= rod
    for top in (ROD_TOP, ROD_BOTTOM - 18):
        cap = rect(H, W, (int(x0), top, int(x1), top + 18)) & ~(
            rect(H, W, (int(x0), top, int(x0) + 3, top + 3)) | rect(H, W, (int(x1) - 3, top, int(x1), top + 3)) |
            rect(H, W, (int(x0), top + 15, int(x0) + 3, top + 18)) | rect(H, W, (int(x1) - 3, top + 15, int(x1), top + 18)))
        gold = np.array([90, 60, 10]) + np.array([165, 160, 100]) * shade[:, None]
        rgb[cap] = np.broadcast_to(gold, (H, W, 3))[cap]
        mask |= cap


def ranking_picture():
    rgb = np.zeros((H, W, 3))
    opaque = np.zeros((H, W), dtype=bool)

    # The parchment sheet, from the strip's curl to the right-hand rod.
    sheet = rect(H, W, (PANEL_EDGE[0] + 40, SHEET_TOP, SHEET_RIGHT, SHEET_BOTTOM))
    y, x = np.mgrid[0:H, 0:W]
    base = np.array([206, 178, 126], dtype=np.float64)
    rng = np.random.default_rng(29)
    noise = np.zeros((H, W))
    for _ in range(26):
        cx, cy = rng.uniform(100, 600), rng.uniform(40, 440)
        noise += rng.uniform(-0.06, 0.05) * radial(H, W, cx, cy, rng.uniform(20, 70))
    edge = np.minimum(y - SHEET_TOP, SHEET_BOTTOM - 1 - y)
    darken = 1 - 0.25 * np.exp(-edge / 6.0) + noise
    rgb[sheet] = (base[None, None, :] * darken[:, :, None])[sheet]
    opaque |= sheet

    # The curl at the strip's right end: the sheet rolls round the rod, its top and bottom
    # edges running on level with the sheet's.
    curl = rect(H, W, (PANEL_EDGE[0] + 40, SHEET_TOP, PANEL_EDGE[1], SHEET_BOTTOM))
    t = np.clip((x - (PANEL_EDGE[0] + 40)) / (PANEL_EDGE[1] - PANEL_EDGE[0] - 40), 0, 1)
    roll = 0.55 + 0.45 * np.sin(t * np.pi * 0.5)
    rgb[curl] = (base[None, None, :] * (roll * darken)[:, :, None])[curl]
    opaque |= curl
    _rod(rgb, opaque, PANEL_EDGE[0] + 10, PANEL_EDGE[0] + 46)
    _rod(rgb, opaque, SHEET_RIGHT - 4, SHEET_RIGHT + 32)

    # Ink slots for the digits, a little lamp-light from the right.
    for left in RANK_COLUMNS:
        slot = rect(H, W, (left - 6, SLOT_TOP, left + DIGIT_W + 6, SLOT_BOTTOM))
        rgb[slot] = (22, 16, 24)
    add_light(rgb, (60, 40, 10), 0.6 * radial(H, W, 520, 160, 260) * opaque)

    idx = quantise(rgb, amplitude=14)
    idx[~opaque] = KEY

    # Ink rules along the sheet's top and bottom: the same in every column,
    # so the sliding edge meets them wherever it stands.
    x0, x1 = PANEL_EDGE[0] + 40, SHEET_RIGHT - 10
    for y in (SHEET_TOP + 9, SHEET_BOTTOM - 10):
        for dy, level in ((-3, ("earth", 4)), (0, ("blood", 1)), (1, ("blood", 1)), (4, ("earth", 4))):
            line = idx[y + dy, x0:x1]
            line[opaque[y + dy, x0:x1]] = ramp(*level)
    for i, left in enumerate(RANK_COLUMNS):
        x0, x1 = left - 6, left + DIGIT_W + 6
        idx[SLOT_TOP - 2, x0 - 2:x1 + 2] = ramp("earth", 3)
        idx[SLOT_TOP - 1:SLOT_BOTTOM + 1, x0 - 2] = ramp("earth", 3)
        idx[SLOT_TOP - 1:SLOT_BOTTOM + 1, x1 + 1] = ramp("earth", 13)
        idx[SLOT_BOTTOM + 1, x0 - 2:x1 + 2] = ramp("earth", 13)
        idx[SLOT_TOP - 1, x0 - 1:x1 + 1] = BLACK
        idx[SLOT_TOP - 1:SLOT_BOTTOM + 1, x0 - 1] = BLACK
        idx[SLOT_TOP - 1:SLOT_BOTTOM + 1, x1] = ramp("night", 3)
        idx[SLOT_BOTTOM, x0 - 1:x1 + 1] = ramp("night", 3)
        ink = "blood" if i == 0 else "earth"
        text.centred(idx, LABELS[i], left + DIGIT_W / 2, SLOT_TOP - 20, text.SERIF_BOLD, 16, ink,
                     levels=(5, 2), outline=None, shadow=ramp("earth", 10), shadow_offset=(1, 1))
    text.centred(idx, "Hall of", 490, 92, text.SERIF_BOLD, 22, "earth", levels=(4, 1),
                 outline=None, shadow=ramp("earth", 11), shadow_offset=(1, 1))
    text.centred(idx, "Lanterns", 490, 122, text.SERIF_BOLD, 30, "blood",
                 levels=(5, 2), outline=None, shadow=ramp("earth", 10), shadow_offset=(1, 1))
    scenery.lantern(idx, 490, 190, size=3, chain=16)
    text.centred(idx, "The brightest", 490, 330, text.SERIF_CONDENSED, 15, "earth", levels=(3, 3),
                 outline=None, shadow=None)
    text.centred(idx, "stand on the right", 490, 348, text.SERIF_CONDENSED, 15, "earth", levels=(3, 3),
                 outline=None, shadow=None)
    for line, top in (("Z  watch the 1st", 372), ("1-5  watch that place", 390), ("X  return", 408)):
        text.centred(idx, line, 490, top, text.SANS_BOLD, 13, "earth", levels=(5, 5), outline=None, shadow=None)
    return idx


def background():
    # A stone hall at night: ashlar walls, an arched window on the moon,
    # and two wall lanterns throwing warm light over the stones.
    rgb = vgradient(H, W, [(0, (30, 30, 44)), (1, (18, 18, 28))])
    y, x = np.mgrid[0:H, 0:W]
    course = 24
    row = y // course
    offset = (row % 2) * 26
    joint_v = ((x + offset) % 52) < 2
    joint_h = (y % course) < 2
    rng = np.random.default_rng(37)
    tone = rng.uniform(0.8, 1.15, (H // course + 1, W // 52 + 3))
    stone = tone[row, (x + offset) // 52]
    rgb *= stone[:, :, None]
    rgb[joint_v | joint_h] *= 0.45
    window = ellipse(H, W, (250, 60, 390, 200)) | rect(H, W, (250, 130, 390, 330))
    night = vgradient(H, W, [(0, (8, 8, 24)), (1, (34, 30, 70))], 60, 330)
    rgb[window] = night[window]
    lunar = moon(np.zeros((H, W, 3)), 340, 130, 26, seed=5)
    rgb[window & lunar] = (222, 218, 196)
    frame = dilate(window, 5) & ~window
    rgb[frame] = (60, 58, 76)
    sill = rect(H, W, (238, 330, 402, 342))
    rgb[sill] = (80, 78, 96)
    floor = y >= 420
    rgb[floor] = (vgradient(H, W, [(0, (26, 20, 22)), (1, (44, 34, 30))], 420, 480))[floor]
    for lx in (90, 550):
        lamplight(rgb, radial(H, W, lx, 200, 190, sy=1.2) ** 1.3, 0.9)
    idx = quantise(rgb, amplitude=14)
    bars = rect(H, W, (318, 60, 322, 330)) | rect(H, W, (250, 196, 390, 200))
    idx[bars & window] = ramp("stone", 2)
    stars(idx, window & ~dilate(lunar, 2), 30, seed=12)
    for lx in (90, 550):
        idx[150:154, lx - 16:lx + 1] = ramp("stone", 3)
        scenery.lantern(idx, lx, 170, size=3, chain=16)
    return idx
