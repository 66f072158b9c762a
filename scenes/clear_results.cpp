#include "scenes/clear_results.h"

#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/blit.h"
#include "gfx/digits.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"
#include "records/ranking_save.h"

int g_clearRadius = 0;
int g_clearStep = 10;
int g_countUpPercent = 0;
std::int8_t g_countUpDone = 0;
bool g_resultsAfterClear = false;

namespace {

constexpr int CLEAR_MAX_RADIUS = 320;
constexpr int FIGURE_UNITS_X = 480;
constexpr int DIGIT_STEP = -34;
constexpr DWORD KEYED = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT;

struct ResultRow {
    RECT caption;  // on the character sheet
    int y;         // caption and figure row
};

// Par time, your time, score.
constexpr ResultRow RESULT_ROWS[3] = {
    {{200, 260, 260, 290}, 100},
    {{263, 260, 325, 290}, 200},
    {{327, 260, 384, 290}, 300},
};
constexpr int RESULT_CAPTION_X = 200;

void DrawFigure(std::int64_t value, IDirectDrawSurface* destination, int row) {
    DrawNumberUntilZero(value, g_offscreen1, destination, FIGURE_UNITS_X, RESULT_ROWS[row].y,
                        DIGIT_STEP, 0, KEYED);
}

}  // namespace

std::uint32_t ScoreOf(std::uint32_t playTimeMs) {
    // A run slower than the par time scores 0, never a negative number.
    const std::int64_t score = SCORE_BASE - static_cast<std::int64_t>(playTimeMs);
    return static_cast<std::uint32_t>(score > 0 ? score : 0);
}

void ClearInit() {
    // After the flip of the clearing frame the back buffer holds the frame before it.
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_offscreen1->BltFast(0, 0, g_back, &whole, DDBLTFAST_NOCOLORKEY);
    // Every clear opens and closes its circle in full.
    g_clearRadius = 0;
    g_clearStep = 10;
    g_resultsAfterClear = true;
    g_scene = SCENE_CLEAR;
}

void ClearFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_back->BltFast(0, 0, g_offscreen1, &whole, DDBLTFAST_NOCOLORKEY);
    DrawCircle(g_back, g_offscreen4, g_player.x, g_player.y, g_clearRadius, g_keyBrush);
    g_clearRadius += g_clearStep;
    if (g_clearRadius >= CLEAR_MAX_RADIUS) {
        g_clearRadius = CLEAR_MAX_RADIUS;
        g_clearStep = -2 * g_clearStep;
    }
    if (g_clearRadius < 0) g_scene = SCENE_RESULT_INIT;
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}

void ResultInit() {
    // The last clear frame stays on screen for a second.
    if (FrameGate(1000)) return;
    LoadBitmapToSurface(g_offscreen1, "bmp\\Char\\My_Char.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 243);
    ColorFill(g_offscreen4, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 255);
    g_scene = SCENE_RESULT;

    const std::int64_t figures[3] = {SCORE_BASE, static_cast<std::int32_t>(g_clearTime), 0};
    for (int row = 0; row < 3; ++row) {
        RECT caption = RESULT_ROWS[row].caption;
        g_offscreen4->BltFast(RESULT_CAPTION_X, RESULT_ROWS[row].y, g_offscreen1, &caption, KEYED);
        DrawFigure(figures[row], g_offscreen4, row);
    }

    const std::uint32_t playTime = g_clearTime;
    g_clearTime = ScoreOf(playTime);
    // Results reached by the A shortcut show their figures but enter nothing: nobody
    // played for that score, and the next save would keep it for good.
    if (g_resultsAfterClear) {
        // A demo of the run carries its outcome, which a replay must reach again.
        if (g_runKeeping.cleared != nullptr) g_runKeeping.cleared(playTime, g_clearTime);
        // Entered here first, so the ranking shows the score even when the save fails; a
        // save that works replaces the table with what the file now holds.
        EnterScore(g_ranking, g_clearTime);
        SortDescending(RANKING_CANDIDATE + 1, g_ranking);
        SaveScore(g_clearTime, "txt\\Ranking\\Ranking.txt");
        g_resultsAfterClear = false;
    }
}

void ResultFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_back->BltFast(0, 0, g_offscreen4, &whole, KEYED);
    // Counted before it is shown: 1 % to 100 %, so the last frame shows the whole score
    // that the ranking holds.
    g_countUpPercent += 1;
    if (g_countUpPercent >= 100) {
        g_countUpDone += 1;
        g_countUpPercent = 100;
    }
    const std::int64_t shown = static_cast<std::int64_t>(g_clearTime) * g_countUpPercent / 100;
    DrawFigure(shown, g_back, 2);
    if (g_countUpDone >= 1) {
        g_scene = SCENE_ENDING_INIT;
        g_countUpDone = 0;
        g_countUpPercent = 0;
    }
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}
