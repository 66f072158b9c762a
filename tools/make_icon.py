#!/usr/bin/python3
"""Draws the desktop icon: a lantern's glow in the dark with a blade across it.

Writes dist/icons/hicolor/<N>x<N>/apps/lantern-blade.png in the sizes desktops ask for,
and dist/icons/web/ the browser version's favicon and the icons its manifest names.
Drawn at four times the largest size and scaled down, so the edges are smooth; the same
bytes every run.
"""
from pathlib import Path

import numpy as np
from PIL import Image, ImageDraw

SIZE = 256
SCALE = 4
BIG = SIZE * SCALE
SIZES = (16, 24, 32, 48, 64, 128, 256)
ICONS = Path(__file__).resolve().parent.parent / "dist" / "icons" / "hicolor"
WEB_ICONS = {"favicon.png": 32, "icon-192.png": 192, "icon-512.png": 512}


def glow():
    """Warm light falling off from the lantern, over a night-blue tile."""
    y, x = np.mgrid[0:BIG, 0:BIG].astype(np.float32)
    cx, cy = BIG * 0.42, BIG * 0.58
    distance = np.hypot(x - cx, y - cy) / (BIG * 0.55)
    light = np.clip(1.0 - distance, 0.0, 1.0) ** 1.6
    night = np.array([14, 18, 40], np.float32)
    warm = np.array([255, 190, 90], np.float32)
    rgb = night + (warm - night) * light[..., None]
    return Image.fromarray(rgb.astype(np.uint8), "RGB").convert("RGBA")


def rounded_mask():
    mask = Image.new("L", (BIG, BIG), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, BIG - 1, BIG - 1), radius=BIG // 6, fill=255)
    return mask


def draw_lantern(draw):
    s = BIG / 256
    cx, top = 108 * s, 98 * s
    draw.arc((cx - 22 * s, top - 30 * s, cx + 22 * s, top + 14 * s), 180, 360,
             fill=(40, 30, 20), width=int(6 * s))
    draw.rectangle((cx - 30 * s, top, cx + 30 * s, top + 12 * s), fill=(60, 40, 25))
    draw.rounded_rectangle((cx - 24 * s, top + 12 * s, cx + 24 * s, top + 84 * s),
                           radius=int(10 * s), fill=(255, 236, 170), outline=(60, 40, 25),
                           width=int(6 * s))
    draw.ellipse((cx - 9 * s, top + 30 * s, cx + 9 * s, top + 66 * s), fill=(255, 150, 40))
    draw.rectangle((cx - 30 * s, top + 84 * s, cx + 30 * s, top + 96 * s), fill=(60, 40, 25))


def draw_blade(draw):
    s = BIG / 256
    # Point top right, hilt bottom left, laid across the lantern's light.
    blade = [(222 * s, 26 * s), (232 * s, 36 * s), (102 * s, 190 * s), (84 * s, 172 * s)]
    draw.polygon(blade, fill=(225, 232, 245), outline=(70, 80, 100))
    draw.line([(226 * s, 31 * s), (94 * s, 180 * s)], fill=(150, 160, 185), width=int(3 * s))
    draw.line([(70 * s, 160 * s), (114 * s, 204 * s)], fill=(170, 120, 40), width=int(12 * s))
    draw.line([(90 * s, 186 * s), (54 * s, 222 * s)], fill=(90, 50, 30), width=int(12 * s))
    draw.ellipse((42 * s, 214 * s, 60 * s, 232 * s), fill=(170, 120, 40))


def main():
    picture = glow()
    draw = ImageDraw.Draw(picture)
    draw_lantern(draw)
    draw_blade(draw)
    picture.putalpha(rounded_mask())
    for size in SIZES:
        out = ICONS / f"{size}x{size}" / "apps" / "lantern-blade.png"
        out.parent.mkdir(parents=True, exist_ok=True)
        picture.resize((size, size), Image.LANCZOS).save(out, optimize=True)
    web = ICONS.parent / "web"
    web.mkdir(exist_ok=True)
    for name, size in WEB_ICONS.items():
        picture.resize((size, size), Image.LANCZOS).save(web / name, optimize=True)


if __name__ == "__main__":
    main()
