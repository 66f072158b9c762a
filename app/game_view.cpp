// Reads the game's globals into the plain view (platform/seam/game_view.h): what runs
// below the game learns of it only through this.
#include "app/game_view.h"

#include <algorithm>

#include "game/game_frame.h"
#include "game/movement.h"
#include "game/random.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/frame_pacing.h"
#include "gfx/transitions.h"
#include "records/numbers.h"
#include "scenes/clear_results.h"
#include "scenes/ending_quit.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"

namespace {

ActorView ViewOf(const Actor& actor) {
    return ActorView{actor.x, actor.y, actor.dir, actor.anim, actor.attack, actor.state, actor.hp};
}

}  // namespace

void FillGameView(GameView* view) {
    view->scene = g_scene;
    view->playTimeMs = PlayTime();
    view->kills = g_killCount;
    view->hero = ViewOf(g_player);
    for (int i = 0; i < GAME_VIEW_ENEMIES; ++i) view->enemies[i] = ViewOf(g_enemies[i]);
    std::copy(std::begin(g_ranking), std::end(g_ranking), view->ranking);
    const std::int64_t counters[] = {
        g_frameTime,      g_stageStart,     g_pauseStart,    g_pauseEnd,       g_pauseTotal,  g_clearTime,
        g_randomState,    g_keyLatch,       g_camera.x,      g_camera.y,       g_moveRequest, g_clearRadius,
        g_clearStep,      g_countUpPercent, g_countUpDone,   g_resultsAfterClear, g_endReveal, g_endScroll,
        g_endExit,        g_openingFrames,  g_titleSel,      g_pauseSel,       g_pauseKeyLatch, g_wipeStep,
        g_slideOffset,    g_frameLast,      g_fpsFrames,     g_fpsLast,
    };
    static_assert(std::size(counters) <= GameView::COUNTERS);
    std::copy(std::begin(counters), std::end(counters), view->counters);
}
