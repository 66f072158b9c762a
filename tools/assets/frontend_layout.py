"""Where the game reads each front-end picture (see the table in frontend.py)."""

SCREEN_W, SCREEN_H = 640, 480
ENDING_H = 2000

# Menu picture cells (left, top, right, bottom), with the label each shows.
TITLE_CELLS = (
    ((0, 66, 100, 130), "START"),
    ((200, 66, 300, 130), "RANKING"),
    ((300, 66, 400, 130), "QUIT"),
)
PAUSE_CELLS = (
    ((0, 212, 98, 260), "RESUME"),
    ((400, 70, 500, 120), "RETRY"),
    ((0, 161, 230, 211), "TITLE"),
    ((500, 70, 600, 120), "QUIT"),
)
# Screen places of the title items (unscaled) and the enlarged selection.
TITLE_POSITIONS = ((270, 200), (270, 300), (270, 400))
TITLE_GROW = 20
PAUSE_POSITIONS = ((270, 70), (270, 170), (200, 270), (270, 370))
PAUSE_GROW = 10

# Ranking picture: digit columns, left edges, best rank rightmost.
RANK_COLUMNS = tuple(370 - 60 * i for i in range(5))
RANK_DIGIT_TOPS = tuple(370 - 34 * k for k in range(5))
DIGIT_W, DIGIT_H = 18, 30
PANEL_EDGE = (20, 95)      # strip of columns that leads the panel as it slides
PANEL_SHOWN_FROM = 95      # at rest the picture shows from this column on
