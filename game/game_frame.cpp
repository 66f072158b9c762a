#include "game/game_frame.h"

#include "game/combat.h"
#include "game/movement.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/blit.h"
#include "gfx/digits.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "platform/mmsystem.h"

int g_moveRequest;

namespace {

constexpr DWORD BACKGROUND_COLOR = 243;
constexpr int VIEW_TILE_COLS = 8;
constexpr int VIEW_TILE_ROWS = 9;
constexpr int TILE_SHEET_COLS = 10;
// Codes from here up (and below 0) lie off the 640x480 tile sheet, whose copy the device
// would refuse; skipping them also keeps the source arithmetic in range.
constexpr int TILE_CODE_LIMIT = 70;
constexpr int HERO_SWORD_LEFT = 192;
constexpr int HERO_SWORD_FRAMES_PER_COLUMN = 5;
constexpr int MASK_RADIUS = 128;

constexpr int KEY_SWORD = 'Z';
constexpr int KEY_PAUSE = 'X';
constexpr int KEY_RESTART = 'C';
constexpr int KEY_RESULTS = 'A';

constexpr int OVERVIEW_X = 560;
constexpr int OVERVIEW_Y = 120;
constexpr int OVERVIEW_CELL = 4;
constexpr int SPECIAL_TILE = 99;
constexpr RECT OVERVIEW_CELL_RECT = {183, 260, 187, 264};
constexpr RECT OVERVIEW_SPECIAL_RECT = {187, 260, 191, 264};
constexpr RECT OVERVIEW_ENEMY_RECT = {195, 260, 199, 264};
constexpr RECT OVERVIEW_HERO_RECT = {203, 260, 207, 264};
constexpr RECT OVERVIEW_AREA = {OVERVIEW_X, OVERVIEW_Y, SCREEN_WIDTH, 180};

constexpr int COUNTDOWN_X = 600;
constexpr int COUNTDOWN_STEP = -17;

// Positions on g_back are passed to the device unclipped; a negative one becomes a huge
// unsigned value, and the device refuses the copy.
void PlainBltFast(IDirectDrawSurface* destination, int x, int y, IDirectDrawSurface* source,
                  RECT rect, DWORD flags) {
    destination->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &rect, flags);
}

void DrawTiles() {
    const int tx = g_camera.x / TILE_SIZE;
    const int ty = g_camera.y / TILE_SIZE;
    const int ox = g_camera.x % TILE_SIZE;
    const int oy = g_camera.y % TILE_SIZE;
    for (int i = 0; i < VIEW_TILE_ROWS; ++i) {
        if (ty + i >= MAP_ROWS) continue;
        for (int j = 0; j < VIEW_TILE_COLS; ++j) {
            const std::int32_t code = g_map[ty + i][tx + j];
            if (code < 0 || code >= TILE_CODE_LIMIT) continue;
            const LONG left = (code % TILE_SHEET_COLS) * TILE_SIZE;
            const LONG top = (code / TILE_SHEET_COLS) * TILE_SIZE;
            BltFastClipped(g_back, j * TILE_SIZE - ox, i * TILE_SIZE - oy, g_offscreen1,
                           RECT{left, top, left + TILE_SIZE, top + TILE_SIZE},
                           DDBLTFAST_SRCCOLORKEY);
        }
    }
}

