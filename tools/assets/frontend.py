"""Front-end pictures: opening, title, menu items, ranking and ending.

What the game reads from each picture (rectangles are left, top, right,
bottom, right and bottom exclusive; "keyed" copies skip index 38):

  OP.bmp (640x480, opaque) -> offscreen 1 (opening), offscreen 3 (title, unused)
    (0, 0, 640, 480) keyed onto the screen under the opening blinds
  Title/Title.bmp (640x480, opaque) -> offscreen 1
    (0, 0, 640, 480) keyed; the menu lies over x 250..390, y 180..480
  ets.bmp (640x480, key outside the cells) -> offscreen 2, title and pause menu
    title START    (0, 66, 100, 130)    at (270, 200), enlarged to (250, 180, 390, 284)
    title RANKING  (200, 66, 300, 130)  at (270, 300), enlarged to (250, 280, 390, 384)
    title QUIT     (300, 66, 400, 130)  at (270, 400), enlarged to (250, 380, 390, 484)
    pause RESUME   (0, 212, 98, 260)    at (270, 70),  enlarged to (260, 60, 378, 128)
    pause RETRY    (400, 70, 500, 120)  at (270, 170), enlarged to (260, 160, 380, 230)
    pause TITLE    (0, 161, 230, 211)   at (200, 270), enlarged to (190, 260, 440, 330)
    pause QUIT     (500, 70, 600, 120)  at (270, 370), enlarged to (260, 360, 380, 430)
    All keyed; the selected item (title: the last one chosen, START at first;
    pause: RESUME on opening) is stretched into its enlarged rectangle.
    The cell (100, 66, 200, 130) and everything else are never read.
  Ranking/RankingBack.bmp (640x480, opaque) -> offscreen 1
    (0, 0, 640, 480) copied without key
  Ranking/Ranking.bmp (640x480, key round the scroll) -> offscreen 2
    the sheet (545 - o, 0, 640, 480) keyed in place, o = 0, 4, ..., 448, 450;
    the edge strip (20, 0, 95, 480) keyed at x = 470 - o, ending at 545 - o;
    at rest columns 20..639 show in place; columns 0..19 are never shown.
    Digits 18x30 are written into it, keyed, with left edges at
    x = 370, 310, 250, 190, 130 (1st..5th) and tops y = 370 - 34k
    (k = 0 units .. 4), so rows 234..399 of those columns hold numbers.
  Endhing.bmp (640x2000, opaque) -> offscreen 3
    rows 0..1999 of columns 0..639 scroll up 20 rows a frame; rows
    1520..1999 stand as the last screen before they leave at the top.
"""
import os

from . import frontend_ending, frontend_menu, frontend_ranking, frontend_title
from .bmp import save


def generate(out_dir):
    bmp = os.path.join(out_dir, "bmp")
    save(os.path.join(bmp, "OP.bmp"), frontend_title.opening())
    save(os.path.join(bmp, "Title", "Title.bmp"), frontend_title.title())
    save(os.path.join(bmp, "ets.bmp"), frontend_menu.picture())
    save(os.path.join(bmp, "Ranking", "RankingBack.bmp"), frontend_ranking.background())
    save(os.path.join(bmp, "Ranking", "Ranking.bmp"), frontend_ranking.ranking_picture())
    save(os.path.join(bmp, "Endhing.bmp"), frontend_ending.picture())
