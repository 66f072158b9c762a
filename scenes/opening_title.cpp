#include "scenes/opening_title.h"

#include "game/scene_state.h"
#include "gfx/blit.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "scenes/menu.h"

int g_openingFrames = 0;
int g_titleSel = 0;

namespace {

constexpr int OPENING_LAST_FRAME = 74;
constexpr int TITLE_ITEM_COUNT = 3;
constexpr int TITLE_HIGHLIGHT_GROW = 20;

// Start, ranking, quit.
constexpr MenuItem TITLE_ITEMS[TITLE_ITEM_COUNT] = {
    {{0, 66, 100, 130}, 270, 200},
    {{200, 66, 300, 130}, 270, 300},
    {{300, 66, 400, 130}, 270, 400},
};

constexpr int TITLE_TARGETS[TITLE_ITEM_COUNT] = {SCENE_STAGE_INIT, SCENE_RANKING_INIT, SCENE_QUIT_INIT};

void DrawWholePicture(IDirectDrawSurface* source) {
    RECT whole{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
    g_back->BltFast(0, 0, source, &whole, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
}

}  // namespace

void OpeningInit() {
    LoadBitmapToSurface(g_offscreen1, "bmp\\OP.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    g_scene = SCENE_OPENING;
}

void OpeningFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    DrawWholePicture(g_offscreen1);
    HorizontalBlinds(g_back, 0);
    if (g_openingFrames >= OPENING_LAST_FRAME) {
        ResetTransitions();
        g_scene = SCENE_TITLE_INIT;
    }
    g_openingFrames += 1;
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}

void TitleInit() {
    LoadBitmapToSurface(g_offscreen3, "bmp\\OP.bmp");
    LoadBitmapToSurface(g_offscreen2, "bmp\\ets.bmp");
    // Loaded last, so its palette is the one on screen.
    LoadBitmapToSurface(g_offscreen1, "bmp\\Title\\Title.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    g_scene = SCENE_TITLE;
}

void TitleFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    DrawWholePicture(g_offscreen1);
    // The plain items use the selection from before this frame's keys, the highlight the
    // one after them.
    DrawPlainMenuItems(TITLE_ITEMS, TITLE_ITEM_COUNT, g_titleSel);

    const bool up = IsKeyDown(VK_UP);
    const bool down = IsKeyDown(VK_DOWN);
    const bool pick = IsKeyDown('Z');
    if (up && g_keyLatch == 0) {
        g_titleSel -= 1;
        g_keyLatch = 1;
    }
    if (down && g_keyLatch == 0) {
        g_titleSel += 1;
        g_keyLatch = 1;
    }
    if (g_titleSel > TITLE_ITEM_COUNT - 1) g_titleSel = TITLE_ITEM_COUNT - 1;
    if (g_titleSel < 0) g_titleSel = 0;
    if (pick && g_keyLatch == 0) {
        g_keyLatch = 1;
        g_scene = TITLE_TARGETS[g_titleSel];
        ResetTransitions();
    }
    if (!pick && !down && !up) g_keyLatch = 0;

    DrawHighlightedMenuItem(TITLE_ITEMS[g_titleSel], TITLE_HIGHLIGHT_GROW);
    DrawFps();
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}
