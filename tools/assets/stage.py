"""Writes the stage files (map and enemies) and the starting ranking, after checking the layout."""
import os

from assets.stage_layout import ALIVE, ENEMIES, FACES, HERO_START, RANKING, tile_map

TILE = 64
BOX = 17  # half the side of the 35-pixel collision box


def blocks(code):
    return 20 <= code <= 60


def _box_cells(x, y):
    return {((y + dy) // TILE, (x + dx) // TILE) for dx in (-BOX, BOX) for dy in (-BOX, BOX)}


def check(codes):
    """The invariants play relies on; a layout that breaks one is a mistake in this file."""
    assert len(codes) == 15 and all(len(row) == 20 for row in codes)
    for r, row in enumerate(codes):
        for c, code in enumerate(row):
            if r in (0, 14) or c in (0, 19):
                assert blocks(code), ("open border", r, c)
            if code in FACES:
                assert not 20 <= codes[r + 1][c] <= 39, ("face over a wall", r, c)
    hr, hc = HERO_START[1] // TILE, HERO_START[0] // TILE
    for r in range(hr - 1, hr + 2):
        for c in range(hc - 1, hc + 2):
            assert not blocks(codes[r][c]), ("start blocked", r, c)
    for sprite, x, y, *_ in ENEMIES:
        assert all(not blocks(codes[r][c]) for r, c in _box_cells(x, y)), ("enemy in a wall", x, y)


def _numbers(values):
    return "".join("%d," % v for v in values)


def enemy_record(sprite, x, y, speed_x, speed_y, hp, facing, anim):
    # sprite, x, y, dx, dy, speeds, hp, state, dir, anim, power, reserved, attack, reserved,
    # hit box left, top, bottom, right, reserved, shatter frame
    return [sprite, x, y, 0, 0, speed_x, speed_y, hp, ALIVE, facing, anim, 0, 0, 0, 0,
            x - 32, y - 32, y + 32, x + 32, 0, 0]


def _write(path, lines):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def generate(out_dir):
    codes = tile_map()
    check(codes)
    txt = os.path.join(out_dir, "txt")
    _write(os.path.join(txt, "Map", "Map.txt"), [_numbers(row) for row in codes])
    _write(os.path.join(txt, "en.txt"), [_numbers(enemy_record(*e)) for e in ENEMIES])
    _write(os.path.join(txt, "Ranking", "Ranking.txt"), [_numbers(RANKING)])
