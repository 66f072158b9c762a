"""The 70 map tiles, 64x64 each, for the tile sheet.

Floors are flagstones whose joints run along the tile's top and left
edges, so any two floor tiles meet on a clean mortar line.  Walls and
obstacles (codes 20..60) are drawn tall and heavy so that what blocks
looks like it blocks; floor details and decor (0..19, 61..69) stay flat.
"""
import math

import numpy as np

from .palette import RAMPS, ramp
from . import play_draw as d

T = 64


def _lv(name, v):
    return v * (RAMPS[name][1] - 1) / 15.0


def P(cv, mask, name, lo, hi, soft=2.0, dith=0.6):
    d.paint(cv, mask, name, _lv(name, lo), _lv(name, hi), soft=soft, dith=dith)


def C(name, v):
    return ramp(name, round(_lv(name, v)))


def E(*b):
    return d.ellipse(T, T, b)


def R(*b):
    return d.rect(T, T, b)


def Q(*pts):
    return d.poly(T, T, pts)


def L(pts, w=1):
    return d.line(T, T, pts, w)


YY, XX = np.mgrid[0:T, 0:T]

# --- floors -------------------------------------------------------------------

# Each row of stones: (top, bottom, joints) with the tile edge always a joint.
LAYOUTS = [
    [(0, 22, [0, 26]), (22, 44, [0, 14, 44]), (44, 64, [0, 34])],
    [(0, 32, [0, 34]), (32, 64, [0, 18, 46])],
    [(0, 20, [0, 20, 44]), (20, 42, [0, 32]), (42, 64, [0, 12, 40])],
]


def floor(seed, wear=0.0, cracks=0, pebbles=0, moss=0.0, material="stone", base=6.0, warm=True):
    rng = np.random.default_rng(1000 + seed)
    layout = LAYOUTS[seed % len(LAYOUTS)]
    level = np.zeros((T, T))
    mortar = np.zeros((T, T), bool)
    tex = d.noise(T, T, seed * 7 + 1, 6.0)
    fine = d.noise(T, T, seed * 7 + 2, 2.0)
    for top, bot, joints in layout:
        edges = joints + [T]
        for a, b in zip(edges[:-1], edges[1:]):
            stone = np.zeros((T, T), bool)
            stone[top + 1:bot, a + 1:b] = True
            mortar[top:bot, a] = True
            mortar[top, a:b] = True
            sv = base + rng.uniform(-1.2, 1.2)
            lit = d.shade_field(stone, soft=1.6)
            level[stone] = (sv + (lit[stone] - 0.5) * (5.0 - 3.0 * wear)
                            + (tex[stone] - 0.5) * 2.2 + (fine[stone] - 0.5) * 1.4 * (1 - wear))
    level[mortar] = 1.5 + fine[mortar]
    cv = d.to_index(material, level * (RAMPS[material][1] - 1) / 15.0, 0.7)
    if material == "stone" and warm:
        tinted = np.zeros((T, T), bool)
        for top, bot, joints in layout:
            edges = joints + [T]
            for a, b in zip(edges[:-1], edges[1:]):
                if rng.random() < 0.18:
                    tinted[top + 1:bot, a + 1:b] = True
        cv[tinted] = d.to_index("earth", level * 0.62, 0.7)[tinted]
    cv[mortar] = d.to_index("stone", np.full((T, T), 1.2) + fine, 0.5)[mortar]
    for k in range(cracks):
        x, y = rng.uniform(8, 56, 2)
        pts = [(x, y)]
        ang = rng.uniform(0, 2 * math.pi)
        for _ in range(5):
            ang += rng.uniform(-0.8, 0.8)
            x, y = x + 5 * math.cos(ang), y + 5 * math.sin(ang)
            pts.append((x, y))
        cr = L(pts, 1)
        cv[cr] = C("stone", 1)
        cv[np.roll(cr, 1, 0) & ~cr & ~mortar] = C("stone", 10)
    for _ in range(pebbles):
        x, y = rng.integers(3, 60, 2)
        r = rng.integers(1, 3)
        peb = E(x - r, y - r, x + r + 1, y + r + 1)
        P(cv, peb, "stone", 4, 11, soft=0.8)
    if moss > 0:
        mn = d.noise(T, T, seed * 7 + 3, 10.0)
        patch = (mn * 0.7 + fine * 0.3) > (1 - moss)
        patch |= mortar & (mn > 0.75 - moss * 0.5)
        ml = 3 + mn * 6 + (fine - 0.5) * 3
        cv[patch] = d.to_index("moss", ml, 0.8)[patch]
    return cv


def plain():
    return floor(0)


def floors():
    return [
        floor(0),
        floor(1, wear=0.6),
        floor(2, cracks=3),
        floor(3, pebbles=9),
        floor(4, wear=0.4, cracks=1, pebbles=4),
        floor(5, material="earth", base=7.5, wear=0.3),
        floor(6, moss=0.25),
        floor(7, moss=0.45, wear=0.3),
        floor(8, moss=0.35, cracks=2),
        floor(9, moss=0.7, wear=0.5),
    ]


# --- floor details (10..19) --------------------------------------------------

def rug():
    cv = np.full((T, T), C("red", 5), np.uint8)
    n = d.noise(T, T, 41, 3.0)
    diamond = (np.abs(XX - 31.5) + np.abs(YY - 31.5)) < 22
    inner = (np.abs(XX - 31.5) + np.abs(YY - 31.5)) < 16
    cv[:] = d.to_index("red", 4 + n * 2, 0.7)
    cv[diamond] = d.to_index("gold", 6 + n * 2, 0.6)[diamond]
    cv[inner] = d.to_index("red", 7 + n * 2, 0.6)[inner]
    cv[(np.abs(XX - 31.5) + np.abs(YY - 31.5) < 5)] = C("gold", 12)
    ring = ((np.abs(XX - 31.5) + np.abs(YY - 31.5)).astype(int) % 6 == 0) & ~diamond
    cv[ring] = C("red", 3)
    return cv


