"""Silhouettes and props shared by the front-end pictures.

Everything here returns boolean masks (or stamps palette indices) so the
pictures can light and colour them as their scene needs.
"""
import numpy as np
from PIL import Image, ImageDraw

from .frontend_paint import polygon, rect
from .palette import BLACK, ramp


def castle(h, w, x, base, scale, seed):
    """A castle silhouette whose wall foot is at row base; returns (mask, windows).

    Towers with merlons or pointed roofs stand along a curtain wall; windows
    are small rectangles (x0, y0, x1, y1) to be lit by the caller.
    """
    rng = np.random.default_rng(seed)
    s = scale
    mask = np.zeros((h, w), dtype=bool)
    windows = []
    wall_top = base - int(60 * s)
    mask |= rect(h, w, (int(x - 120 * s), wall_top, int(x + 120 * s), base))
    for mx in range(int(x - 120 * s), int(x + 120 * s), max(4, int(10 * s))):
        mask |= rect(h, w, (mx, wall_top - int(6 * s), mx + max(2, int(5 * s)), wall_top))
    towers = ((-120, 26, 120, "roof"), (-62, 20, 96, "merlon"), (0, 34, 170, "roof"),
              (20, 14, 210, "roof"), (64, 22, 110, "merlon"), (120, 26, 130, "roof"))
    for dx, tw, th, kind in towers:
        cx = x + dx * s
        x0, x1 = int(cx - tw * s / 2), int(cx + tw * s / 2)
        top = base - int(th * s)
        mask |= rect(h, w, (x0, top, x1, base))
        if kind == "roof":
            mask |= polygon(h, w, [(x0 - 3 * s, top), (x1 + 3 * s, top), (cx, top - 42 * s)])
            mask |= rect(h, w, (int(cx), int(top - 54 * s), int(cx) + 1, int(top - 40 * s)))
        else:
            for mx in range(x0, x1, max(4, int(8 * s))):
                mask |= rect(h, w, (mx, top - int(7 * s), mx + max(2, int(4 * s)), top))
        for row in range(top + int(14 * s), base - int(20 * s), int(26 * s)):
            if rng.random() < 0.75:
                wx = int(cx - 2 * s + rng.integers(-3, 4) * s / 2)
                windows.append((wx, row, wx + max(2, int(4 * s)), row + max(3, int(8 * s))))
    return mask, windows


def light_windows(idx, windows, seed, bright=0.7):
    rng = np.random.default_rng(seed)
    for x0, y0, x1, y1 in windows:
        if rng.random() < bright:
            idx[y0:y1, x0:x1] = ramp("lantern", 12)
            idx[y0, x0:x1] = ramp("lantern", 15)
            idx[y1 - 1, x0:x1] = ramp("ember", 3)


def pine(h, w, x, base, height, width=None):
    width = width or height * 0.42
    pts = []
    tiers = 5
    for i in range(tiers + 1):
        t = i / tiers
        y = base - height + t * height * 0.92
        half = width / 2 * (0.18 + 0.82 * t)
        pts.append((x + half, y))
        pts.append((x + half * 0.55, y + height * 0.04))
    left = [(2 * x - px, py) for px, py in reversed(pts)]
    mask = polygon(h, w, [(x, base - height - 4)] + pts + left)
    mask |= rect(h, w, (int(x - 2), int(base - height * 0.1), int(x + 3), int(base)))
    return mask


def bare_tree(h, w, x, base, height, seed, lean=0.0):
    """A gnarled leafless tree drawn with recursive tapering branches."""
    rng = np.random.default_rng(seed)
    image = Image.new("1", (w, h), 0)
    draw = ImageDraw.Draw(image)

    def branch(x0, y0, angle, length, thick, depth):
        x1 = x0 + length * np.sin(angle)
        y1 = y0 - length * np.cos(angle)
        draw.line([(x0, y0), (x1, y1)], fill=1, width=max(1, int(thick)))
        if thick > 3:
            draw.ellipse([x1 - thick / 2, y1 - thick / 2, x1 + thick / 2, y1 + thick / 2], fill=1)
        if depth == 0 or length < 6:
            return
        for spread in (-1, 1):
            a = angle + spread * rng.uniform(0.3, 0.7) + rng.uniform(-0.15, 0.15)
            branch(x1, y1, a, length * rng.uniform(0.62, 0.8), thick * 0.66, depth - 1)
        if rng.random() < 0.4:
            branch(x1, y1, angle + rng.uniform(-0.2, 0.2), length * 0.6, thick * 0.6, depth - 1)

    branch(x, base, lean, height * 0.38, height * 0.09, 6)
    mask = np.array(image, dtype=bool)
    mask |= polygon(h, w, [(x - height * 0.09, base), (x + height * 0.09, base),
                           (x + height * 0.03, base - height * 0.15), (x - height * 0.03, base - height * 0.15)])
    return mask


