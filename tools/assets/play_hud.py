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


def _text(text, w, h, size, x, y, font="DejaVuSans-Bold.ttf"):
    f = ImageFont.truetype(FONT_DIR + font, size)
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text((x, y), text, font=f, fill=255)
    return np.array(img, float) / 255.0


def text_width(text, size, font="DejaVuSans-Bold.ttf"):
    f = ImageFont.truetype(FONT_DIR + font, size)
    return f.getlength(text)


def _lantern_icon(cv):
    """The small hanging lantern at the caption's top left; its light is the hero dot."""
    cv[0:4, 3:7] = hero_dot()
    cv[4, 2:8] = ramp("stone", 4)
    cv[5, 3:7] = ramp("gold", 6)
    cv[6, 4:6] = ramp("gold", 4)
    # A faint glow below the lantern, on the dark results ground.
    cv[7, 4:6] = ramp("lantern", 5)


def caption(lines, w, h=30):
    """A keyed caption: one or two lines of pale gold capitals with a dark rim."""
    a = np.zeros((h, w))
    if len(lines) == 1:
        size = 13
        tw = text_width(lines[0], size, "DejaVuSansCondensed-Bold.ttf")
        a = _text(lines[0], w, h, size, max(10, w - tw - 1), 7, "DejaVuSansCondensed-Bold.ttf")
    else:
        for i, t in enumerate(lines):
            size = 11
            tw = text_width(t, size, "DejaVuSansCondensed-Bold.ttf")
            a = np.maximum(a, _text(t, w, h, size, 11, 1 + 14 * i, "DejaVuSansCondensed-Bold.ttf"))
    cv = np.full((h, w), KEY, np.uint8)
    m = a >= 0.45
    soft = (a >= 0.2) & ~m
    ring = d.grow(m) & ~m
    cv[ring] = ramp("night", 0)
    cv[soft] = ramp("gold", 5)
    yy = np.arange(h)[:, None] * np.ones((1, w))
    band = (yy % 14) if len(lines) > 1 else (yy - 6)
    lv = 15 - band * 0.45
    cv[m] = d.to_index("bone", lv, 0.5)[m]
    _lantern_icon(cv)
    return cv