def bones():
    cv = floor(10, wear=0.3)
    P(cv, E(22, 24, 38, 38), "bone", 6, 14, soft=2)
    d.fill(cv, E(25, 29, 29, 33), ramp("night", 0))
    d.fill(cv, E(31, 29, 35, 33), ramp("night", 0))
    cv[35, 28:33] = ramp("night", 1)
    for pts in (((8, 46), (24, 52)), ((40, 44), (56, 36)), ((12, 14), (18, 26)), ((42, 52), (52, 58))):
        b = L(pts, 2)
        knobs = E(pts[0][0] - 2, pts[0][1] - 2, pts[0][0] + 2, pts[0][1] + 2) | E(pts[1][0] - 2, pts[1][1] - 2, pts[1][0] + 2, pts[1][1] + 2)
        m = b | knobs
        cv[d.grow(m) & ~m] = C("stone", 1)
        P(cv, m, "bone", 7, 13, soft=1)
    return cv


def blood():
    cv = floor(11)
    n = d.noise(T, T, 12, 8.0)
    r = np.hypot(XX - 30, (YY - 33) * 1.2)
    m = r + (n - 0.5) * 22 < 18
    cv[m] = d.to_index("blood", 2 + n * 3, 0.8)[m]
    cv[m & (n > 0.7)] = C("blood", 15)
    for x, y in ((50, 14), (10, 50), (54, 48), (8, 12)):
        cv[y:y + 2, x:x + 2] = C("blood", 8)
    return cv


def grate():
    cv = floor(12)
    frame = R(12, 12, 52, 52)
    P(cv, frame, "steel", 2, 7, soft=1)
    d.fill(cv, R(15, 15, 49, 49), ramp("night", 0))
    for x in range(17, 49, 5):
        P(cv, R(x, 15, x + 2, 49), "steel", 3, 9, soft=0.8)
    for y in (24, 39):
        P(cv, R(15, y, 49, y + 2), "steel", 3, 9, soft=0.8)
    for x, y in ((13, 13), (49, 13), (13, 49), (49, 49)):
        cv[y, x] = C("steel", 13)
    return cv


