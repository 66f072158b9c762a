"""The hero: a hooded swordsman carrying a lantern, 64x64 cells.

Rows are the facings (down, up, right, left); columns 0..2 the walk
(shown 0, 1, 2, 1, and column 0 alone while standing, so it is a calm
stance with the left foot a little forward), columns 3..5 the sword.
The sword's reach does not turn with the hero: in every facing the
swing sweeps from low left, under the feet, round to the right, which is
where the blade's hit boxes lie, so every facing draws that same sweep.
"""
import math

import numpy as np

from .palette import KEY, ramp
from . import play_draw as d

S = 64
W = S


def _m_ell(x0, y0, x1, y1):
    return d.ellipse(S, S, (x0, y0, x1, y1))


def _m_rect(x0, y0, x1, y1):
    return d.rect(S, S, (x0, y0, x1, y1))


def _m_poly(*pts):
    return d.poly(S, S, pts)


def _shadow(cv):
    d.fill(cv, _m_ell(20, 53, 45, 61), ramp("night", 1))


def _lantern(cv, x, y, swing=0):
    """A small lantern hanging from (x, y): handle, cap, glowing glass, base."""
    cv[y, x - 1:x + 2] = ramp("gold", 5)
    cv[y + 1, x - 2] = ramp("gold", 4)
    cv[y + 1, x + 2] = ramp("gold", 4)
    cv[y + 2, x - 3:x + 4] = ramp("gold", 9)
    glass = _m_rect(x - 3 + swing, y + 3, x + 4 + swing, y + 9)
    d.fill(cv, glass, ramp("lantern", 13))
    cv[y + 4:y + 8, x - 1 + swing:x + 2 + swing] = ramp("lantern", 15)
    cv[y + 3:y + 9, x - 3 + swing] = ramp("gold", 6)
    cv[y + 3:y + 9, x + 3 + swing] = ramp("gold", 4)
    cv[y + 9, x - 3 + swing:x + 4 + swing] = ramp("gold", 7)
    cv[y + 10, x - 2 + swing:x + 3 + swing] = ramp("gold", 4)


def _legs_front(cv, step):
    """Boots seen from the front; step -1/0/1 puts one foot forward, the other back."""
    for x0, phase in ((25, step), (33, -step)):
        # A foot forward comes down lower and nearer; a foot back is lifted.
        bottom = 56 + phase if phase >= 0 else 53
        d.paint(cv, _m_rect(x0, 44, x0 + 6, bottom - 4), "earth", 2 + (phase < 0), 6, soft=1)
        d.paint(cv, _m_rect(x0 - 1, bottom - 5, x0 + 7, bottom), "earth", 1, 4 - (phase < 0), soft=1)


def _legs_side(cv, step):
    """Legs in profile (facing right); step spreads them into a stride."""
    spread = [7, 1, -7][step + 1]
    for dx, lv in ((-spread, (1, 4)), (spread, (3, 7))):
        foot_x = 31 + dx
        lift = 1 if abs(dx) < 3 and dx < 0 else 0
        d.paint(cv, _m_poly((28, 42), (35, 42), (foot_x + 4, 52 - lift), (foot_x - 1, 52 - lift)), "earth", lv[0], lv[1], soft=1)
        d.paint(cv, _m_rect(foot_x - 2, 51 - lift, foot_x + 6, 56 - lift), "earth", lv[0] - 1, lv[1] - 1, soft=1)


def _body_front(cv, bob, arm):
    # Cloak over the shoulders, open at the front over an earthy tunic.
    cloak = _m_poly((23, 28 + bob), (41, 28 + bob), (45, 50), (19, 50))
    d.paint(cv, cloak, "blue", 3, 9, soft=2.5)
    d.paint(cv, _m_poly((29, 31 + bob), (35, 31 + bob), (37, 48), (27, 48)), "earth", 5, 10, soft=1.5)
    cv[41 + bob, 27:38] = ramp("earth", 2)
    cv[41 + bob, 31:33] = ramp("gold", 12)
    # Sword arm (screen left) and lantern arm (screen right).
    d.paint(cv, _m_ell(17, 31 + bob + arm, 24, 44 + bob + arm), "blue", 3, 8, soft=1.5)
    d.paint(cv, _m_ell(18, 41 + bob + arm, 23, 46 + bob + arm), "skin", 6, 12, soft=1)
    d.paint(cv, _m_ell(40, 31 + bob - arm, 47, 43 + bob - arm), "blue", 3, 8, soft=1.5)
    d.paint(cv, _m_ell(41, 39 + bob - arm, 46, 44 + bob - arm), "skin", 6, 12, soft=1)


