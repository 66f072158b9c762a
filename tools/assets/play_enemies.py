"""The enemies: seven kinds, each with a three-frame cycle in four facings.

Picture n of the enemy sheet is kind n mod 7 in colouring n // 7, so any
sprite number a stage names (0..34) is a finished monster.  Kinds:
0 slime, 1 skeleton, 2 bat, 3 ghost, 4 goblin, 5 spider, 6 imp.
Levels below are given on a 0..15 scale and stretched to the ramp's length,
so the short ramps serve as colourings as well.
"""

import numpy as np

from .palette import RAMPS, ramp
from . import play_draw as d

S = 64
KINDS = ["slime", "skeleton", "bat", "ghost", "goblin", "spider", "imp"]
# Main material of each kind, per colouring 0..4.
COLOURINGS = {
    "slime": ["slime", "blue", "red", "purple", "gold"],
    "skeleton": ["bone", "gold", "ghost", "stone", "skin"],
    "bat": ["purple", "earth", "red", "blue", "stone"],
    "ghost": ["ghost", "blue", "purple", "moss", "grey"],
    "goblin": ["moss", "skin", "red", "blue", "earth"],
    "spider": ["purple", "earth", "steel", "moss", "red"],
    "imp": ["red", "purple", "ember", "blue", "moss"],
}


def _lv(name, v):
    return v * (RAMPS[name][1] - 1) / 15.0


def P(cv, mask, name, lo, hi, soft=2.0):
    d.paint(cv, mask, name, _lv(name, lo), _lv(name, hi), soft=soft)


def C(name, v):
    return ramp(name, round(_lv(name, v)))


def E(*box):
    return d.ellipse(S, S, box)


def R(*box):
    return d.rect(S, S, box)


def Q(*pts):
    return d.poly(S, S, pts)


def L(pts, w=1):
    return d.line(S, S, pts, w)


def _shadow(cv, x0, x1, y0=52, y1=60):
    d.fill(cv, E(x0, y0, x1, y1), ramp("night", 1))


def _eyes(cv, pts, colour, glint=None):
    for x, y in pts:
        cv[y:y + 2, x:x + 2] = colour
        if glint is not None:
            cv[y, x] = glint


# --- slime -----------------------------------------------------------------

def slime(direction, frame, m):
    cv = d.canvas(S, S)
    w, top = [(17, 32), (15, 28), (13, 24)][frame]
    _shadow(cv, 32 - w - 2, 32 + w + 2, 51, 60)
    body = E(32 - w, top, 32 + w, 57) & ~R(0, 56, S, S)
    body |= E(32 - w - 1, 46, 32 + w + 1, 57)
    P(cv, body, m, 3, 13, soft=3.5)
    # Something swallowed floats inside.
    cv[47:50, 36:39] = C(m, 5)
    cv[48, 37] = C("bone", 12)
    cv[top + 4:top + 6, 32 - w + 6:32 - w + 8] = C(m, 15)
    cv[top + 6, 32 - w + 5] = C(m, 15)
    d.outline(cv)
    if direction == 0:
        for ex in (25, 35):
            d.fill(cv, E(ex, 38, ex + 5, 45), ramp("night", 0))
            cv[39:41, ex + 1:ex + 3] = ramp("grey", 14)
        cv[48, 29:36] = ramp("night", 0)
        cv[49, 31:34] = C("red", 9)
    elif direction in (2, 3):
        for ex in (34, 42):
            x = ex if direction == 2 else 64 - ex - 5
            d.fill(cv, E(x, 38, x + 4, 45), ramp("night", 0))
            cv[39:41, x + 1:x + 3] = ramp("grey", 14)
    return cv


# --- skeleton --------------------------------------------------------------

def _bone_limb(cv, pts, m, w=2):
    d.fill(cv, L(pts, w), C(m, 12))


