#include "scenes/ending_quit.h"

#include "game/scene_state.h"
#include "game/teardown.h"
#include "gfx/blit.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"

int g_endReveal = 0;
int g_endScroll = 0;
int g_endExit = 0;

namespace {

constexpr int END_STEP = 20;
constexpr int END_LAST_SCROLL = 1520;  // the picture's last 480 rows fill the screen

}  // namespace

void EndingInit() {
    LoadBitmapToSurface(g_offscreen3, "bmp\\Endhing.bmp");
    ColorFill(g_back, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    ColorFill(g_primary, RECT{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}, 0);
    // Every ending scrolls in full, not only the first of a run.
    g_endReveal = 0;
    g_endScroll = 0;
    g_endExit = 0;
    g_scene = SCENE_ENDING;
}

void EndingFrame() {
    if (FrameGate(FRAME_PERIOD_MS)) return;
    // The window of picture rows shown; as a screen rectangle it is only inside the
    // buffer while the picture rises, so the fill does nothing once it scrolls.
    RECT window{0, g_endScroll + g_endExit, SCREEN_WIDTH, g_endReveal + g_endScroll};
    ColorFill(g_back, window, 0);
    g_back->BltFast(0, SCREEN_HEIGHT - g_endReveal, g_offscreen3, &window, DDBLTFAST_NOCOLORKEY);
    g_endReveal += END_STEP;
    if (g_endReveal > SCREEN_HEIGHT) {
        g_endScroll += END_STEP;
        g_endReveal = SCREEN_HEIGHT;
    }
    if (g_endScroll > END_LAST_SCROLL) {
        g_endScroll = END_LAST_SCROLL;
        g_endExit += END_STEP;
    }
    if (g_endExit > SCREEN_HEIGHT) {
        g_endExit = SCREEN_HEIGHT;
        g_scene = SCENE_TITLE_INIT;
    }
    g_primary->Flip(nullptr, DDFLIP_WAIT);
}

void QuitInit() { g_scene = SCENE_QUIT; }

void QuitFrame() { TearDown(); }
