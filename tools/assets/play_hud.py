"""The small pieces of the character sheet: digit plates, overview cells,
the dots of the overview and the three results captions.

The countdown copies its digits without colour key, so every glyph sits on
an opaque dark plate (no key pixel at all); its left and right columns are
the same rim, so the one-column overlap of the countdown's 17-pixel step
reads as a single divider.  The overview copies its cells and dots without
key as well, so they are opaque too.  The hero dot lies inside the first
caption's rectangle: there it becomes the light of a small lantern that
heads every caption.
"""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from .palette import KEY, ramp
from . import frontend_text as text
from . import play_draw as d

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
DIGIT_W, DIGIT_H = 18, 30

# Overview cells and dots, 4x4.  The dots keep the ordinary cell's pixels in
# their corners, so on the overview they read as round.
_CELL = np.array([[5, 5, 5, 3], [5, 6, 5, 3], [5, 5, 5, 3], [3, 3, 3, 2]])


def overview_cell():
    return np.vectorize(lambda v: ramp("stone", v))(_CELL).astype(np.uint8)


def shrine_cell():
    c = np.full((4, 4), ramp("ghost", 10), np.uint8)
    c[1:3, 1:3] = ramp("ghost", 15)
    c[3, :] = ramp("ghost", 7)
    c[:, 3] = ramp("ghost", 7)
    return c


def _dot(ring, core):
    c = overview_cell()
    c[0, 1:3] = ring
    c[3, 1:3] = ring
    c[1:3, 0] = ring
    c[1:3, 3] = ring
    c[1:3, 1:3] = core
    return c


def enemy_dot():
    return _dot(ramp("red", 9), ramp("red", 14))


def hero_dot():
    return _dot(ramp("lantern", 12), ramp("lantern", 15))


def _glyph_mask(ch, w, h, font="DejaVuSans-Bold.ttf"):
    """A bold glyph squeezed into w x h pixels (rendered large, then reduced)."""
    f = ImageFont.truetype(FONT_DIR + font, 200)
    img = Image.new("L", (300, 300), 0)
    ImageDraw.Draw(img).text((20, 0), ch, font=f, fill=255)
    box = img.getbbox()
    big = img.crop(box).resize((w, h), Image.LANCZOS)
    return np.array(big, float) / 255.0


def digit(n):
    """An 18x30 opaque plate with a bold lantern-gold numeral."""
    cv = np.full((DIGIT_H, DIGIT_W), ramp("night", 1), np.uint8)
    cv[0, :] = ramp("night", 3)
    cv[-1, :] = ramp("night", 0)
    cv[:, 0] = ramp("night", 4)
    cv[:, -1] = ramp("night", 4)
    cv[1, 1:-1] = ramp("night", 2)
    a = _glyph_mask(str(n), 12, 22)
    m = np.zeros((DIGIT_H, DIGIT_W), bool)
    aa = np.zeros((DIGIT_H, DIGIT_W))
    aa[4:26, 3:15] = a
    m = aa >= 0.42
    ring = d.grow(m) & ~m
    cv[ring] = ramp("lantern", 0)
    # Warm gradient: bright at the top like metal catching the light.
    yy = np.arange(DIGIT_H)[:, None] * np.ones((1, DIGIT_W))
    lv = 15.2 - (yy - 4) * 0.42
    cv[m] = d.to_index("lantern", lv, 0.7)[m]
    cv[m & ~d.grow(~m) & (aa < 0.7)] = ramp("lantern", 7)
    return cv


def _lantern_icon(cv):
    """The small hanging lantern at the caption's top left; its light is the hero dot."""
    cv[0:4, 3:7] = hero_dot()
    cv[4, 2:8] = ramp("stone", 4)
    cv[5, 3:7] = ramp("gold", 6)
    cv[6, 4:6] = ramp("gold", 4)
    # A faint glow below the lantern, on the dark results ground.
    cv[7, 4:6] = ramp("lantern", 5)


def caption(lines, w, h=30):
    """A keyed caption: one or two lines of pale capitals 12 px high with a dark rim.

    Two lines start right of the lantern; a single line sits below it.
    """
    cv = np.full((h, w), KEY, np.uint8)
    places = [(10, 2), (10, 16)] if len(lines) > 1 else [(3, 12)]
    m = np.zeros((h, w), bool)
    for line, (x, y) in zip(lines, places):
        glyphs = text.mask(line, text.SANS_CONDENSED, 16)
        gh, gw = glyphs.shape
        m[y:y + gh, x:x + gw] |= glyphs[:h - y, :w - x]
    cv[d.grow(m) & ~m] = ramp("night", 0)
    level = np.full((h, w), 15.0)
    for _, y in places:  # each line bright at its top, like the digits
        level[y:] = 15 - np.arange(h - y)[:, None] * 0.45
    cv[m] = d.to_index("bone", level, 0.5)[m]
    _lantern_icon(cv)
    return cv