void DrawHero() {
    PlainBltFast(g_back, g_player.x - g_camera.x - SPRITE_HALF,
                 g_player.y - g_camera.y - SPRITE_HALF, g_offscreen2,
                 HeroCell(g_player.dir, g_player.anim, g_player.attack),
                 DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

void DrawEnemies() {
    for (const Actor& enemy : g_enemies) {
        if (enemy.state < ACTOR_KILLED) continue;
        RECT cell;
        SpriteRect(enemy.sprite, enemy.dir, AnimColumn(enemy.anim), &cell);
        BltFastClipped(g_back, enemy.x - g_camera.x - SPRITE_HALF,
                       enemy.y - g_camera.y - SPRITE_HALF, g_offscreen3, cell,
                       DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
}

// With several arrows held the last in the order up, down, left, right wins.
void ReadArrowKeys() {
    if (g_player.attack != 0) return;
    if (IsKeyDown(VK_UP)) {
        g_moveRequest = 1;
        g_player.dir = DIR_UP;
    }
    if (IsKeyDown(VK_DOWN)) {
        g_moveRequest = 1;
        g_player.dir = DIR_DOWN;
    }
    if (IsKeyDown(VK_LEFT)) {
        g_moveRequest = 1;
        g_player.dir = DIR_LEFT;
    }
    if (IsKeyDown(VK_RIGHT)) {
        g_moveRequest = 1;
        g_player.dir = DIR_RIGHT;
    }
}

// A new swing needs Z released since the last one (or since a menu left the latch set).
void ReadSwordKey() {
    if (IsKeyDown(KEY_SWORD)) {
        if (g_player.attack == 0 && g_keyLatch == 0) {
            g_player.attack = SWING_START;
            PlayEffect(SOUND_SWING);
        }
        g_keyLatch = 1;
    }
    if (!IsKeyDown(KEY_SWORD)) g_keyLatch = 0;
}

// X, C and A act while held; the later one wins when several are.
void ReadSceneKeys() {
    if (IsKeyDown(KEY_PAUSE)) {
        g_scene = SCENE_PAUSE_INIT;
        g_keyLatch = 1;
    }
    if (IsKeyDown(KEY_RESTART)) {
        LoadStage();
        g_scene = SCENE_STAGE_INIT;
        g_keyLatch = 1;
    }
    if (IsKeyDown(KEY_RESULTS)) g_scene = SCENE_RESULT_INIT;
}

void AdvanceSwing() {
    if (g_player.attack == 0) return;
    g_player.attack += 1;
    if (g_player.attack == SWING_END) g_player.attack = 0;
}

// Standing still shows walking column 0.
void MoveHero() {
    if (g_moveRequest != 0) {
        StepActor(g_player);
        CollideWithMap(g_player.x, g_player.y, g_player.dx, g_player.dy);
    } else {
        g_player.anim = 1;
    }
    g_moveRequest = 0;
    g_player.dy = 0;
    g_player.dx = 0;
}

// The last frame of the stage: the hero's position becomes its place on the screen,
// where the closing circle centres.
void ClearStage() {
    g_scene = SCENE_CLEAR_INIT;
    g_clearTime = PlayTime();
    g_killCount = 0;
    g_player.x -= g_camera.x;
    g_player.y -= g_camera.y;
}

// The whole map at 4 px a tile with enemy and hero dots, composed on the work surface
// (which the mask has just used) and copied over the mask.
void DrawOverview() {
    for (int i = 0; i < MAP_ROWS; ++i) {
        for (int j = 0; j < MAP_COLS; ++j) {
            PlainBltFast(g_offscreen4, OVERVIEW_X + OVERVIEW_CELL * j,
                         OVERVIEW_Y + OVERVIEW_CELL * i, g_offscreen2,
                         g_map[i][j] == SPECIAL_TILE ? OVERVIEW_SPECIAL_RECT : OVERVIEW_CELL_RECT,
                         0);
        }
    }
    for (const Actor& enemy : g_enemies) {
        if (enemy.state < ACTOR_KILLED) continue;
        PlainBltFast(g_offscreen4, OVERVIEW_X + (enemy.x / TILE_SIZE) * OVERVIEW_CELL,
                     OVERVIEW_Y + (enemy.y / TILE_SIZE) * OVERVIEW_CELL, g_offscreen2,
                     OVERVIEW_ENEMY_RECT, 0);
    }
    PlainBltFast(g_offscreen4, OVERVIEW_X + (g_player.x / TILE_SIZE) * OVERVIEW_CELL,
                 OVERVIEW_Y + (g_player.y / TILE_SIZE) * OVERVIEW_CELL, g_offscreen2,
                 OVERVIEW_HERO_RECT, 0);
    PlainBltFast(g_back, OVERVIEW_X, OVERVIEW_Y, g_offscreen4, OVERVIEW_AREA, 0);
}

// Milliseconds left of the allowance; stops at 0 instead of wrapping, and shows that 0
// (the digit rule alone would draw nothing for it, as if the countdown had gone).
void DrawCountdown() {
    const std::uint32_t played = PlayTime();
    const std::uint32_t left = played < TIME_ALLOWANCE ? TIME_ALLOWANCE - played : 0;
    if (left == 0) {
        PlainBltFast(g_back, COUNTDOWN_X, 0, g_offscreen2, g_digitRects[0], 0);
        return;
    }
    DrawNumberUntilZero(left, g_offscreen2, g_back, COUNTDOWN_X, 0, COUNTDOWN_STEP, 0, 0);
}

}  // namespace

// Walking frames in columns 0 to 2, sword frames in 3 to 5.
RECT HeroCell(std::uint8_t dir, std::uint8_t anim, std::uint8_t attack) {
    const LONG left = attack == 0 ? AnimColumn(anim) * TILE_SIZE
                                  : HERO_SWORD_LEFT + (attack / HERO_SWORD_FRAMES_PER_COLUMN) * TILE_SIZE;
    const LONG top = dir * TILE_SIZE;
    return RECT{left, top, left + TILE_SIZE, top + TILE_SIZE};
}

// Everything drawn before the keys are read shows the previous frame's positions.
void GameFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;

    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, BACKGROUND_COLOR);
    DrawTiles();
    DrawHero();
    DrawEnemies();

    ReadArrowKeys();
    ReadSwordKey();
    ReadSceneKeys();

    AdvanceSwing();
    MoveHero();
    WanderEnemies();
    UpdateCamera(g_player.x, g_player.y);
    g_frameTime = timeGetTime();
    AdvanceBreakUps();
    if (g_player.attack >= SWING_START) SwordPass();

    if (g_killCount >= CLEAR_KILLS) {
        ClearStage();
    } else {
        DrawCircle(g_back, g_offscreen4, g_player.x - g_camera.x, g_player.y - g_camera.y,
                   MASK_RADIUS, g_keyBrush);
        DrawOverview();
    }
    DrawCountdown();

    DrawFps();
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}