def _head_front(cv, bob):
    d.paint(cv, _m_ell(21, 10 + bob, 43, 33 + bob), "blue", 3, 10, soft=3)
    face = _m_ell(25, 17 + bob, 39, 32 + bob)
    d.paint(cv, face, "skin", 5, 12, soft=2)
    cv[17 + bob:19 + bob, 26:38][face[17 + bob:19 + bob, 26:38]] = ramp("skin", 3)
    cv[24 + bob, 28:30] = ramp("night", 0)
    cv[24 + bob, 34:36] = ramp("night", 0)
    cv[28 + bob, 31:33] = ramp("skin", 4)
    # The sword's hilt over the left shoulder.
    d.fill(cv, _m_rect(19, 21 + bob, 21, 29 + bob), ramp("earth", 4))
    cv[21 + bob, 17:24] = ramp("gold", 9)


def _front(step, bob):
    cv = d.canvas(W, S)
    _shadow(cv)
    _legs_front(cv, step)
    _body_front(cv, bob, step)
    _head_front(cv, bob)
    d.outline(cv)
    _lantern(cv, 44, 44 + bob - step, swing=-step)
    return cv


def _back(step, bob):
    cv = d.canvas(W, S)
    _shadow(cv)
    _legs_front(cv, -step)
    cloak = _m_poly((23, 28 + bob), (41, 28 + bob), (45, 51), (19, 51))
    d.paint(cv, cloak, "blue", 3, 9, soft=2.5)
    # Scabbard across the back.
    d.fill(cv, d.line(S, S, [(39, 26 + bob), (25, 46 + bob)], 3), ramp("earth", 3))
    d.fill(cv, d.line(S, S, [(39, 26 + bob), (25, 46 + bob)], 1), ramp("earth", 6))
    d.paint(cv, _m_ell(17, 31 + bob - step, 24, 43 + bob - step), "blue", 3, 8, soft=1.5)
    d.paint(cv, _m_ell(40, 31 + bob + step, 47, 43 + bob + step), "blue", 3, 8, soft=1.5)
    d.paint(cv, _m_ell(41, 39 + bob + step, 46, 44 + bob + step), "skin", 4, 9, soft=1)
    d.paint(cv, _m_ell(21, 10 + bob, 43, 33 + bob), "blue", 3, 10, soft=3)
    cv[24 + bob:33 + bob, 31] = ramp("blue", 3)
    cv[21 + bob, 38:44] = ramp("gold", 9)
    d.fill(cv, _m_rect(40, 17 + bob, 42, 21 + bob), ramp("earth", 4))
    d.outline(cv)
    # Only the lantern's glow shows past the body, low on the left.
    _lantern(cv, 19, 43 + bob - step, swing=step)
    return cv


def _side(step, bob):
    """Facing right."""
    cv = d.canvas(W, S)
    _shadow(cv)
    _legs_side(cv, step)
    cloak = _m_poly((25, 28 + bob), (38, 28 + bob), (41, 47), (22, 47))
    d.paint(cv, cloak, "blue", 3, 9, soft=2.5)
    d.fill(cv, d.line(S, S, [(24, 25 + bob), (20, 45 + bob)], 3), ramp("earth", 3))
    cv[24 + bob, 22:28] = ramp("gold", 9)
    d.paint(cv, _m_poly((34, 32 + bob), (39, 31 + bob), (41, 46), (35, 46)), "earth", 5, 9, soft=1.5)
    cv[41 + bob, 30:41] = ramp("earth", 2)
    # Lantern arm reaching forward.
    d.paint(cv, _m_poly((28, 31 + bob), (33, 30 + bob), (43, 38 + bob + step), (40, 41 + bob + step)), "blue", 3, 8, soft=1.5)
    d.paint(cv, _m_ell(40, 36 + bob + step, 46, 42 + bob + step), "skin", 6, 12, soft=1)
    d.paint(cv, _m_ell(22, 10 + bob, 42, 33 + bob), "blue", 3, 10, soft=3)
    face = _m_ell(33, 17 + bob, 43, 31 + bob)
    d.paint(cv, face, "skin", 5, 12, soft=2)
    cv[17 + bob:19 + bob, 33:43][face[17 + bob:19 + bob, 33:43]] = ramp("skin", 3)
    d.paint(cv, _m_ell(29, 14 + bob, 42, 23 + bob), "blue", 4, 10, soft=2)
    cv[24 + bob, 38:40] = ramp("night", 0)
    cv[27 + bob, 42] = ramp("skin", 8)
    d.outline(cv)
    _lantern(cv, 45, 42 + bob + step, swing=-step)
    return cv


