"""The opening picture and the title picture.

Both are night scenes under the same sky: a castle on its crag, a moon,
and the warm light of a lantern, the game's one source of comfort.
"""
import numpy as np

from . import frontend_scenery as scenery
from . import frontend_text as text
from .frontend_layout import SCREEN_H as H, SCREEN_W as W
from .frontend_paint import (add_light, below, blend, dilate, lamplight, moon, polygon, quantise,
                             radial, ridge, stars, vgradient)
from .palette import ramp

def _sky(top, middle, horizon, horizon_row):
    return vgradient(H, W, [(0.0, top), (0.55, middle), (1.0, horizon)], 0, horizon_row)


def _mist(rgb, row, depth, strength, tint=(70, 70, 110)):
    y = np.arange(H)[:, None] * np.ones((1, W))
    add_light(rgb, tint, strength * np.exp(-((y - row) / depth) ** 2))


def opening():
    rgb = _sky((4, 4, 16), (22, 22, 58), (86, 60, 92), 330)
    sky_mask = np.ones((H, W), dtype=bool)
    lunar = moon(rgb, 500, 96, 40, seed=9)
    sky_mask &= ~dilate(lunar, 3)

    far = ridge(W, 262, 30, seed=11, octaves=5)
    far_mask = below(H, W, far)
    blend(rgb, (36, 34, 70), far_mask * 1.0)
    _mist(rgb, 300, 30, 0.5)

    crag_pts = [(40, H), (60, 300), (110, 250), (150, 236), (245, 238), (290, 262), (330, 300), (380, H)]
    crag_mask = polygon(H, W, crag_pts)
    keep, windows = scenery.castle(H, W, 200, 242, 0.72, seed=7)
    silhouette = (22, 18, 40)
    blend(rgb, silhouette, (crag_mask | keep) * 1.0)
    add_light(rgb, (40, 30, 60), 0.6 * radial(H, W, 200, 200, 170) * (keep | crag_mask))
    _mist(rgb, 330, 22, 0.45, (60, 60, 100))

    hills = ridge(W, 356, 14, seed=21, octaves=4)
    hills_mask = below(H, W, hills)
    blend(rgb, (14, 14, 28), hills_mask * 1.0)

    # The winding road from the foreground up to the castle gate.
    y = np.arange(H)[:, None]
    x = np.arange(W)[None, :]
    t = np.clip((y - 300) / 180.0, 0, 1)
    centre = 330 + 90 * np.sin(t * 3.0) * t
    half = 2 + 60 * t ** 1.6
    road = (np.abs(x - centre) < half) & (y > 300) & hills_mask
    blend(rgb, (58, 46, 40), road * 1.0)

    trees = np.zeros((H, W), dtype=bool)
    for tx, th in ((10, 250), (52, 190), (92, 150), (560, 210), (606, 260), (640, 180), (520, 140)):
        trees |= scenery.pine(H, W, tx, 486, th)
    for tx, th in ((440, 60), (470, 72), (150, 56), (190, 48)):
        trees |= scenery.pine(H, W, tx, 372 + (tx % 7), th)

    wanderer, hand = scenery.wanderer(H, W, 366, 440, 58)
    glow = radial(H, W, hand[0], hand[1], 150, sy=0.75)
    lamplight(rgb, glow ** 1.4, 0.9)
    blend(rgb, (6, 6, 12), trees * 1.0)
    add_light(rgb, (120, 60, 20), 0.5 * glow ** 2 * trees)
    blend(rgb, (10, 8, 10), wanderer * 1.0)

    idx = quantise(rgb)
    stars(idx, sky_mask & ~far_mask & ~dilate(keep | crag_mask, 2) & (np.arange(H)[:, None] < 250), 220, seed=2)
    scenery.light_windows(idx, windows, seed=4)
    scenery.lantern(idx, int(hand[0]), int(hand[1]) - 3, size=2)
    text.centred(idx, "The night is long. Carry the light.", W / 2, 456, text.SERIF_CONDENSED, 15,
                 "bone", levels=(13, 9), shadow_offset=(1, 1))
    return idx


