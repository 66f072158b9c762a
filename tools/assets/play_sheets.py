"""The play scene's three sheets: tiles, the hero's character sheet, enemies.

Every rectangle the game copies from these pictures (left, top, right,
bottom; right and bottom exclusive):

bmp/Map.bmp, 640x480, the tile sheet (play: g_offscreen1), keyed copies
  tile code c (0..69)        ((c%10)*64, (c//10)*64, +64, +64)

bmp/Char/My_char.bmp, 640x480, the character sheet
  (play: g_offscreen2; results: g_offscreen1; ranking: g_offscreen3)
  hero walk, dir row r, col k (0..2)   (k*64, r*64, +64, +64)      keyed
  hero sword, dir row r, col k (3..5)  (k*64, r*64, +64, +64)      keyed
  digit n (0..9)                       (18n, 257, 18n+18, 287)      opaque in
                                       the play countdown (17 px step), keyed
                                       in the results and on the ranking
  overview cell, any code but 99       (183, 260, 187, 264)         opaque
  overview cell, code 99               (187, 260, 191, 264)         opaque
  overview enemy dot                   (195, 260, 199, 264)         opaque
  overview hero dot                    (203, 260, 207, 264)         opaque
  caption row 0, "par time"            (200, 260, 260, 290)         keyed
  caption row 1, "your time"           (263, 260, 325, 290)         keyed
  caption row 2, "score"               (327, 260, 384, 290)         keyed
  The hero dot lies inside caption 0: there it is the light of the small
  lantern that heads each caption.

bmp/Char/Enem.bmp, 960x2000, the enemy sheet (play: g_offscreen3), keyed,
  and copied whole (key pixels too) by the shatter effect
  picture n (0..34), dir row r, frame k (0..2)
      ((n%5)*192 + k*64, (n//5)*256 + r*64, +64, +64)
  Picture n is enemy kind n % 7 in colouring n // 7 (see play_enemies).

Everything else on the sheets is the key, index 38.
"""
import os

import numpy as np

from .bmp import save
from .palette import KEY
from . import play_enemies, play_hero, play_hud, play_tiles

CAPTIONS = [((200, 260, 260, 290), ["PAR", "TIME"]),
            ((263, 260, 325, 290), ["YOUR", "TIME"]),
            ((327, 260, 384, 290), ["SCORE"])]
OVERVIEW_CELL = (183, 260)
SHRINE_CELL = (187, 260)
ENEMY_DOT = (195, 260)
HERO_DOT = (203, 260)
DIGIT_TOP = 257


def tile_sheet():
    sheet = np.full((480, 640), KEY, np.uint8)
    for c, tile in enumerate(play_tiles.all_tiles()):
        sheet[(c // 10) * 64:(c // 10) * 64 + 64, (c % 10) * 64:(c % 10) * 64 + 64] = tile
    return sheet


def _put(sheet, x, y, piece):
    h, w = piece.shape
    sheet[y:y + h, x:x + w] = piece


def char_sheet():
    sheet = np.full((480, 640), KEY, np.uint8)
    for r in range(4):
        for k in range(6):
            _put(sheet, k * 64, r * 64, play_hero.cell(r, k))
    for n in range(10):
        _put(sheet, n * play_hud.DIGIT_W, DIGIT_TOP, play_hud.digit(n))
    for (x0, y0, x1, y1), lines in CAPTIONS:
        _put(sheet, x0, y0, play_hud.caption(lines, x1 - x0, y1 - y0))
    _put(sheet, *OVERVIEW_CELL, play_hud.overview_cell())
    _put(sheet, *SHRINE_CELL, play_hud.shrine_cell())
    _put(sheet, *ENEMY_DOT, play_hud.enemy_dot())
    _put(sheet, *HERO_DOT, play_hud.hero_dot())
    return sheet


def enemy_sheet():
    sheet = np.full((2000, 960), KEY, np.uint8)
    for n in range(35):
        for r in range(4):
            for k in range(3):
                _put(sheet, (n % 5) * 192 + k * 64, (n // 5) * 256 + r * 64, play_enemies.picture(n, r, k))
    return sheet


def _check_tiles(sheet):
    assert sheet.shape == (480, 640)
    for c in range(70):
        cell = sheet[(c // 10) * 64:(c // 10) * 64 + 64, (c % 10) * 64:(c % 10) * 64 + 64]
        assert not (cell == KEY).any(), "tile %d has key holes" % c


def _check_chars(sheet):
    assert sheet.shape == (480, 640)
    drawn = np.zeros(sheet.shape, bool)
    for r in range(4):
        for k in range(6):
            cell = sheet[r * 64:r * 64 + 64, k * 64:k * 64 + 64]
            assert (cell != KEY).sum() > 300, "hero cell %d,%d is empty" % (r, k)
    drawn[0:256, 0:384] = True
    for n in range(10):
        glyph = sheet[DIGIT_TOP:DIGIT_TOP + 30, n * 18:n * 18 + 18]
        assert not (glyph == KEY).any(), "the countdown copies digit %d opaque" % n
    drawn[DIGIT_TOP:DIGIT_TOP + 30, 0:180] = True
    for x, y in (OVERVIEW_CELL, SHRINE_CELL, ENEMY_DOT, HERO_DOT):
        assert not (sheet[y:y + 4, x:x + 4] == KEY).any(), "overview cells are copied opaque"
        drawn[y:y + 4, x:x + 4] = True
    ordinary = sheet[260:264, 183:187]
    shrine = sheet[260:264, 187:191]
    assert not np.array_equal(ordinary, shrine)
    for (x0, y0, x1, y1), _ in CAPTIONS:
        assert (sheet[y0:y1, x0:x1] != KEY).sum() > 100, "caption is empty"
        drawn[y0:y1, x0:x1] = True
    hx, hy = HERO_DOT
    assert np.array_equal(sheet[hy:hy + 4, hx:hx + 4], play_hud.hero_dot())
    assert (sheet[~drawn] == KEY).all(), "nothing outside the used rectangles"


def _check_enemies(sheet):
    assert sheet.shape == (2000, 960)
    drawn = np.zeros(sheet.shape, bool)
    for n in range(35):
        for r in range(4):
            for k in range(3):
                x, y = (n % 5) * 192 + k * 64, (n // 5) * 256 + r * 64
                cell = sheet[y:y + 64, x:x + 64]
                assert (cell != KEY).sum() > 200, "enemy %d,%d,%d is empty" % (n, r, k)
                drawn[y:y + 64, x:x + 64] = True
    assert (sheet[~drawn] == KEY).all()


def generate(out_dir):
    tiles = tile_sheet()
    chars = char_sheet()
    enemies = enemy_sheet()
    _check_tiles(tiles)
    _check_chars(chars)
    _check_enemies(enemies)
    save(os.path.join(out_dir, "bmp", "Map.bmp"), tiles)
    save(os.path.join(out_dir, "bmp", "Char", "My_char.bmp"), chars)
    save(os.path.join(out_dir, "bmp", "Char", "Enem.bmp"), enemies)
