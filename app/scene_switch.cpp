#include "app/scene_switch.h"

#include <iterator>
#include <string>

#include "app/main.h"
#include "game/game_frame.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "platform/mmsystem.h"
#include "scenes/clear_results.h"
#include "scenes/ending_quit.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"
#include "scenes/ranking.h"

namespace {

struct Scene {
    int id;
    const char* name;
    void (*handler)();
    const char* afterEveryCall[3];  // music sent after each call of the handler, in order
    const char* onPieceEnded;       // sent again when a piece has played to its end
};

// Every scene by its number. Each "start" scene sets its scene up and moves on to the one
// after it, which runs once a frame.
constexpr Scene SCENES[] = {
    {SCENE_OPENING_INIT, "opening start", OpeningInit, {}, nullptr},
    {SCENE_OPENING, "opening", OpeningFrame, {}, nullptr},
    {SCENE_TITLE_INIT, "title start", TitleInit, {"Stop OPT01", "Stop RAN01", "Play OPE01 from 0 notify"}, nullptr},
    {SCENE_TITLE, "title", TitleFrame, {}, "Play OPE01 from 0 notify"},
    {SCENE_STAGE_INIT, "stage load", LoadStage, {"Stop OPE01", "Stop GAM01", "Play BAT03 from 0 notify"}, nullptr},
    {SCENE_PLAY, "play", GameFrame, {}, "Play BAT03 from 0 notify"},
    {SCENE_RANKING_INIT, "ranking start", RankingInit, {"Stop OPE01", "Play RAN01 from 0 notify"}, nullptr},
    {SCENE_RANKING, "ranking", RankingFrame, {}, "Play RAN01 from 0 notify"},
    {SCENE_QUIT_INIT, "quit start", QuitInit, {"Stop BAT03", "Play END01 from 0 notify"}, nullptr},
    {SCENE_QUIT, "quit", QuitFrame, {}, "Play END01 from 0 notify"},
    {SCENE_PAUSE_INIT, "pause start", PauseInit, {"Stop BAT03", "Play GAM01 from 0 notify"}, nullptr},
    {SCENE_PAUSE, "pause", PauseFrame, {}, "Play GAM01 from 0 notify"},
    {SCENE_CLEAR_INIT, "clear start", ClearInit, {}, nullptr},
    {SCENE_CLEAR, "clear", ClearFrame, {}, nullptr},
    {SCENE_RESULT_INIT, "results start", ResultInit, {"Stop BAT03"}, nullptr},
    {SCENE_RESULT, "results", ResultFrame, {}, nullptr},
    {SCENE_ENDING_INIT, "ending start", EndingInit, {}, nullptr},
    {SCENE_ENDING, "ending", EndingFrame, {}, nullptr},
};

constexpr bool NumberedInOrder() {
    for (int i = 0; i < static_cast<int>(std::size(SCENES)); ++i) {
        if (SCENES[i].id != SCENES[0].id + i) return false;
    }
    return true;
}
static_assert(NumberedInOrder(), "a scene's row is found by its number");

const Scene* Find(int scene) {
    const int index = scene - SCENES[0].id;
    if (index < 0 || index >= static_cast<int>(std::size(SCENES))) return nullptr;
    return &SCENES[index];
}

// Resume from the pause menu goes back to the battle piece with the commands the stage's
// start sends; the table alone would leave the pause piece playing on through the fight.
constexpr const char* RESUME_MUSIC[] = {"Stop GAM01", "Play BAT03 from 0 notify"};

// The piece whose end the window waits to hear of: played with notify, neither stopped
// nor ended since. A run's start carries it over.
std::string g_awaitedPiece;

// Play commands name the window as callback, so the end of the piece comes back as a
// message; stop commands ask for nothing.
void SendMusicCommand(const char* command) {
    const bool isPlay = (command[0] == 'P');
    // "Play ALIAS from 0 notify", "Stop ALIAS"
    const std::string words(command);
    const std::string alias = words.substr(5, words.find(' ', 5) - 5);
    if (isPlay) {
        g_awaitedPiece = alias;
    } else if (alias == g_awaitedPiece) {
        g_awaitedPiece.clear();
    }
    mciSendStringA(command, nullptr, 0, isPlay ? g_hwnd : nullptr);
}

}  // namespace

void RunScene(const MSG& lastFetched) {
    // The scene that chose the handler also chooses the music, even when the handler
    // has just moved on to another scene.
    const Scene* scene = Find(g_scene);
    if (scene == nullptr) return;
    scene->handler();
    for (const char* command : scene->afterEveryCall) {
        if (command != nullptr) SendMusicCommand(command);
    }
    if (scene->onPieceEnded != nullptr && lastFetched.message == MM_MCINOTIFY &&
        lastFetched.wParam == MCI_NOTIFY_SUCCESSFUL) {
        SendMusicCommand(scene->onPieceEnded);
    }
    if (scene->id == SCENE_PAUSE && g_scene == SCENE_PLAY) {
        for (const char* command : RESUME_MUSIC) SendMusicCommand(command);
    }
}

const std::string& AwaitedPiece() { return g_awaitedPiece; }

void AwaitPiece(const std::string& alias) {
    SendMusicCommand(("Play " + alias + " from 0 notify").c_str());
}

void PieceEnded() { g_awaitedPiece.clear(); }

void StopAwaitedPiece() {
    if (!g_awaitedPiece.empty()) SendMusicCommand(("Stop " + g_awaitedPiece).c_str());
}

const char* SceneName(int scene) {
    const Scene* found = Find(scene);
    return found != nullptr ? found->name : "none";
}
