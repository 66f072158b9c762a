"""The ending picture: 640 x 2000, read top to bottom as it scrolls up.

The sky runs from deep night at the top to dawn, so the credits travel
through the night towards morning, and the sunrise behind the castle with
"THE END" passes last. The last 480 rows, which stand on screen while the
picture leaves at the top (the rows below it are not redrawn then), are plain
black, the colour the ending blanks the screen to, so nothing stale shows.
"""
import numpy as np

from . import frontend_scenery as scenery
from . import frontend_text as text
from .frontend_layout import ENDING_H as H, SCREEN_H, SCREEN_W as W
from .frontend_paint import (add_light, below, blend, dilate, lamplight, moon, polygon, quantise,
                             radial, ridge, stars, vgradient)
from .palette import BLACK, ramp

ART_H = H - SCREEN_H         # rows of art; the plain tail follows
LAST = ART_H - SCREEN_H      # first row of the sunrise screen
CREDITS = (
    (450, "A GAME BY", ("the Lantern Blade team",)),
    (760, "ART", ("drawn by code",)),
    (870, "MUSIC", ("composed by code",)),
    (980, "SOUND", ("made by code",)),
    (1090, "CODE", ("written by the team", "in C++ and Python")),
)


def picture():
    idx = np.full((H, W), BLACK, dtype=np.uint8)
    idx[:ART_H] = _art()
    return idx


def _art():
    H = ART_H
    rgb = vgradient(H, W, [(0.0, (3, 3, 12)), (0.45, (12, 12, 36)), (0.7, (30, 24, 64)),
                           (0.8, (60, 36, 80)), (0.88, (130, 60, 84)), (0.94, (206, 108, 72)),
                           (1.0, (250, 176, 90))])
    lunar = moon(rgb, 470, 150, 44, seed=19)

    # The wanderer on a rocky outcrop halfway down, his lantern lighting it.
    crag = polygon(H, W, [(0, 632), (180, 634), (300, 638), (352, 646), (372, 660), (330, 682),
                          (240, 710), (150, 760), (60, 810), (0, 840)])
    blend(rgb, (34, 28, 40), crag * 1.0)
    figure, hand = scenery.wanderer(H, W, 290, 639, 64)
    glow = radial(H, W, hand[0], hand[1], 170, sy=0.8)
    lamplight(rgb, glow ** 1.5, 0.8)
    blend(rgb, (6, 5, 10), figure * 1.0)

    # Dawn: sun low on the horizon, hills and the castle against it.
    sun_y = H - 110
    add_light(rgb, (255, 210, 120), 0.8 * radial(H, W, 320, sun_y, 260, sy=0.6) ** 2)
    far = ridge(W, H - 120, 16, seed=51)
    blend(rgb, (96, 50, 70), below(H, W, far) * 1.0)
    keep, windows = scenery.castle(H, W, 430, H - 70, 0.55, seed=23)
    near = ridge(W, H - 60, 10, seed=53)
    blend(rgb, (40, 20, 34), (keep | below(H, W, near)) * 1.0)
    trees = np.zeros((H, W), dtype=bool)
    for tx, th in ((20, 180), (70, 130), (600, 160), (640, 120)):
        trees |= scenery.pine(H, W, tx, H, th)
    blend(rgb, (20, 10, 20), trees * 1.0)

    idx = quantise(rgb, amplitude=24)
    sky = (np.arange(H)[:, None] < LAST + 60) & ~dilate(lunar | crag, 3) & (glow < 0.05)
    stars(idx, sky, 900, seed=14)
    scenery.light_windows(idx, windows, seed=2, bright=0.5)
    scenery.lantern(idx, int(hand[0]), int(hand[1]) - 3, size=2)
    rim = crag & ~np.roll(crag, 1, axis=0)
    idx[rim] = ramp("stone", 6)

    text.centred(idx, "Lantern Blade", W / 2, 300, text.SERIF_BOLD, 62, "gold", levels=(15, 6),
                 outline_width=2, shadow_offset=(3, 4), rim=ramp("bone", 15))
    scenery.sword(idx, 160, 356, 320)
    for row, heading, lines in CREDITS:
        _diamond(idx, W // 2, row - 44)
        text.centred(idx, heading, W / 2, row, text.SERIF_BOLD, 30, "gold", levels=(15, 8),
                     outline_width=1, shadow_offset=(2, 3))
        for i, line in enumerate(lines):
            text.centred(idx, line, W / 2, row + 46 + 34 * i, text.SERIF_CONDENSED, 26, "bone",
                         levels=(15, 10), shadow_offset=(2, 2))
    text.centred(idx, "THE END", W / 2, LAST + 220, text.SERIF_BOLD, 72, "lantern", levels=(15, 8),
                 outline_width=2, shadow_offset=(3, 4), rim=ramp("bone", 15))
    text.centred(idx, "Thank you for carrying the light", W / 2, LAST + 292, text.SERIF_CONDENSED, 22,
                 "bone", levels=(15, 11), shadow_offset=(2, 2))
    return idx


def _diamond(idx, cx, cy):
    """A small gold lozenge with short rules, between credit blocks."""
    idx[cy, cx - 60:cx - 8] = ramp("gold", 7)
    idx[cy, cx + 9:cx + 61] = ramp("gold", 7)
    for d in range(5):
        idx[cy - 4 + d, cx - d:cx + d + 1] = ramp("gold", 15 - d)
        idx[cy + 4 - d, cx - d:cx + d + 1] = ramp("gold", 9 + d)
