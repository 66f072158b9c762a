#include "scenes/ranking.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "game/scene_state.h"
#include "gfx/blit.h"
#include "gfx/digits.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/gdi.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"
#include "records/ranking_save.h"

namespace {

// Entry i is a column at x = 370 - 60 i, read top to bottom: the units digit at y = 370,
// each further digit 34 pixels higher.
constexpr int FIRST_COLUMN_X = 370;
constexpr int COLUMN_STEP = -60;
constexpr int UNITS_Y = 370;
constexpr int DIGIT_STEP = -34;
constexpr int FAILURE_LINE_HEIGHT = 16;

// Z watches first place's run, 1 to 5 that place's, on a fresh press only: the Z that
// chose the ranking in the title is still held when it opens.
constexpr int WATCH_KEYS[] = {'Z', '1', '2', '3', '4', '5'};
bool g_watchKeysHeld[std::size(WATCH_KEYS)] = {};
// S sends first place's run to the world ranking, likewise on a fresh press.
bool g_sendKeyHeld = true;

// A score that could not be saved is not kept past this run, and a ranking file set aside
// is no longer shown: the player is told. A save that waited may end while this shows.
void ShowSaveFailure() {
    CollectWaitingSave();
    HDC dc = nullptr;
    if (g_saveFailure[0] == '\0' || g_back->GetDC(&dc) != DD_OK) return;
    TextOutA(dc, 0, SCREEN_HEIGHT - FAILURE_LINE_HEIGHT, g_saveFailure,
             static_cast<int>(std::strlen(g_saveFailure)));
    g_back->ReleaseDC(dc);
}

}  // namespace

void RankingInit() {
    ColorFill(g_offscreen3, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    LoadBitmapToSurface(g_offscreen1, "bmp\\Ranking\\RankingBack.bmp");
    LoadBitmapToSurface(g_offscreen2, "bmp\\Ranking\\Ranking.bmp");
    // Loaded last, so the character sheet's palette is the one on screen.
    LoadBitmapToSurface(g_offscreen3, "bmp\\Char\\My_char.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    g_scene = SCENE_RANKING;
    std::fill(std::begin(g_watchKeysHeld), std::end(g_watchKeysHeld), true);
    g_sendKeyHeld = true;
    for (int entry = 0; entry < RANKING_SIZE; ++entry) {
        DrawNumberFiveDigits(g_ranking[entry], g_offscreen3, g_offscreen2,
                             FIRST_COLUMN_X + COLUMN_STEP * entry, UNITS_Y, 0, DIGIT_STEP,
                             DDBLTFAST_SRCCOLORKEY);
    }
}

void RankingFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_back->BltFast(0, 0, g_offscreen1, &whole, DDBLTFAST_NOCOLORKEY);
    SlidePanel(g_back, g_offscreen2);
    VerticalBlinds(g_back);
    ShowSaveFailure();
    for (std::size_t key = 0; key < std::size(WATCH_KEYS); ++key) {
        const bool down = IsKeyDown(WATCH_KEYS[key]);
        const int place = key == 0 ? 0 : static_cast<int>(key) - 1;
        if (down && !g_watchKeysHeld[key]) WatchPlace(place, "txt\\Ranking\\Ranking.txt");
        g_watchKeysHeld[key] = down;
    }
    const bool sendKey = IsKeyDown('S');
    if (sendKey && !g_sendKeyHeld) SendBestRun("txt\\Ranking\\Ranking.txt");
    g_sendKeyHeld = sendKey;
    if (IsKeyDown('X')) {
        g_scene = SCENE_TITLE_INIT;
        ResetTransitions();
    }
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}
