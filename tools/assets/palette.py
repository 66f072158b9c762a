"""The one master palette every bitmap of the game carries.

Scenes show all their pictures through the palette of whichever bitmap was
loaded last, so every picture must share this table. Fixed meanings:
0 black (darkness, fills), 38 the transparent key, 243 the play background,
255 the results background, 15 white.

The key is a deep violet that no visible pixel uses: the break-up copies key
pixels, so they must read as dark debris, not as a flash of magenta. The key
brush of the darkness disc is the colour 0xFF00FF, matched to the nearest
entry, so the key stays the entry nearest to magenta: every other colour is
pushed out of that ball (which keeps the palest purples and reds a little
paler than their ramps would make them).
"""
import numpy as np

BLACK = 0
WHITE = 15
KEY = 38
PLAY_BACKGROUND = 243
RESULTS_BACKGROUND = 255
KEY_RGB = np.array([84, 0, 150])
MAGENTA = np.array([255, 0, 255])
KEY_MARGIN = 1500  # squared distance by which every other entry lies farther from magenta

# name: (first index, count, darkest rgb, brightest rgb)
RAMPS = {
    "grey": (1, 15, (18, 18, 22), (255, 255, 255)),
    "stone": (16, 16, (20, 22, 30), (170, 175, 190)),
    "blood": (32, 6, (40, 0, 4), (170, 20, 30)),
    "earth": (39, 16, (28, 18, 12), (200, 150, 100)),
    "lantern": (55, 16, (60, 24, 8), (255, 240, 170)),
    "moss": (71, 16, (10, 24, 12), (150, 210, 120)),
    "blue": (87, 16, (8, 10, 30), (120, 160, 230)),
    "purple": (103, 16, (20, 8, 30), (200, 150, 230)),
    "red": (119, 16, (30, 4, 6), (255, 140, 120)),
    "skin": (135, 16, (60, 30, 20), (255, 220, 190)),
    "steel": (151, 16, (30, 34, 40), (235, 240, 250)),
    "gold": (167, 16, (40, 28, 4), (255, 230, 120)),
    "ghost": (183, 16, (6, 24, 28), (160, 240, 230)),
    "bone": (199, 16, (40, 36, 28), (245, 238, 220)),
    "slime": (215, 16, (16, 30, 4), (200, 255, 120)),
    "night": (231, 12, (4, 4, 12), (60, 60, 110)),
    "ember": (244, 11, (80, 10, 0), (255, 200, 60)),
}


def _build():
    table = np.zeros((256, 3), dtype=np.uint8)
    for first, count, dark, bright in RAMPS.values():
        for k in range(count):
            t = k / (count - 1)
            table[first + k] = [round(d + (b - d) * t) for d, b in zip(dark, bright)]
    table[BLACK] = (0, 0, 0)
    table[PLAY_BACKGROUND] = (14, 12, 18)
    table[RESULTS_BACKGROUND] = (10, 14, 32)
    key_distance = ((KEY_RGB - MAGENTA) ** 2).sum()
    for i in range(256):
        offset = table[i].astype(np.float64) - MAGENTA
        distance = (offset ** 2).sum()
        if distance < key_distance + KEY_MARGIN:
            pushed = MAGENTA + offset * np.sqrt((key_distance + KEY_MARGIN) / distance)
            table[i] = np.clip(np.ceil(np.abs(pushed)) * np.sign(pushed), 0, 255)
    table[KEY] = KEY_RGB
    return table


PALETTE = _build()


def ramp(name, level):
    """Index of a ramp entry; level runs 0 (darkest) to count-1 and is clamped."""
    first, count, _, _ = RAMPS[name]
    return first + max(0, min(count - 1, int(level)))


def nearest(rgb_image, allow_key=False):
    """Map an H x W x 3 RGB array to palette indices (nearest colour).

    The key index is never chosen unless asked for, so antialiased art can
    not punch holes into a picture by accident.
    """
    pixels = np.asarray(rgb_image, dtype=np.int32).reshape(-1, 3)
    candidates = PALETTE.astype(np.int32)
    if not allow_key:
        candidates = candidates.copy()
        candidates[KEY] = (100000, 100000, 100000)
    out = np.empty(len(pixels), dtype=np.uint8)
    step = 65536
    for start in range(0, len(pixels), step):
        chunk = pixels[start:start + step]
        dist = ((chunk[:, None, :] - candidates[None, :, :]) ** 2).sum(axis=2)
        out[start:start + step] = dist.argmin(axis=1)
    return out.reshape(np.asarray(rgb_image).shape[:2])
