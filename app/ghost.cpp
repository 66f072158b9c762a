#include "app/ghost.h"

#include <cstdint>
#include <string>
#include <utility>

#include "app/demo_run.h"
#include "app/ghost_track.h"
#include "app/run_records.h"
#include "game/game_frame.h"
#include "game/movement.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/surfaces.h"
#include "platform/ddraw.h"
#include "platform/host/files.h"

namespace {

GhostTrack g_track;
bool g_trackRead = false;
std::uint32_t g_trackOf = 0;  // the best time the track was read for

// The game at the last present.
struct Presented {
    bool seen = false;
    POINT camera{};
    std::uint32_t stageStart = 0;
    std::uint32_t playTimeMs = 0;
};
Presented g_before;

// The best run's track or, before any clear (a fresh install), first place's run: a ghost
// to race from the first day. A best whose demo is missing, damaged or of another run has
// no ghost.
void ReadTrack() {
    g_trackRead = true;
    g_trackOf = BestTimeMs();
    g_track = GhostTrack{};
    Demo demo;
    std::string why;
    const bool read = g_trackOf == 0 ? ReadPlaceDemo(0, &demo)
                                     : ReadDemoFile(ResolvePath(BEST_DEMO_PATH), &demo, &why);
    if (!read || !ReadGhostTrack(demo, &g_track) || (g_trackOf != 0 && g_track.clearMs != g_trackOf)) {
        g_track = GhostTrack{};
    }
}

}  // namespace

void FillGhost(bool wanted, std::uint32_t playTimeMs, overlay::Ghost* ghost) {
    const Presented before = g_before;
    g_before = Presented{true, g_camera, g_stageStart, playTimeMs};
    if (!wanted || g_scene != SCENE_PLAY || !before.seen) return;
    if (!g_trackRead || g_trackOf != BestTimeMs()) ReadTrack();
    // A play frame draws the world before it moves, so its picture shows the hero as the
    // run's previous frame left him (at the stage's start on its first), at the camera
    // of then: the ghost is placed for that moment too, and meets the hero on the same
    // route at the same pace.
    const std::uint32_t shownMs = before.stageStart == g_stageStart ? before.playTimeMs : 0;
    const GhostPoint* point = GhostAt(g_track, shownMs);
    if (point == nullptr || g_offscreen2 == nullptr) return;
    const RECT cell = HeroCell(point->dir, point->anim, point->attack);
    const IDirectDrawSurface& sheet = std::as_const(*g_offscreen2);
    if (cell.right > sheet.Width() || cell.bottom > sheet.Height()) return;
    ghost->shown = true;
    ghost->left = point->x - before.camera.x - SPRITE_HALF;
    ghost->top = point->y - before.camera.y - SPRITE_HALF;
    ghost->cell = sheet.Pixels() + cell.top * sheet.Width() + cell.left;
    ghost->pitch = sheet.Width();
    ghost->palette = ScreenPalette();
    ghost->key = static_cast<std::uint8_t>(KEY_COLOR_INDEX);
}