def title():
    rgb = _sky((3, 3, 12), (18, 18, 48), (70, 44, 74), 400)
    lunar = moon(rgb, 520, 220, 54, seed=9)
    sky_mask = ~dilate(lunar, 3)

    far = ridge(W, 350, 24, seed=31, octaves=5)
    far_mask = below(H, W, far)
    blend(rgb, (30, 28, 60), far_mask * 1.0)
    _mist(rgb, 372, 26, 0.55)

    keep, windows = scenery.castle(H, W, 530, 372, 0.62, seed=13)
    blend(rgb, (16, 14, 32), keep * 1.0)

    ground = ridge(W, 430, 8, seed=41, octaves=4)
    ground_mask = below(H, W, ground)
    blend(rgb, (12, 10, 20), ground_mask * 1.0)

    tree = scenery.bare_tree(H, W, 70, 470, 420, seed=17, lean=0.25)
    hang = (192, 236)
    tree |= scenery.bough(H, W, [(96, 330), (130, 262), (168, 222), (204, 206), (226, 208)], 9)
    glow = radial(H, W, hang[0], hang[1] + 14, 160, sy=0.9)
    lamplight(rgb, glow ** 1.5, 0.85)
    blend(rgb, (8, 6, 12), tree * 1.0)
    add_light(rgb, (140, 70, 20), 0.55 * glow ** 2 * tree)
    grass = np.zeros((H, W), dtype=bool)
    rng = np.random.default_rng(23)
    for gx in range(0, W, 5):
        gh = rng.integers(6, 20)
        lean = rng.integers(-4, 5)
        base = int(ground[min(gx, W - 1)]) + 18
        grass |= polygon(H, W, [(gx, base), (gx + 4, base), (gx + 2 + lean, base - gh)])
    blend(rgb, (6, 5, 10), grass * 1.0)

    idx = quantise(rgb)
    stars(idx, sky_mask & ~far_mask & ~dilate(keep | tree, 2) & (glow < 0.05), 260, seed=6)
    scenery.light_windows(idx, windows, seed=8)
    scenery.lantern(idx, hang[0], hang[1], size=3, chain=26)

    text.centred(idx, "Lantern Blade", W / 2 + 4, 92, text.SERIF_BOLD, 66, "gold",
                 levels=(15, 6), outline_width=2, shadow_offset=(3, 4), rim=ramp("bone", 15))
    scenery.sword(idx, 150, 148, 340)
    # The keys, on the dark ground either side of the lowest menu item.
    _keys(idx, [("ARROWS", " walk   "), ("Z", " sword and pick")], 130, 458)
    _keys(idx, [("X", " pause   "), ("ESC", " quits")], 515, 458)
    return idx


def _keys(idx, pairs, cx, cy):
    """One line of key names in gold and what they do in bone, centred on (cx, cy)."""
    size = 14
    line = "".join(key + action for key, action in pairs)
    glyphs = text.mask(line, text.SANS_CONDENSED, size)
    font = text.font(text.SANS_CONDENSED, size)
    advance = np.cumsum([0.0] + [font.getlength(ch) for ch in line])  # as text.mask lays it out
    names = np.zeros(glyphs.shape, dtype=bool)
    start = 0
    for key, action in pairs:
        names[:, int(advance[start]):int(np.ceil(advance[start + len(key)]))] = True
        start += len(key) + len(action)
    h, w = glyphs.shape
    x, y = int(round(cx - w / 2)), int(round(cy - h / 2))
    for part, name in ((glyphs & ~names, "bone"), (glyphs & names, "gold")):
        text.stamp(idx, part, x, y, name, levels=(15, 11), shadow_offset=(1, 1))
