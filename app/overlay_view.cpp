#include "app/overlay_view.h"

#include <algorithm>

#include "app/demo_run.h"
#include "app/entry_names.h"
#include "app/ghost.h"
#include "app/run_records.h"
#include "app/watch_run.h"
#include "game/game_frame.h"
#include "game/run_state.h"
#include "game/scene_state.h"
#include "platform/policy/settings.h"
#include "platform/overlay/overlay.h"
#include "platform/seam/game_view.h"
#include "scenes/clear_results.h"

namespace {

// Presented frames a note stays: two seconds at the game's 50 frames a second.
constexpr int NOTE_FRAMES = 100;

bool g_classic = false;
std::uint32_t g_playedAt = 0;  // the frame clock of the last frame of play seen
std::uint32_t g_playedMs = 0;
std::string g_note;
int g_noteFrames = 0;

overlay::Screen ScreenOf(int scene) {
    switch (scene) {
        case SCENE_STAGE_INIT:  // the frame of a restart
        case SCENE_PLAY:
        case SCENE_PAUSE_INIT:
        case SCENE_PAUSE:
        case SCENE_CLEAR_INIT:
        case SCENE_CLEAR:
            return overlay::Screen::Play;
        case SCENE_RESULT:
            return overlay::Screen::Results;
        case SCENE_RANKING_INIT:
        case SCENE_RANKING:
            return overlay::Screen::Ranking;
        default:
            return overlay::Screen::Other;
    }
}

// The play time of the last frame of play. As a pause ends the game's play time already
// leaves the pause out while its frame clock still stands at the pause's start, so until
// play moves that clock on it reads a pause's length short.
std::uint32_t PlayedMs(const GameView& game) {
    if (g_frameTime != g_playedAt) {
        g_playedAt = g_frameTime;
        g_playedMs = game.playTimeMs;
    }
    return g_playedMs;
}

void Fill(overlay::View* view) {
    GameView game;
    if (!ReadGameView(&game)) return;
    view->classic = g_classic || RunSettings().classic;
    view->screen = ScreenOf(game.scene);
    const bool clearing = game.scene == SCENE_CLEAR_INIT || game.scene == SCENE_CLEAR;
    // From the clearing frame on, the play time is the clear's (the kill count is reset).
    view->playTimeMs = PlayedMs(game);
    view->score = ScoreOf(view->playTimeMs);
    view->killsLeft = clearing ? 0 : std::max(0, CLEAR_KILLS - game.kills);
    view->bestTimeMs = BestTimeMs();
    view->bestScore = view->bestTimeMs > 0 ? ScoreOf(view->bestTimeMs) : 0;
    // A watched run is shown as it was: the player's ghost stays out of it.
    FillGhost(!view->classic && RunSettings().ghost && !Replaying(), view->playTimeMs, &view->ghost);

    const ClearOutcome& clear = LastClear();
    if (view->screen == overlay::Screen::Results && clear.onResults) {
        view->cleared = true;
        view->newBest = clear.newBest;
        view->place = clear.place;
        view->score = clear.score;
    }
    if (view->screen == overlay::Screen::Ranking && clear.made && clear.score > 0) view->marked = clear.place;
    FillEntryNames(view->screen == overlay::Screen::Ranking && !view->classic, view->entries);

    if (const DemoHeader* watched = WatchedRun()) {
        view->replay = true;
        view->replayOf = overlay::Signature{watched->player, static_cast<std::int64_t>(watched->date)};
    }

    if (g_noteFrames > 0) {
        --g_noteFrames;
        view->note = g_note;
    }
}

}  // namespace

void AskForClassic() {
    g_classic = true;
}

void StartOverlay() {
    LoadBest();
    overlay::SetFeed(Fill);
}

void OverlayKey(int virtualKey) {
    if (virtualKey != 'G' || Replaying() || ScreenOf(g_scene) != overlay::Screen::Play) return;
    Settings& settings = RunSettings();
    settings.ghost = !settings.ghost;
    SaveSettings(settings);
    ShowOverlayNote(settings.ghost ? "Ghost on" : "Ghost off");
}

void ShowOverlayNote(const std::string& note) {
    g_note = note;
    g_noteFrames = NOTE_FRAMES;
}