def bough(h, w, points, thick):
    """A single tapering branch through the given points."""
    image = Image.new("1", (w, h), 0)
    draw = ImageDraw.Draw(image)
    for i in range(len(points) - 1):
        t = max(2, int(thick * (1 - i / len(points))))
        draw.line([points[i], points[i + 1]], fill=1, width=t)
        draw.ellipse([points[i + 1][0] - t / 2, points[i + 1][1] - t / 2,
                      points[i + 1][0] + t / 2, points[i + 1][1] + t / 2], fill=1)
    return np.array(image, dtype=bool)


def wanderer(h, w, x, base, height, facing=1):
    """A cloaked hero with a sword on the back; returns (mask, lantern hand)."""
    s = height / 40.0
    f = facing
    body = [(x - 7 * s * f, base), (x - 9 * s * f, base - 14 * s), (x - 6 * s * f, base - 26 * s),
            (x - 4 * s * f, base - 32 * s), (x + 3 * s * f, base - 33 * s), (x + 6 * s * f, base - 26 * s),
            (x + 8 * s * f, base - 12 * s), (x + 6 * s * f, base)]
    mask = polygon(h, w, body)
    mask |= polygon(h, w, [(x - 4 * s, base - 32 * s), (x + 4 * s, base - 32 * s), (x + 4 * s, base - 39 * s),
                           (x, base - 41 * s), (x - 4 * s, base - 39 * s)])
    # The blade's hilt over the shoulder and the arm reaching out with the lantern.
    mask |= polygon(h, w, [(x - 3 * s * f, base - 30 * s), (x - 12 * s * f, base - 46 * s),
                           (x - 10.5 * s * f, base - 47 * s), (x - 1.5 * s * f, base - 31 * s)])
    mask |= polygon(h, w, [(x + 4 * s * f, base - 27 * s), (x + 15 * s * f, base - 20 * s),
                           (x + 15 * s * f, base - 17.5 * s), (x + 4 * s * f, base - 22 * s)])
    hand = (x + 15 * s * f, base - 18 * s)
    return mask, hand


def lantern(idx, cx, top, size=1, chain=0):
    """Stamp a small iron lantern with a lit pane; (cx, top) is the ring."""
    iron = ramp("stone", 2)
    k = size
    if chain:
        for y in range(top - chain, top, 2):
            idx[y:y + 1, cx:cx + 1] = iron
    idx[top:top + 2 * k, cx - k:cx + k + 1] = iron
    cap = top + 2 * k
    for i in range(3 * k):
        half = 1 + i
        idx[cap + i, cx - half:cx + half + 1] = ramp("stone", 3 + (i == 0))
    body_top = cap + 3 * k
    body_h = 9 * k
    half = 3 * k + 1
    idx[body_top:body_top + body_h, cx - half:cx + half + 1] = iron
    glass = idx[body_top + k:body_top + body_h - k, cx - half + k:cx + half - k + 1]
    gh, gw = glass.shape
    for y in range(gh):
        for x in range(gw):
            d = abs(y - gh * 0.55) / gh + abs(x - gw / 2) / gw
            glass[y, x] = ramp("lantern", 15 - int(d * 12))
    idx[body_top:body_top + body_h, cx] = iron
    idx[body_top + body_h:body_top + body_h + 2 * k, cx - half - k:cx + half + k + 1] = ramp("stone", 4)
    return (cx, body_top + body_h // 2)


def sword(idx, x, y, length):
    """Stamp a plain longsword lying left to right, its pommel at (x, y)."""
    steel = [ramp("steel", v) for v in (15, 12, 8, 4)]
    grip = ramp("earth", 6)
    gold = [ramp("gold", v) for v in (15, 11, 6)]
    idx[y - 2:y + 3, x:x + 5] = gold[1]
    idx[y - 1:y + 2, x + 1:x + 4] = gold[0]
    idx[y - 1:y + 2, x + 5:x + 22] = grip
    idx[y, x + 6:x + 22:3] = ramp("earth", 10)
    idx[y - 9:y + 10, x + 22:x + 27] = gold[2]
    idx[y - 8:y + 9, x + 23:x + 26] = gold[1]
    idx[y - 8:y + 9, x + 23] = gold[0]
    blade_end = x + length
    idx[y - 3:y + 4, x + 27:blade_end - 8] = steel[3]
    idx[y - 2:y + 3, x + 27:blade_end - 8] = steel[2]
    idx[y - 2:y, x + 27:blade_end - 8] = steel[0]
    idx[y, x + 29:blade_end - 12] = steel[1]
    for i in range(8):
        half = max(0, 3 - (i * 3) // 8)
        idx[y - half:y + half + 1, blade_end - 8 + i] = steel[2 if half else 1]
        idx[y - half:y, blade_end - 8 + i] = steel[0]
    idx[y + 3, x + 27:blade_end - 8] = BLACK