def _walk(direction, col):
    step = [1, 0, -1][col]
    bob = 0 if col == 1 else 1
    if direction == 0:
        return _front(step, bob)
    if direction == 1:
        return _back(step, bob)
    side = _side(step, bob)
    return side if direction == 2 else np.fliplr(side).copy()


# The swing: hilt position and tip of the blade per sword column.  The
# column shows (3 + counter / 5): counter 1..4 the low wind-up across the
# feet, 5..9 the cut down and right, 10..14 the blade out to the right.
# Every blade and trail stays a pixel clear of the cell's edge, so no
# frame is cut off when the sheet is drawn cell by cell.
PIVOT = (32, 40)
SWORD = [((25, 44), (10, 59)), ((35, 45), (52, 56)), ((41, 36), (59, 30))]
# The trail is an ellipse flattened top to bottom: under the feet there
# is less room to the cell's bottom than there is to its sides.
SQUASH = 1.35


def _angle(p):
    return math.atan2(p[1] - PIVOT[1], p[0] - PIVOT[0])


def _smear(cv, a_from, a_to, r0=23, r1=29):
    """A pale motion arc swept from angle a_from to a_to, only over empty pixels."""
    yy, xx = np.mgrid[0:S, 0:S]
    dx, dy = xx - PIVOT[0], yy - PIVOT[1]
    r = np.hypot(dx, dy * SQUASH)
    a = np.arctan2(dy, dx)
    lo, hi = min(a_from, a_to), max(a_from, a_to)
    inside = (r >= r0) & (r <= r1) & (a >= lo) & (a <= hi)
    # Solid near the blade, thinning out toward where the swing began.
    t = np.clip((a - a_from) / (a_to - a_from), 0, 1)
    u = (r - r0) / (r1 - r0)
    keep = inside & (t + u * 0.5 > d.dither(S, S) + 0.75) & (cv == KEY)
    cv[keep] = d.to_index("steel", 8 + t * 5 + u * 2, 0.8)[keep]


def _blade(cv, hilt, tip):
    hx, hy = hilt
    tx, ty = tip
    length = math.hypot(tx - hx, ty - hy)
    ux, uy = (tx - hx) / length, (ty - hy) / length
    px, py = -uy, ux
    # Bright steel with a white edge inside a dark rim: the blade reads over every floor,
    # pale flagstones as much as dark earth.
    blade = d.line(S, S, [(hx + ux * 3, hy + uy * 3), (tx, ty)], 3)
    d.fill(cv, d.grow(blade), ramp("night", 0))
    d.fill(cv, blade, ramp("steel", 12))
    edge = d.line(S, S, [(hx + ux * 3 - px, hy + uy * 3 - py), (tx - ux - px, ty - uy - py)], 1)
    d.fill(cv, edge & blade, ramp("grey", 14))
    d.fill(cv, d.line(S, S, [(hx + ux * 3, hy + uy * 3), (tx - ux, ty - uy)], 1), ramp("steel", 15))
    guard = d.line(S, S, [(hx + px * 4, hy + py * 4), (hx - px * 4, hy - py * 4)], 2)
    d.fill(cv, d.grow(guard) & ~blade, ramp("night", 0))
    d.fill(cv, guard, ramp("gold", 11))
    grip = d.line(S, S, [(hx - ux * 1, hy - uy * 1), (hx - ux * 5, hy - uy * 5)], 2)
    d.fill(cv, grip, ramp("earth", 4))
    cv[int(round(hy - uy * 6)), int(round(hx - ux * 6))] = ramp("gold", 13)
    # The hand on the grip.
    d.fill(cv, d.ellipse(S, S, (hx - ux * 4 - 3, hy - uy * 4 - 3, hx - ux * 4 + 3, hy - uy * 4 + 3)), ramp("skin", 9))


def _swing(direction, col):
    k = col - 3
    body = _walk(direction, 1)
    cv = body.copy()
    hilt, tip = SWORD[k]
    if k == 1:
        _smear(cv, _angle(SWORD[0][1]), _angle(tip))
    elif k == 2:
        _smear(cv, math.pi / 2, _angle(tip))
    _blade(cv, hilt, tip)
    return cv


def cell(direction, col):
    """The 64x64 hero picture for a facing (0..3) and a sheet column (0..5)."""
    return _walk(direction, col) if col < 3 else _swing(direction, col)