def rubble():
    cv = floor(13, cracks=1)
    rng = np.random.default_rng(14)
    for _ in range(16):
        x, y = rng.integers(6, 58, 2)
        w, h = rng.integers(3, 8, 2)
        m = Q((x, y - h // 2), (x + w // 2, y - 1), (x + w // 3, y + h // 2), (x - w // 2, y + h // 3))
        cv[d.grow(m) & ~m & (YY > y)] = C("stone", 1)
        P(cv, m, "stone", 4, 12, soft=1)
    return cv


def candles():
    cv = floor(14, wear=0.3)
    for x, y, h in ((20, 30, 10), (32, 22, 14), (42, 34, 8), (28, 44, 6), (44, 48, 11)):
        d.fill(cv, E(x - 4, y + h - 2, x + 5, y + h + 3), C("bone", 9))
        body = R(x - 2, y, x + 3, y + h)
        P(cv, body, "bone", 8, 14, soft=1)
        cv[y - 1, x] = ramp("night", 0)
        d.fill(cv, E(x - 1, y - 6, x + 2, y), C("lantern", 13))
        cv[y - 4:y - 1, x] = C("lantern", 15)
    return cv


def cracked_slab():
    cv = floor(15, base=8.0)
    slab = R(6, 6, 58, 58)
    P(cv, slab, "stone", 5, 11, soft=2)
    cv[d.border(slab)] = C("stone", 3)
    for pts in (((8, 20), (22, 26), (30, 40), (28, 56)), ((30, 40), (44, 36), (56, 44)), ((22, 26), (26, 8))):
        cr = L(pts, 1)
        cv[cr] = C("stone", 1)
        cv[np.roll(cr, 1, 1) & ~cr] = C("stone", 12)
    return cv


def puddle():
    cv = floor(16)
    n = d.noise(T, T, 17, 9.0)
    r = np.hypot(XX - 32, (YY - 32) * 1.3) + (n - 0.5) * 16
    m = r < 20
    cv[m] = d.to_index("blue", 5 + (1 - r / 20) * 3 + n * 2, 0.7)[m]
    cv[d.border(m)] = C("blue", 8)
    cv[m & (np.abs(YY - 26) < 1) & (np.abs(XX - 28) < 6)] = C("blue", 14)
    cv[m & (np.abs(YY - 30) < 1) & (np.abs(XX - 36) < 3)] = C("blue", 12)
    return cv


def rune_circle(glow=False):
    cv = floor(17, wear=0.5)
    r = np.hypot(XX - 31.5, YY - 31.5)
    name = "ghost" if glow else "purple"
    hi = 15 if glow else 9
    ring = (np.abs(r - 25) < 1.2) | (np.abs(r - 19) < 0.8)
    cv[ring] = C(name, hi)
    ang = np.arctan2(YY - 31.5, XX - 31.5)
    for k in range(5):
        a0 = k * 2 * math.pi / 5 - math.pi / 2
        a1 = a0 + 4 * math.pi / 5
        p0 = (31.5 + 19 * math.cos(a0), 31.5 + 19 * math.sin(a0))
        p1 = (31.5 + 19 * math.cos(a1), 31.5 + 19 * math.sin(a1))
        cv[L([p0, p1], 1)] = C(name, hi - 3)
    ticks = (r > 20) & (r < 24) & ((np.degrees(ang) % 30) < 6)
    cv[ticks] = C(name, hi - 2)
    return cv


def doorway_sill():
    cv = floor(18)
    sill = R(0, 22, T, 42)
    P(cv, sill, "earth", 4, 10, soft=2)
    for x in range(0, T, 16):
        cv[22:42, x] = C("earth", 2)
    cv[22, :] = C("earth", 12)
    cv[41, :] = C("earth", 1)
    for x in (8, 24, 40, 56):
        cv[31:33, x - 1:x + 1] = C("steel", 10)
    return cv


def details():
    return [rug(), bones(), blood(), grate(), rubble(), candles(), cracked_slab(), puddle(),
            rune_circle(), doorway_sill()]


# --- walls (20..39) ----------------------------------------------------------

def _glow(cv, cx, cy, radius, gain):
    """Warm firelight on grey stone: brighter and more golden toward the flame."""
    r = np.hypot(XX - cx, YY - cy)
    t = np.clip(1 - r / radius, 0, 1)
    grey = (cv >= ramp("stone", 0)) & (cv <= ramp("stone", 15))
    lit = grey & (t * 1.6 > d.dither(T, T) + 0.5)
    lv = (cv.astype(int) - ramp("stone", 0)) + np.rint(t * gain).astype(int)
    cv[lit] = (ramp("earth", 0) + np.clip(lv, 0, 15))[lit]


def wall_top(seed=0, rim_bottom=False):
    """The top of a wall mass seen from above: dark, rough-hewn blocks in deep
    shadow, clearly unlike the lit floor."""
    rng = np.random.default_rng(200 + seed)
    n = d.noise(T, T, 200 + seed, 3.0)
    level = np.full((T, T), 0.6)
    for row, top in enumerate(range(0, T, 16)):
        off = (row % 2) * 10
        for a in range(-20 + off, T, 20):
            w = 20 - int(rng.integers(0, 3))
            stone = R(a + 1, top + 1, a + w, top + 15)
            lit = d.shade_field(stone, soft=1.5)
            level[stone] = 3.0 + rng.uniform(-0.6, 0.6) + (lit[stone] - 0.5) * 3.5 + (n[stone] - 0.5) * 1.5
    cv = d.to_index("night", level * 11 / 15.0, 0.6)
    lit_edge = (level > 4.2)
    cv[lit_edge] = d.to_index("stone", level, 0.5)[lit_edge]
    if rim_bottom:
        cv[54:58, :] = C("stone", 11)
        cv[58:64, :] = C("stone", 3)
    return cv


def wall_face(seed=0, torch=False, crack=False, moss=False, banner=False, end=None, door=False):
    """The south face of a wall: brick courses under a lit capstone edge."""
    rng = np.random.default_rng(300 + seed)
    n = d.noise(T, T, 300 + seed, 4.0)
    level = np.full((T, T), 2.0)
    for row, top in enumerate(range(10, T, 9)):
        off = 8 if row % 2 else 0
        for a in range(-16 + off, T, 16):
            brick = R(a + 1, top + 1, a + 16, top + 9)
            sv = 7.2 + rng.uniform(-1.2, 1.0) - row * 0.35
            lit = d.shade_field(brick, soft=1.2)
            level[brick] = sv + (lit[brick] - 0.5) * 4 + (n[brick] - 0.5) * 2
    # Capstone edge catching the light, then its shadow.
    level[0:7, :] = 11 + (n[0:7, :] - 0.5) * 2
    level[0, :] = 13
    level[7:10, :] = 2.5
    level[6, :] = 8
    cv = d.to_index("stone", level, 0.6)
    cv[62:64, :] = ramp("night", 0)
    if end == "left":
        pil = R(0, 0, 12, T)
        P(cv, pil, "stone", 4, 12, soft=2)
        cv[:, 12] = ramp("night", 0)
    elif end == "right":
        pil = R(52, 0, T, T)
        P(cv, pil, "stone", 4, 12, soft=2)
        cv[:, 51] = ramp("night", 0)
    if crack:
        for pts in (((40, 10), (36, 24), (42, 34), (38, 50), (44, 62)), ((36, 24), (26, 30))):
            cr = L(pts, 1)
            cv[cr] = ramp("night", 0)
            cv[np.roll(cr, 1, 1) & ~cr] = C("stone", 11)
    if moss:
        mn = d.noise(T, T, 310 + seed, 8.0)
        fade = np.clip((YY - 10) / 54.0, 0, 1)
        patch = (mn * 0.6 + fade * 0.6 + n * 0.2) > 0.75
        cv[patch & (YY > 8)] = d.to_index("moss", 3 + mn * 7, 0.8)[patch & (YY > 8)]
        for x in (6, 19, 33, 51):
            L_ = L([(x, 8), (x + 1, 20 + x % 7)], 1)
            cv[L_] = C("moss", 8)
    if banner:
        b = Q((18, 8), (46, 8), (46, 50), (32, 58), (18, 50))
        cv[d.grow(b) & ~b] = ramp("night", 0)
        P(cv, b, "red", 3, 9, soft=2)
        d.fill(cv, R(16, 7, 48, 10), C("gold", 8))
        emblem = Q((32, 20), (39, 30), (32, 42), (25, 30))
        P(cv, emblem, "gold", 6, 14, soft=1)
        d.fill(cv, E(30, 27, 35, 33), C("lantern", 15))
    if torch:
        _glow(cv, 32, 26, 26, 4.5)
        d.fill(cv, R(29, 34, 35, 44), C("steel", 4))
        d.fill(cv, R(27, 32, 37, 35), C("steel", 8))
        d.fill(cv, R(30, 26, 34, 33), C("earth", 5))
        flame = Q((32, 12), (37, 24), (35, 28), (29, 28), (27, 24))
        P(cv, flame, "ember", 6, 15, soft=1.5)
        d.fill(cv, E(30, 19, 35, 28), C("lantern", 15))
    if door:
        dr = R(12, 14, 52, T)
        cv[d.grow(dr) & ~dr] = ramp("night", 0)
        P(cv, dr, "earth", 2, 8, soft=2)
        for x in range(12, 52, 8):
            cv[14:T, x] = C("earth", 1)
        for y in (24, 50):
            d.fill(cv, R(12, y, 52, y + 3), C("steel", 6))
        d.fill(cv, E(40, 36, 45, 41), C("steel", 12))
        d.fill(cv, R(30, 12, 34, 16), C("steel", 9))
    return cv


def rock(seed, hint="stone", extra=None):
    """A mass of dark cave rock: lumpy boulders packed together."""
    rng = np.random.default_rng(500 + seed)
    ground = d.noise(T, T, 510 + seed, 3.0)
    cv = d.to_index(hint, 1 + ground * 2 * (RAMPS[hint][1] - 1) / 15.0, 0.8)
    lumps = []
    for _ in range(16):
        x, y = rng.uniform(-6, 70, 2)
        r = rng.uniform(9, 18)
        lumps.append((y, x, r))
    lumps.sort()
    for y, x, r in lumps:
        m = E(x - r, y - r * 0.85, x + r, y + r * 0.85)
        cv[d.grow(m) & ~m] = ramp("night", 0)
        P(cv, m, hint, 2, 9, soft=3)
    tex = d.noise(T, T, 520 + seed, 2.0)
    first, count = RAMPS[hint][0], RAMPS[hint][1]
    speck = (tex > 0.85) & (cv >= first) & (cv < first + count - 1)
    cv[speck] += 1
    if extra:
        extra(cv, rng)
    return cv


def _ore(cv, rng):
    for _ in range(7):
        x, y = rng.integers(6, 58, 2)
        cv[y:y + 2, x:x + 2] = C("gold", 14)
        cv[y + 2, x + 1] = C("gold", 8)


def _crystal(cv, rng):
    for x, y, h in ((22, 36, 18), (33, 40, 24), (44, 38, 14)):
        m = Q((x, y - h), (x + 4, y - h + 5), (x + 4, y), (x - 4, y), (x - 4, y - h + 5))
        cv[d.grow(m) & ~m] = ramp("night", 0)
        P(cv, m, "blue", 6, 15, soft=1)
        cv[y - h + 3:y - 2, x - 1] = C("ghost", 15)


def _roots(cv, rng):
    for x0 in (10, 26, 44, 56):
        pts = [(x0, 0)]
        x = x0
        for y in range(8, 64, 8):
            x += rng.integers(-4, 5)
            pts.append((x, y))
        cv[L(pts, 3)] = C("earth", 3)
        cv[L(pts, 1)] = C("earth", 7)


def _skull(cv, rng):
    m = E(24, 24, 40, 38)
    cv[d.grow(m) & ~m] = ramp("night", 0)
    P(cv, m, "bone", 5, 13, soft=2)
    d.fill(cv, E(27, 29, 31, 33), ramp("night", 0))
    d.fill(cv, E(33, 29, 37, 33), ramp("night", 0))
    cv[35, 29:35] = ramp("night", 0)


def _masonry(cv, rng):
    for _ in range(6):
        x, y = rng.integers(4, 46, 2)
        m = R(x, y, x + 16, y + 9)
        cv[d.grow(m) & ~m] = ramp("night", 0)
        P(cv, m, "stone", 5, 11, soft=1.5)


def _stalagmites(cv, rng):
    for x, y, h in ((16, 56, 34), (34, 60, 44), (50, 52, 28), (26, 36, 18)):
        m = Q((x, y - h), (x + 7, y), (x - 7, y))
        cv[d.grow(m) & ~m] = ramp("night", 0)
        P(cv, m, "stone", 3, 12, soft=1.5)


def walls():
    out = [
        wall_top(0),
        wall_face(0),
        wall_face(1, torch=True),
        wall_face(2, crack=True),
        wall_face(3, moss=True),
        wall_face(4, banner=True),
        wall_face(5, end="left"),
        wall_face(6, end="right"),
        wall_top(1, rim_bottom=True),
        wall_face(7, door=True),
    ]
    out += [
        rock(0), rock(1, "earth"), rock(2, extra=_masonry), rock(3, "moss"), rock(4, extra=_ore),
        rock(5, extra=_crystal), rock(6, "earth", extra=_roots), rock(7, extra=_stalagmites),
        rock(8, "earth", extra=_skull), rock(9, "purple"),
    ]
    return out


# --- obstacles (40..60) ------------------------------------------------------

def _on_floor(seed):
    return floor(20 + seed % 3)


def _shadow(cv, box):
    m = E(*box)
    cv[m] = np.minimum(cv[m], ramp("stone", 2))


def _ol(cv, m):
    cv[d.grow(m) & ~m] = ramp("night", 0)


def pillar(broken=False):
    cv = _on_floor(0)
    _shadow(cv, (10, 44, 58, 62))
    base = R(14, 48, 50, 58)
    shaft = R(19, 6 if not broken else 26, 45, 50)
    _ol(cv, base | shaft)
    P(cv, base, "stone", 4, 11, soft=2)
    cyl = 1 - np.abs(XX - 30) / 16.0
    lv = 4 + cyl * 7 - (XX > 36) * 2
    cv[shaft] = d.to_index("stone", lv, 0.6)[shaft]
    for x in (23, 28, 34, 40):
        cv[shaft & (XX == x)] = C("stone", 3)
    if broken:
        top = Q((19, 26), (26, 21), (31, 27), (38, 20), (45, 25), (45, 30), (19, 30))
        _ol(cv, top)
        P(cv, top, "stone", 7, 13, soft=1.5)
        for x, y in ((8, 20), (52, 30), (12, 40)):
            m = E(x, y, x + 7, y + 5)
            _ol(cv, m)
            P(cv, m, "stone", 4, 11, soft=1)
    else:
        cap = R(14, 2, 50, 12)
        _ol(cv, cap)
        P(cv, cap, "stone", 6, 13, soft=2)
    return cv


def crate(x0=8, y0=10, w=48, h=48, cv=None):
    cv = _on_floor(1) if cv is None else cv
    _shadow(cv, (x0 - 2, y0 + h - 8, x0 + w + 4, y0 + h + 6))
    box = R(x0, y0, x0 + w, y0 + h)
    _ol(cv, box)
    top = R(x0, y0, x0 + w, y0 + h // 3)
    front = box & ~top
    n = d.noise(T, T, 42 + x0, 3.0)
    cv[top] = d.to_index("earth", 10 + n * 2 - (YY - y0) * 0.05, 0.6)[top]
    cv[front] = d.to_index("earth", 6 + n * 2, 0.6)[front]
    for y in range(y0 + h // 3 + 4, y0 + h, 6):
        cv[front & (YY == y)] = C("earth", 3)
    cv[d.border(front)] = C("earth", 3)
    cv[top & (YY == y0 + h // 3 - 1)] = C("earth", 13)
    cv[d.border(box) & (YY < y0 + h // 3)] = C("earth", 4)
    brace = L([(x0 + 2, y0 + h // 3 + 2), (x0 + w - 3, y0 + h - 3)], 3) & front
    cv[brace] = C("earth", 9)
    for x, y in ((x0 + 2, y0 + h // 3 + 2), (x0 + w - 4, y0 + h // 3 + 2), (x0 + 2, y0 + h - 4), (x0 + w - 4, y0 + h - 4)):
        cv[y:y + 2, x:x + 2] = C("steel", 10)
    return cv


def crates():
    cv = crate(2, 28, 32, 32)
    crate(30, 4, 32, 32, cv)
    crate(28, 32, 30, 28, cv)
    return cv


def barrel(cx=32, top=8, w=36, h=50, cv=None):
    cv = _on_floor(2) if cv is None else cv
    _shadow(cv, (cx - w // 2 - 2, top + h - 10, cx + w // 2 + 6, top + h + 4))
    body = E(cx - w // 2, top + 4, cx + w // 2, top + h) | R(cx - w // 2 + 2, top + 8, cx + w // 2 - 2, top + h - 6)
    _ol(cv, body)
    cyl = 1 - np.abs(XX - cx + 4) / (w / 2)
    cv[body] = d.to_index("earth", 3 + cyl * 8, 0.6)[body]
    for y in range(top + 10, top + h - 4, 4):
        cv[body & (YY == y) & (XX % 2 == 0)] = C("earth", 3)
    for y in (top + 14, top + h - 12):
        hoop = body & (YY >= y) & (YY < y + 3)
        cv[hoop] = d.to_index("steel", 3 + cyl * 8, 0.5)[hoop]
    lid = E(cx - w // 2 + 2, top, cx + w // 2 - 2, top + 14)
    _ol(cv, lid)
    P(cv, lid, "earth", 6, 12, soft=2)
    cv[d.border(lid)] = C("earth", 4)
    return cv


def barrels():
    cv = barrel(20, 16, 28, 40)
    barrel(44, 4, 28, 40, cv)
    return cv


def statue(kind):
    cv = _on_floor(0)
    _shadow(cv, (8, 46, 58, 62))
    plinth = R(10, 44, 54, 60)
    _ol(cv, plinth)
    P(cv, plinth, "stone", 4, 10, soft=2)
    cv[44, 10:54] = C("stone", 12)
    if kind == "knight":
        fig = (E(24, 2, 40, 18) | Q((20, 18), (44, 18), (46, 44), (18, 44)) | R(14, 18, 22, 40)
               | R(42, 18, 50, 40))
        sword = R(30, 16, 34, 46)
        _ol(cv, fig | sword)
        P(cv, fig, "stone", 5, 14, soft=3)
        P(cv, sword, "steel", 5, 12, soft=1)
        cv[22, 26:38] = C("steel", 11)
        cv[9, 27:37] = ramp("night", 0)
    else:
        fig = (E(18, 14, 46, 44) | E(23, 4, 41, 22) | Q((18, 20), (4, 6), (10, 30)) | Q((46, 20), (60, 6), (54, 30)))
        _ol(cv, fig)
        P(cv, fig, "stone", 3, 12, soft=3)
        cv[4:8, 24] = C("stone", 13)
        cv[4:8, 39] = C("stone", 13)
        cv[12, 27:29] = C("red", 13)
        cv[12, 35:37] = C("red", 13)
        cv[17, 28:36] = ramp("night", 0)
    return cv


def brazier():
    cv = _on_floor(1)
    _glow(cv, 32, 28, 34, 4.0)
    _shadow(cv, (14, 48, 54, 62))
    legs = L([(20, 58), (26, 38)], 3) | L([(44, 58), (38, 38)], 3) | L([(32, 60), (32, 38)], 3)
    bowl = E(12, 24, 52, 46) & (YY > 30)
    _ol(cv, legs | bowl)
    P(cv, legs, "steel", 2, 7, soft=1)
    P(cv, bowl, "steel", 3, 10, soft=2)
    coals = E(14, 26, 50, 36)
    cv[coals] = d.to_index("ember", 3 + d.noise(T, T, 77, 2.0) * 8, 0.8)[coals]
    flame = Q((32, 2), (42, 18), (44, 30), (20, 30), (22, 18))
    P(cv, flame, "ember", 5, 15, soft=2)
    inner = Q((32, 12), (37, 22), (38, 30), (26, 30), (27, 22))
    P(cv, inner, "lantern", 12, 15, soft=1.5)
    return cv


def bookshelf():
    cv = _on_floor(2)
    case = R(4, 4, 60, 60)
    _ol(cv, case)
    P(cv, case, "earth", 2, 6, soft=2)
    cv[4:8, 4:60] = C("earth", 9)
    rng = np.random.default_rng(49)
    books = ["red", "blue", "moss", "purple", "earth", "gold"]
    for y0 in (10, 27, 44):
        x = 8
        while x < 56:
            bw = int(rng.integers(3, 6))
            bh = int(rng.integers(10, 15))
            col = books[int(rng.integers(0, len(books)))]
            b = R(x, y0 + 15 - bh, min(56, x + bw), y0 + 15)
            P(cv, b, col, 3, 10, soft=1)
            cv[y0 + 15 - bh + 3, x:min(56, x + bw)] = C("gold", 10)
            x += bw + 1
        cv[y0 + 15:y0 + 17, 6:58] = C("earth", 10)
    return cv


def chest():
    cv = _on_floor(0)
    _shadow(cv, (6, 46, 60, 62))
    body = R(8, 28, 56, 56)
    lid = E(8, 10, 56, 40) & (YY < 30)
    _ol(cv, body | lid)
    P(cv, body, "earth", 3, 9, soft=2)
    P(cv, lid, "earth", 5, 12, soft=2)
    for x in (14, 48):
        band = R(x, 12, x + 4, 56) & (body | lid)
        cv[band] = d.to_index("gold", 6 + (1 - YY / 64.0) * 6, 0.5)[band]
    cv[28:30, 8:56] = C("gold", 8)
    lock = R(28, 27, 36, 37)
    _ol(cv, lock)
    P(cv, lock, "gold", 7, 15, soft=1)
    cv[32, 31:33] = ramp("night", 0)
    return cv


def well():
    cv = _on_floor(1)
    _shadow(cv, (2, 30, 64, 64))
    ring = E(4, 8, 60, 60)
    hole = E(14, 16, 50, 48)
    _ol(cv, ring)
    ang = np.degrees(np.arctan2(YY - 34, XX - 32)) % 360
    bricks = (np.floor(ang / 24) % 2) == 0
    lv = np.where(bricks, 8.0, 6.5) + (d.noise(T, T, 51, 3.0) - 0.5) * 3
    lv -= (YY > 34) * 1.5
    cv[ring] = d.to_index("stone", lv, 0.5)[ring]
    cv[ring & ((ang % 24) < 1.5)] = C("stone", 3)
    cv[hole] = ramp("night", 0)
    water = E(20, 30, 44, 46)
    cv[water] = d.to_index("blue", 2 + d.noise(T, T, 52, 4.0) * 2, 0.7)[water]
    cv[38, 26:32] = C("blue", 9)
    beam = R(2, 4, 62, 8)
    _ol(cv, beam)
    P(cv, beam, "earth", 4, 10, soft=1)
    cv[8:26, 31:33] = C("earth", 9)
    P(cv, R(28, 24, 36, 32), "earth", 3, 8, soft=1)
    return cv


def pit():
    cv = _on_floor(2)
    n = d.noise(T, T, 61, 7.0)
    r = np.hypot(XX - 32, (YY - 32) * 1.1) + (n - 0.5) * 10
    m = r < 27
    lip = m & (r > 23)
    cv[m] = ramp("night", 0)
    cv[lip] = d.to_index("earth", 2 + n * 3, 0.7)[lip]
    wall = m & ~lip & (r > 16) & (YY < 34)
    cv[wall] = d.to_index("stone", 1 + (r - 16) / 8, 0.8)[wall]
    cv[d.grow(m) & ~m] = C("stone", 10)
    return cv


def table():
    cv = _on_floor(0)
    _shadow(cv, (4, 40, 62, 62))
    legs = R(8, 36, 13, 58) | R(51, 36, 56, 58)
    top = R(4, 14, 60, 38)
    _ol(cv, legs | top)
    P(cv, legs, "earth", 2, 6, soft=1)
    n = d.noise(T, T, 53, 3.0)
    cv[top] = d.to_index("earth", 8 + n * 3, 0.6)[top]
    for y in (20, 26, 32):
        cv[top & (YY == y)] = C("earth", 5)
    cv[36:38, 4:60] = C("earth", 3)
    d.fill(cv, E(14, 20, 26, 28), C("steel", 9))
    d.fill(cv, E(16, 21, 24, 26), C("red", 6))
    P(cv, R(40, 14, 44, 24), "bone", 9, 14, soft=1)
    d.fill(cv, E(40, 8, 44, 14), C("lantern", 14))
    P(cv, E(28, 22, 36, 30), "gold", 6, 14, soft=1)
    return cv


def tombstone():
    cv = _on_floor(1)
    _shadow(cv, (8, 44, 60, 62))
    mound = E(10, 40, 54, 60)
    P(cv, mound, "earth", 2, 6, soft=2)
    stone = R(16, 14, 48, 54) | E(16, 2, 48, 30)
    _ol(cv, stone)
    P(cv, stone, "stone", 4, 12, soft=3)
    cross = R(30, 14, 34, 34) | R(24, 20, 40, 24)
    cv[cross] = C("stone", 3)
    for x in range(20, 44, 4):
        cv[40, x:x + 2] = C("stone", 3)
        cv[44, x + 1:x + 3] = C("stone", 3)
    mm = d.noise(T, T, 54, 5.0) > 0.7
    cv[stone & mm & (YY > 36)] = C("moss", 7)
    return cv


def weapon_rack():
    cv = _on_floor(2)
    _shadow(cv, (4, 46, 62, 62))
    frame = R(6, 12, 10, 58) | R(54, 12, 58, 58) | R(6, 14, 58, 18) | R(6, 46, 58, 50)
    _ol(cv, frame)
    P(cv, frame, "earth", 3, 9, soft=1)
    for x, kind in ((16, "sword"), (25, "spear"), (34, "sword"), (43, "axe"), (50, "spear")):
        if kind == "spear":
            s = R(x, 4, x + 2, 54)
            P(cv, s, "earth", 5, 10, soft=0.7)
            head = Q((x + 1, 0), (x + 4, 6), (x - 2, 6))
            P(cv, head, "steel", 6, 15, soft=0.7)
        elif kind == "sword":
            b = R(x, 6, x + 3, 44)
            P(cv, b, "steel", 6, 15, soft=0.7)
            cv[44:46, x - 2:x + 5] = C("gold", 10)
            cv[46:52, x + 1] = C("earth", 6)
        else:
            s = R(x, 8, x + 2, 54)
            P(cv, s, "earth", 5, 10, soft=0.7)
            head = E(x - 5, 8, x + 4, 20)
            P(cv, head, "steel", 5, 14, soft=1)
    return cv


def iron_fence():
    cv = _on_floor(0)
    for y, h in ((20, 3), (44, 3)):
        rail = R(0, y, T, y + h)
        P(cv, rail, "steel", 2, 8, soft=0.8)
    for x in range(3, T, 8):
        bar = R(x, 8, x + 3, 58)
        cv[d.grow(bar) & ~bar & (YY > 8)] = ramp("night", 0)
        P(cv, bar, "steel", 2, 9, soft=0.8)
        tip = Q((x + 1.5, 1), (x + 5, 9), (x - 2, 9))
        _ol(cv, tip)
        P(cv, tip, "steel", 4, 12, soft=0.8)
    cv[58:62, :] = np.minimum(cv[58:62, :], ramp("stone", 2))
    return cv


def altar():
    cv = _on_floor(1)
    _shadow(cv, (2, 46, 62, 62))
    base = R(6, 28, 58, 58)
    top = R(2, 18, 62, 30)
    _ol(cv, base | top)
    P(cv, base, "stone", 3, 9, soft=2)
    P(cv, top, "stone", 6, 13, soft=2)
    cloth = R(18, 18, 46, 50)
    P(cv, cloth, "purple", 3, 9, soft=1.5)
    cv[46:50, 18:46] = C("gold", 9)
    chal = E(27, 8, 37, 18) | R(31, 16, 33, 24) | R(28, 23, 36, 25)
    _ol(cv, chal)
    P(cv, chal, "gold", 6, 15, soft=1)
    cv[10:12, 29:35] = C("blood", 12)
    for x in (8, 54):
        P(cv, R(x, 8, x + 3, 18), "bone", 9, 14, soft=0.7)
        d.fill(cv, E(x, 3, x + 3, 8), C("lantern", 15))
    return cv


def cauldron():
    cv = _on_floor(2)
    glow = np.hypot(XX - 32, YY - 52)
    warm = glow < 14
    cv[warm] = d.to_index("ember", 6 - glow / 3, 0.6)[warm]
    _shadow(cv, (6, 44, 58, 60))
    pot = E(8, 14, 56, 56)
    _ol(cv, pot)
    P(cv, pot, "steel", 1, 7, soft=3)
    rim = E(8, 12, 56, 30)
    _ol(cv, rim)
    P(cv, rim, "steel", 4, 10, soft=1)
    brew = E(12, 15, 52, 28)
    n = d.noise(T, T, 58, 4.0)
    cv[brew] = d.to_index("slime", 6 + n * 7, 0.8)[brew]
    for x, y in ((22, 18), (36, 22), (42, 17)):
        d.fill(cv, E(x, y, x + 4, y + 4), C("slime", 15))
    return cv


def sarcophagus():
    cv = _on_floor(0)
    _shadow(cv, (12, 50, 60, 64))
    box = R(12, 2, 52, 60)
    _ol(cv, box)
    P(cv, box, "stone", 3, 8, soft=2)
    lid = Q((16, 6), (48, 6), (46, 56), (18, 56))
    P(cv, lid, "stone", 6, 13, soft=3)
    head = E(24, 8, 40, 22)
    P(cv, head, "gold", 5, 13, soft=2)
    cv[14, 28:30] = ramp("night", 0)
    cv[14, 34:36] = ramp("night", 0)
    arms = L([(22, 30), (32, 38), (42, 30)], 2)
    cv[arms] = C("stone", 4)
    cv[40:52, 31:33] = C("stone", 4)
    return cv


def anvil():
    cv = _on_floor(1)
    _shadow(cv, (8, 44, 60, 62))
    stump = R(18, 34, 46, 58) | E(18, 52, 46, 62)
    _ol(cv, stump)
    P(cv, stump, "earth", 3, 8, soft=2)
    body = Q((4, 14), (50, 14), (60, 20), (50, 24), (40, 24), (38, 34), (24, 34), (22, 24), (12, 24))
    _ol(cv, body)
    P(cv, body, "steel", 2, 9, soft=2)
    cv[14:16, 6:50] = C("steel", 13)
    hammer = L([(30, 10), (48, 4)], 2)
    cv[hammer] = C("earth", 8)
    P(cv, R(26, 6, 33, 14), "steel", 4, 12, soft=1)
    return cv


def obstacles():
    return [pillar(), pillar(broken=True), crate(), crates(), barrel(), barrels(), statue("knight"),
            statue("gargoyle"), brazier(), bookshelf(), chest(), well(), pit(), table(), tombstone(),
            weapon_rack(), iron_fence(), altar(), cauldron(), sarcophagus(), anvil()]


# --- floor decor (61..69) ----------------------------------------------------

def stairs():
    cv = floor(30)
    for i, y in enumerate(range(4, 60, 8)):
        step = R(6 + i * 2, y, 58 - i * 2, y + 8)
        lv = 10 - i * 1.4
        cv[step] = d.to_index("stone", np.full((T, T), lv) + d.noise(T, T, 62, 3.0), 0.6)[step]
        cv[step & (YY == y)] = C("stone", min(15, lv + 3))
        cv[step & (YY == y + 7)] = C("stone", max(0, lv - 5))
    hole = R(18, 52, 46, 60)
    cv[hole] = ramp("night", 0)
    return cv


def glow_runes():
    return rune_circle(glow=True)


def planks():
    cv = np.zeros((T, T), np.uint8)
    n = d.noise(T, T, 63, 3.0)
    grain = np.sin(YY * 1.7 + n * 6) * 0.8
    for i, x in enumerate(range(0, T, 16)):
        pl = R(x + 1, 0, x + 16, T)
        lv = 7 + (i % 2) - np.abs(XX - x - 8) / 10 + grain
        cv[pl] = d.to_index("earth", lv, 0.5)[pl]
        cv[:, x] = C("earth", 1)
        for y in (6, 54):
            cv[y:y + 2, x + 4:x + 6] = C("steel", 10)
            cv[y:y + 2, x + 11:x + 13] = C("steel", 10)
    cv[:, 0] = ramp("night", 0)
    return cv


def shallow_water():
    cv = floor(31, wear=0.5, warm=False)
    n = d.noise(T, T, 64, 8.0)
    mix = (cv.astype(int) - ramp("stone", 0)) * 0.35 + n * 2
    cv[:] = ramp("blue", 0) + np.clip(np.rint(mix + 2 + d.dither(T, T) * 0.8), 0, 15).astype(np.uint8)
    ripple = (np.abs(np.sin((XX + YY * 0.3) * 0.35 + n * 4)) < 0.08)
    cv[ripple] = C("blue", 11)
    cv[(np.abs(np.hypot(XX - 40, YY - 20) - 6) < 0.6)] = C("blue", 13)
    return cv


def grass():
    cv = floor(32, moss=0.3)
    rng = np.random.default_rng(65)
    for _ in range(26):
        x, y = rng.integers(2, 62), rng.integers(6, 62)
        for dx in (-2, 0, 2):
            h = int(rng.integers(3, 7))
            blade = L([(x, y), (x + dx, y - h)], 1)
            cv[blade] = C("moss", int(rng.integers(7, 14)))
    return cv


def mosaic():
    cv = np.zeros((T, T), np.uint8)
    cells = (XX // 4 + YY // 4)
    dist = np.maximum(np.abs(XX - 31.5), np.abs(YY - 31.5))
    diam = np.abs(XX - 31.5) + np.abs(YY - 31.5)
    band = (diam // 8).astype(int)
    names = ["gold", "blue", "bone", "red", "blue", "bone", "blue", "stone", "stone"]
    for b, nm in enumerate(names):
        m = band == b
        lv = 8 + (cells % 2) * 2
        cv[m] = d.to_index(nm, np.full((T, T), 1.0) * lv, 0.4)[m]
    cv[(XX % 4 == 0) | (YY % 4 == 0)] = C("stone", 2)
    cv[(dist > 29)] = C("stone", 4)
    cv[(XX == 0) | (YY == 0)] = C("stone", 1)
    return cv


def cobbles():
    cv = np.full((T, T), C("stone", 2), np.uint8)
    rng = np.random.default_rng(67)
    for y in range(0, T + 8, 10):
        off = rng.integers(0, 10)
        for x in range(-10 + off, T + 10, 11):
            cx, cy = x + rng.uniform(-1.5, 1.5), y + rng.uniform(-1.5, 1.5)
            m = E(cx - 5, cy - 4, cx + 5, cy + 4)
            mat = "stone" if rng.random() < 0.75 else "earth"
            P(cv, m, mat, 4, 11, soft=1.5)
    return cv


def ash():
    cv = floor(33, wear=0.5, cracks=2, warm=False)
    n = d.noise(T, T, 68, 9.0)
    r = np.hypot(XX - 32, YY - 32) + (n - 0.5) * 24
    scorch = r < 26
    cv[scorch] = ramp("grey", 0) + np.clip(np.rint((cv[scorch].astype(int) - ramp("stone", 0)) * 0.35
                                                     + d.dither(T, T)[scorch]), 0, 4).astype(np.uint8)
    embers = scorch & (d.noise(T, T, 69, 2.0) > 0.86)
    cv[embers] = C("ember", 8)
    return cv


def coins():
    cv = floor(34)
    rng = np.random.default_rng(70)
    for _ in range(60):
        a, r = rng.uniform(0, 2 * math.pi), rng.uniform(0, 1) ** 0.7 * 18
        x, y = 32 + r * math.cos(a), 36 + r * math.sin(a) * 0.7
        m = E(x - 3, y - 2, x + 3, y + 2)
        cv[m] = C("gold", 7)
        cv[m & (YY < y - 0.5)] = C("gold", 13)
        cv[d.grow(m) & ~m & (YY > y)] = C("gold", 3)
    for x, y in ((30, 30), (38, 38), (24, 40)):
        cv[y, x] = C("gold", 15)
    for x, y in ((8, 12), (54, 18), (50, 56), (10, 54)):
        cv[y:y + 2, x:x + 4] = C("gold", 11)
    return cv


def decor():
    return [stairs(), glow_runes(), planks(), shallow_water(), grass(), mosaic(), cobbles(), ash(), coins()]


def all_tiles():
    tiles = floors() + details() + walls() + obstacles() + decor()
    assert len(tiles) == 70, len(tiles)
    return tiles
