"""The one stage: its map drawn as a grid of characters, its enemies, and the starting ranking.

Four rooms round a ring of doorways: the great hall where the hero starts (row 5, column 5), the
shrine to the east with the special cell (code 99) inside its rune ring, the crypt to the south and
a flooded cave with the stairs down to the south-east.
"""

# '#' is a plain wall: it shows its brick face (21) when the cell below is not wall, else the solid
# block (20). The other characters give their code directly.
LEGEND = {
    ".": 0, "1": 1, "2": 2, "3": 3, "4": 4, "5": 5, "6": 6, "7": 7, "8": 8, "9": 9,
    "r": 10, "b": 11, "x": 12, "g": 13, "u": 14, "c": 15, "k": 16, "p": 17, "o": 18, "d": 19,
    "T": 22, "K": 23, "M": 24, "B": 25, "<": 26, ">": 27,  # torch, cracked, mossy, banner, ends
    "%": 30, "&": 31, "^": 33, "~": 35, "(": 36, "!": 37, "?": 38,  # cave rock, earth, moss,
    # crystal, roots, stalagmites, skull
    "P": 40, "Q": 41, "C": 42, "X": 43, "O": 44, "Y": 45, "S": 46, "F": 48, "L": 49, "H": 50,
    "V": 52, "G": 54, "R": 55, "J": 59,  # pillar, broken pillar, crate(s), barrel(s), knight
    # statue, brazier, bookshelf, chest, pit, tombstone, weapon rack, sarcophagus
    "s": 61, "n": 62, "w": 64, "v": 65, "m": 66, "q": 67, "a": 68, "$": 69,
    "*": 99,
}
FACES = set(range(21, 28))  # wall faces are seen from the south: floor must lie below them

GRID = [
    # 0123456789        0123456789   (columns 0..9 | 10..19)
    "#T#B##B#T#" + "#T#B#T#M##",  # 1 wall
    "#P.1rr.2Q#" + "#L.L.c.LH#",  # 2 hall with its rug | shrine: bookshelves, candles, chest
    "#...rr.3.#" + "#1S.non.F#",  # 3 | knight statue, rune ring, brazier
    "#...rr..6d" + "dm..o*o..#",  # 4 doorway hall -> shrine; the special cell in the ring
    "#.k.rr..1#" + "#.S2non.F#",  # 5 the hero starts at column 5
    "#4..rr.x.#" + "#O.5.k.4R#",  # 6 | barrel, weapon rack
    "#.b.rr.5.#" + "#&~%^dd!&#",  # 7 | the cave opens below the shrine
    "#P.6rr.uP#" + "%q9.u..v?#",  # 8 | cave
    "##K>dd<M##" + "(7.ww..$.#",  # 9 doorway hall -> crypt, the wall ending at both sides | pool
    "#G.G.3G.G#" + "^9pwww.6.#",  # 10 crypt: tombstones | cave
    "#7b.Ja.8c#" + "&V.k.u.CO#",  # 11 sarcophagus | pit, crates and barrels
    "#G.G.c.G.d" + "d.3.g.XsC#",  # 12 passage crypt -> cave | stairs down
    "#6.a.b.9x#" + "!O.u..v.Y#",  # 13
]
BORDER = "#" * 20  # rows 0 and 14


def tile_map():
    """The 15 x 20 codes, row 0 at the top."""
    rows = [BORDER] + GRID + [BORDER]
    codes = []
    for r, row in enumerate(rows):
        line = []
        for c, ch in enumerate(row):
            if ch == "#":
                below = rows[r + 1][c] if r + 1 < len(rows) else "#"
                line.append(20 if 20 <= LEGEND.get(below, 20) <= 39 else 21)
            else:
                line.append(LEGEND[ch])
        codes.append(line)
    return codes


HERO_START = (352, 352)

# (sprite, x, y, speed x, speed y, hit points, facing, animation start); the enemy sheet holds
# seven kinds (sprite mod 7: slime, skeleton, bat, ghost, goblin, spider, imp) in five colourings.
# The sword reaches round the hero, a little farther below than above. The first five wait a few
# steps from the start, slow and frail (2 hit points: one sword frame at the hero's power of 2), so
# a quick player sweeps them in under four seconds: a pair a step to the east, one a step below
# that, a pair across the rug to the west. The rest roam the other rooms and need several hits,
# each of which knocks them back.
ENEMIES = [
    (0, 444, 360, 1, 1, 2, 3, 0),  # slime
    (2, 436, 398, 1, 1, 2, 1, 5),  # bat
    (5, 412, 446, 1, 1, 2, 1, 8),  # spider
    (0, 276, 404, 1, 1, 2, 0, 10),  # slime
    (2, 266, 440, 1, 1, 2, 2, 3),  # bat
    (6, 864, 352, 2, 2, 6, 3, 0),  # imp at the shrine
    (3, 1120, 224, 3, 2, 8, 0, 4),  # ghost at the shrine
    (1, 160, 736, 2, 2, 8, 2, 12),  # skeleton in the crypt
    (10, 416, 800, 2, 3, 6, 1, 6),  # pale ghost in the crypt
    (4, 928, 672, 3, 3, 10, 0, 2),  # goblin in the cave
    # Read and set aside by the game (it keeps the first ten); here for stages that grow.
    (8, 1056, 864, 2, 2, 8, 3, 1),
    (11, 736, 544, 2, 2, 8, 2, 9),
]
ALIVE = 3

# Scores the shipped runs reach (their demos ship beside the ranking): first place is the
# route's sweep; a clear in about five seconds still takes fifth.
RANKING = [3439, 3099, 2539, 1839, 939]