def skeleton(direction, frame, m):
    cv = d.canvas(S, S)
    _shadow(cv, 20, 44)
    step = [1, 0, -1][frame]
    if direction in (0, 1):
        _bone_limb(cv, [(28, 41), (27 - step, 48), (27, 55 - max(0, step) * 2)], m)
        _bone_limb(cv, [(36, 41), (37 + step, 48), (37, 55 - max(0, -step) * 2)], m)
        cv[55 - max(0, step) * 2, 24:30] = C(m, 10)
        cv[55 - max(0, -step) * 2, 35:41] = C(m, 10)
        d.fill(cv, L([(32, 26), (32, 41)], 2), C(m, 10))
        for y in range(28, 38, 3):
            d.fill(cv, L([(25, y), (39, y)], 1), C(m, 13))
            cv[y, 25] = C(m, 8)
        P(cv, E(26, 38, 39, 44), m, 6, 12, soft=1)
        _bone_limb(cv, [(24, 28), (21, 35 + step), (22, 42 + step)], m)
        _bone_limb(cv, [(40, 28), (43, 35 - step), (42, 42 - step)], m)
        # A notched, rusty blade in the right hand.
        if direction == 0:
            d.fill(cv, L([(42, 42 - step), (46, 54 - step)], 2), C("earth", 7))
        P(cv, E(23, 8, 41, 26), m, 6, 15, soft=2.5)
        P(cv, E(27, 21, 37, 29), m, 5, 11, soft=1.5)
        d.outline(cv)
        if direction == 0:
            d.fill(cv, E(26, 14, 31, 20), ramp("night", 0))
            d.fill(cv, E(33, 14, 38, 20), ramp("night", 0))
            cv[16, 28] = C("red", 14)
            cv[16, 35] = C("red", 14)
            cv[21, 31:33] = ramp("night", 0)
            for x in range(28, 37, 2):
                cv[25, x] = ramp("night", 1)
        else:
            cv[12:24, 32] = C(m, 9)
    else:
        _bone_limb(cv, [(31, 41), (31 + 4 * step, 48), (31 + 6 * step, 55)], m)
        _bone_limb(cv, [(33, 41), (33 - 4 * step, 48), (33 - 6 * step, 55)], m)
        cv[55, 29 + 6 * step:35 + 6 * step] = C(m, 10)
        d.fill(cv, L([(31, 26), (31, 41)], 2), C(m, 10))
        for y in range(28, 38, 3):
            d.fill(cv, L([(28, y), (37, y + 1)], 1), C(m, 13))
        P(cv, E(26, 38, 37, 44), m, 6, 12, soft=1)
        _bone_limb(cv, [(32, 28), (32 - 3 * step, 35), (36 - 3 * step, 40)], m)
        d.fill(cv, L([(36 - 3 * step, 40), (47 - 3 * step, 36)], 2), C("earth", 7))
        P(cv, E(24, 8, 42, 26), m, 6, 15, soft=2.5)
        P(cv, E(33, 19, 42, 28), m, 5, 11, soft=1.5)
        d.outline(cv)
        d.fill(cv, E(34, 14, 39, 20), ramp("night", 0))
        cv[16, 36] = C("red", 14)
        cv[23, 41] = ramp("night", 0)
        if direction == 3:
            cv = np.fliplr(cv).copy()
    return cv


# --- bat -------------------------------------------------------------------

