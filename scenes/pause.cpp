#include "scenes/pause.h"

#include "game/run_state.h"
#include "game/scene_state.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "platform/mmsystem.h"
#include "scenes/menu.h"

std::int8_t g_pauseSel = 0;
int g_pauseKeyLatch = 0;
const int PAUSE_TARGETS[4] = {SCENE_PLAY, SCENE_STAGE_INIT, SCENE_TITLE_INIT, SCENE_QUIT_INIT};

namespace {

constexpr int PAUSE_ITEM_COUNT = 4;
constexpr int PAUSE_HIGHLIGHT_GROW = 10;

constexpr MenuItem PAUSE_ITEMS[PAUSE_ITEM_COUNT] = {
    {{0, 212, 98, 260}, 270, 70},
    {{400, 70, 500, 120}, 270, 170},
    {{0, 161, 230, 211}, 200, 270},
    {{500, 70, 600, 120}, 270, 370},
};

void PickItem() {
    g_scene = PAUSE_TARGETS[g_pauseSel];
    // The character sheet play draws from goes back in place.
    LoadBitmapToSurface(g_offscreen2, "bmp\\Char\\My_char.bmp");
    g_pauseEnd = timeGetTime();
    g_pauseTotal += g_pauseEnd - g_pauseStart;
    // The next scene sees Z as already held.
    g_keyLatch = 1;
    g_pauseSel = 0;
}

}  // namespace

void PauseInit() {
    // After the flip of the last play frame the back buffer holds the frame before it.
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_offscreen4->BltFast(0, 0, g_back, &whole, DDBLTFAST_NOCOLORKEY);
    LoadBitmapToSurface(g_offscreen2, "bmp\\ets.bmp");
    g_scene = SCENE_PAUSE;
    g_pauseStart = timeGetTime();
}

void PauseFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_back->BltFast(0, 0, g_offscreen4, &whole, DDBLTFAST_NOCOLORKEY);
    DrawPlainMenuItems(PAUSE_ITEMS, PAUSE_ITEM_COUNT, g_pauseSel);
    DrawHighlightedMenuItem(PAUSE_ITEMS[g_pauseSel], PAUSE_HIGHLIGHT_GROW);

    const bool up = IsKeyDown(VK_UP);
    const bool down = IsKeyDown(VK_DOWN);
    if (g_pauseKeyLatch == 0) {
        // Both keys are read in the same frame: together they cancel out.
        if (up) {
            g_pauseSel -= 1;
            g_pauseKeyLatch = 1;
        }
        if (down) {
            g_pauseSel += 1;
            g_pauseKeyLatch = 1;
        }
    }
    if (!down && !up) g_pauseKeyLatch = 0;
    if (g_pauseSel > PAUSE_ITEM_COUNT - 1) g_pauseSel = PAUSE_ITEM_COUNT - 1;
    if (g_pauseSel < 0) g_pauseSel = 0;
    if (IsKeyDown('Z')) PickItem();

    g_primary->Flip(nullptr, DDFLIP_WAIT);
}