def bat(direction, frame, m):
    cv = d.canvas(S, S)
    lift = [-9, 0, 8][frame]
    bob = [0, 1, 2][frame]
    _shadow(cv, 24, 40, 54, 60)
    for side in (-1, 1):
        tip = (32 + side * 27, 26 + lift)
        wing = Q((32 + side * 4, 26 + bob), tip, (32 + side * 24, 38 + lift // 2),
                 (32 + side * 17, 34 + lift // 3), (32 + side * 11, 40), (32 + side * 5, 36 + bob))
        P(cv, wing, m, 2, 8, soft=1.5)
        for f in (0.45, 0.75):
            fx = 32 + side * 4 + (tip[0] - 32 - side * 4) * f
            fy = 26 + bob + (tip[1] - 26 - bob) * f
            d.fill(cv, L([(32 + side * 5, 28 + bob), (fx, fy + 8)], 1) & wing, C(m, 1))
    P(cv, E(25, 22 + bob, 39, 40 + bob), m, 4, 11, soft=2)
    P(cv, Q((26, 25 + bob), (27, 15 + bob), (31, 23 + bob)), m, 4, 10, soft=1)
    P(cv, Q((38, 25 + bob), (37, 15 + bob), (33, 23 + bob)), m, 4, 10, soft=1)
    d.outline(cv)
    if direction == 0:
        _eyes(cv, [(28, 28 + bob), (34, 28 + bob)], C("red", 15))
        cv[33 + bob, 30] = C("bone", 15)
        cv[33 + bob, 33] = C("bone", 15)
    elif direction in (2, 3):
        _eyes(cv, [(35, 28 + bob)], C("red", 15))
        cv[33 + bob, 37] = C("bone", 15)
        if direction == 3:
            cv = np.fliplr(cv).copy()
    return cv


# --- ghost -----------------------------------------------------------------

def ghost(direction, frame, m):
    cv = d.canvas(S, S)
    bob = [0, -1, -2][frame]
    _shadow(cv, 23, 41, 54, 60)
    yy, xx = np.mgrid[0:S, 0:S]
    hem = 50 + bob + 3 * np.sin((xx + frame * 4) * 0.75)
    lean = 0 if direction in (0, 1) else (3 if direction == 3 else -3)
    body = (E(19, 8 + bob, 45, 36 + bob) | (R(19, 22 + bob, 45, 60) & (yy < hem)))
    tail = Q((19, 40 + bob), (45, 40 + bob), (32 + lean * 3, 56 + bob))
    body |= tail & (yy < hem + 4)
    P(cv, body, m, 4, 15, soft=3.5)
    # Wisps of arms.
    P(cv, E(14, 28 + bob - frame, 22, 36 + bob), m, 5, 12, soft=1.5)
    P(cv, E(42, 28 + bob + frame - 2, 50, 36 + bob), m, 5, 12, soft=1.5)
    d.outline(cv, ramp("night", 2))
    if direction == 0:
        d.fill(cv, E(24, 18 + bob, 30, 26 + bob), ramp("night", 0))
        d.fill(cv, E(34, 18 + bob, 40, 26 + bob), ramp("night", 0))
        d.fill(cv, E(29, 28 + bob, 35, 35 + bob), ramp("night", 1))
    elif direction in (2, 3):
        d.fill(cv, E(34, 18 + bob, 39, 26 + bob), ramp("night", 0))
        d.fill(cv, E(38, 28 + bob, 42, 33 + bob), ramp("night", 1))
        if direction == 3:
            cv = np.fliplr(cv).copy()
    return cv


# --- goblin ----------------------------------------------------------------

def goblin(direction, frame, m):
    cv = d.canvas(S, S)
    step = [1, 0, -1][frame]
    bob = 0 if frame == 1 else 1
    _shadow(cv, 20, 44)
    if direction in (0, 1):
        for x0, lift in ((26, 2 * (step > 0)), (34, 2 * (step < 0))):
            P(cv, R(x0, 44, x0 + 5, 55 - lift), m, 3, 9, soft=1)
            P(cv, E(x0 - 1, 52 - lift, x0 + 7, 57 - lift), m, 2, 7, soft=1)
        P(cv, E(22, 29 + bob, 42, 47 + bob), "earth", 3, 9, soft=2)
        P(cv, Q((24, 40 + bob), (40, 40 + bob), (38, 49), (26, 49)), "earth", 2, 6, soft=1)
        cv[40 + bob, 24:41] = C("earth", 1)
        P(cv, E(17, 32 + bob + step, 24, 44 + bob + step), m, 3, 10, soft=1.5)
        P(cv, E(40, 32 + bob - step, 47, 44 + bob - step), m, 3, 10, soft=1.5)
        # Spiked club in the right hand.
        d.fill(cv, L([(44, 42 - step), (50, 24 - step)], 3), C("earth", 6))
        P(cv, E(46, 18 - step, 54, 30 - step), "earth", 4, 9, soft=1.5)
        for ex in (-1, 1):
            ear = Q((32 + ex * 8, 18 + bob), (32 + ex * 20, 12 + bob), (32 + ex * 9, 25 + bob))
            P(cv, ear, m, 4, 12, soft=1)
        P(cv, E(22, 10 + bob, 42, 31 + bob), m, 4, 13, soft=3)
        d.outline(cv)
        for x in (46, 50, 52):
            cv[19 - step + (x % 3), x] = C("bone", 14)
        if direction == 0:
            _eyes(cv, [(26, 19 + bob), (35, 19 + bob)], C("gold", 15), ramp("night", 0))
            cv[25 + bob, 28:36] = ramp("night", 0)
            cv[26 + bob, 29] = C("bone", 15)
            cv[26 + bob, 34] = C("bone", 15)
        else:
            d.fill(cv, Q((26, 12 + bob), (38, 12 + bob), (32, 20 + bob)), C("earth", 4))
    else:
        for sp, lv in ((-step, (2, 7)), (step, (3, 9))):
            fx = 31 + 5 * sp
            P(cv, Q((29, 44), (34, 44), (fx + 4, 53), (fx, 53)), m, lv[0], lv[1], soft=1)
            P(cv, E(fx - 2, 51, fx + 7, 57), m, lv[0], lv[1], soft=1)
        P(cv, E(24, 29 + bob, 40, 47 + bob), "earth", 3, 9, soft=2)
        cv[40 + bob, 24:40] = C("earth", 1)
        d.fill(cv, L([(36, 40 + step), (48, 30 + step)], 3), C("earth", 6))
        P(cv, E(45, 23 + step, 54, 33 + step), "earth", 4, 9, soft=1.5)
        P(cv, E(31, 33 + bob, 39, 43 + bob), m, 3, 10, soft=1.5)
        P(cv, Q((28, 18 + bob), (12, 12 + bob), (26, 25 + bob)), m, 4, 12, soft=1)
        P(cv, E(23, 10 + bob, 42, 31 + bob), m, 4, 13, soft=3)
        P(cv, Q((39, 19 + bob), (46, 23 + bob), (39, 26 + bob)), m, 4, 12, soft=1)
        d.outline(cv)
        _eyes(cv, [(36, 18 + bob)], C("gold", 15), ramp("night", 0))
        cv[26 + bob, 34:40] = ramp("night", 0)
        if direction == 3:
            cv = np.fliplr(cv).copy()
    return cv


# --- spider (drawn facing down, turned for the other facings) --------------

def spider(direction, frame, m):
    cv = d.canvas(S, S)
    swing = [-1, 0, 1][frame]
    legs = ramp("night", 2)
    for side in (-1, 1):
        for i, (ay, ky, fy) in enumerate(((36, 28, 40), (38, 33, 48), (40, 40, 55), (42, 48, 60))):
            s = swing * (1 if i % 2 == 0 else -1) * side
            knee = (32 + side * 18, ky + s * 2 - 6)
            foot = (32 + side * 27, fy + s * 3 - 12)
            d.fill(cv, L([(32 + side * 5, ay - 6), knee, foot], 2), legs)
            cv[int(knee[1]), int(knee[0])] = C(m, 6)
    P(cv, E(21, 8, 43, 32), m, 2, 10, soft=3)
    # Markings on the abdomen.
    d.fill(cv, Q((32, 13), (35, 19), (32, 25), (29, 19)), C("red", 10))
    P(cv, E(25, 29, 39, 43), m, 3, 11, soft=2)
    d.fill(cv, L([(29, 42), (28, 47)], 2), C(m, 5))
    d.fill(cv, L([(35, 42), (36, 47)], 2), C(m, 5))
    d.outline(cv)
    for x, y in ((29, 36), (33, 36), (27, 34), (35, 34)):
        cv[y, x:x + 2] = C("red", 15)
    rot = {0: 0, 1: 2, 2: 1, 3: 3}[direction]
    return np.rot90(cv, rot).copy()


# --- imp -------------------------------------------------------------------

def imp(direction, frame, m):
    cv = d.canvas(S, S)
    flap = [-3, 0, 3][frame]
    bob = [0, 1, 2][frame]
    _shadow(cv, 22, 42, 54, 60)
    wing = "night"
    for side in (-1, 1):
        w = Q((32 + side * 5, 28 + bob), (32 + side * 24, 14 + flap), (32 + side * 22, 26 + flap),
              (32 + side * 17, 30 + flap // 2), (32 + side * 6, 38 + bob))
        P(cv, w, wing, 3, 10, soft=1.5)
    tail_x = 45 if direction != 3 else 19
    d.fill(cv, L([(32, 46), (tail_x, 50 + flap // 2), (tail_x + 2, 42)], 2), C(m, 5))
    cv[41:43, tail_x + 1:tail_x + 4] = C(m, 6)
    for x0 in (26, 34):
        P(cv, R(x0, 43 + bob, x0 + 5, 52 + bob), m, 3, 9, soft=1)
        d.fill(cv, R(x0 - 1, 51 + bob, x0 + 6, 53 + bob), C("night", 3))
    P(cv, E(23, 28 + bob, 41, 47 + bob), m, 4, 12, soft=2)
    P(cv, E(21, 11 + bob, 43, 31 + bob), m, 4, 14, soft=3)
    for side in (-1, 1):
        horn = Q((32 + side * 5, 15 + bob), (32 + side * 13, 3 + bob), (32 + side * 10, 17 + bob))
        P(cv, horn, "bone", 6, 14, soft=1)
    d.outline(cv)
    if direction == 0:
        _eyes(cv, [(26, 20 + bob), (35, 20 + bob)], C("gold", 15), ramp("night", 0))
        cv[26 + bob, 28:36] = ramp("night", 0)
        cv[27 + bob, 29] = C("bone", 15)
        cv[27 + bob, 34] = C("bone", 15)
    elif direction in (2, 3):
        ex = 36 if direction == 2 else 26
        _eyes(cv, [(ex, 20 + bob)], C("gold", 15), ramp("night", 0))
        cv[26 + bob, ex - 2:ex + 4] = ramp("night", 0)
    return cv


DRAW = [slime, skeleton, bat, ghost, goblin, spider, imp]


def picture(n, direction, frame):
    kind = n % len(KINDS)
    material = COLOURINGS[KINDS[kind]][(n // len(KINDS)) % 5]
    return DRAW[kind](direction, frame, material)
