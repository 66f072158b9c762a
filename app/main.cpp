#include "app/main.h"

#include "app/window_proc.h"
#include "game/game_frame.h"
#include "game/random.h"
#include "game/scene_state.h"
#include "game/stage.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/backend.h"
#include "platform/ddraw.h"
#include "platform/demo/demo.h"
#include "platform/gdi.h"
#include "platform/mmsystem.h"
#include "records/numbers.h"
#include "records/ranking_save.h"
#include "scenes/clear_results.h"
#include "scenes/ending_quit.h"
#include "scenes/opening_title.h"
#include "scenes/pause.h"
#include "scenes/ranking.h"

HWND g_hwnd = nullptr;

namespace {

// The loop's message record: it keeps the last message fetched, which the music check
// reads after every handler call.
MSG g_msg{};

using SceneHandler = void (*)();

// Indexed by scene + 2, from SCENE_OPENING_INIT to SCENE_ENDING.
constexpr SceneHandler SCENE_HANDLERS[] = {
    OpeningInit, OpeningFrame, TitleInit,   TitleFrame, LoadStage,  GameFrame,
    RankingInit, RankingFrame, QuitInit,    QuitFrame,  PauseInit,  PauseFrame,
    ClearInit,   ClearFrame,   ResultInit,  ResultFrame, EndingInit, EndingFrame,
};

struct SceneMusic {
    const char* afterEveryCall[3];  // sent after each call of the handler, in order
    const char* onPieceEnded;       // sent again when a piece has played to its end
};

constexpr SceneMusic MUSIC_TABLE[] = {
    {{}, nullptr},                                                                   // -2
    {{}, nullptr},                                                                   // -1
    {{"Stop OPT01", "Stop RAN01", "Play OPE01 from 0 notify"}, nullptr},             // 0
    {{}, "Play OPE01 from 0 notify"},                                                // 1
    {{"Stop OPE01", "Stop GAM01", "Play BAT03 from 0 notify"}, nullptr},             // 2
    {{}, "Play BAT03 from 0 notify"},                                                // 3
    {{"Stop OPE01", "Play RAN01 from 0 notify"}, nullptr},                           // 4
    {{}, "Play RAN01 from 0 notify"},                                                // 5
    {{"Stop BAT03", "Play END01 from 0 notify"}, nullptr},                           // 6
    {{}, "Play END01 from 0 notify"},                                                // 7
    {{"Stop BAT03", "Play GAM01 from 0 notify"}, nullptr},                           // 8
    {{}, "Play GAM01 from 0 notify"},                                                // 9
    {{}, nullptr},                                                                   // 10
    {{}, nullptr},                                                                   // 11
    {{"Stop BAT03"}, nullptr},                                                       // 12
    {{}, nullptr},                                                                   // 13
    {{}, nullptr},                                                                   // 14
    {{}, nullptr},                                                                   // 15
};

// Resume from the pause menu goes back to the battle piece with the commands the stage's
// start sends; the table alone would leave the pause piece playing on through the fight.
constexpr const char* RESUME_MUSIC[] = {"Stop GAM01", "Play BAT03 from 0 notify"};

// Play commands name the window as callback, so the end of the piece comes back as a
// message; stop commands ask for nothing.
void SendMusicCommand(const char* command) {
    const bool isPlay = (command[0] == 'P');
    mciSendStringA(command, nullptr, 0, isPlay ? g_hwnd : nullptr);
}

void RunScene() {
    if (g_scene < SCENE_OPENING_INIT || g_scene > SCENE_ENDING) return;
    // The scene that chose the handler also chooses the music, even when the handler
    // has just moved on to another scene.
    const int index = g_scene - SCENE_OPENING_INIT;
    SCENE_HANDLERS[index]();
    const SceneMusic& music = MUSIC_TABLE[index];
    for (const char* command : music.afterEveryCall) {
        if (command != nullptr) SendMusicCommand(command);
    }
    if (music.onPieceEnded != nullptr && g_msg.message == MM_MCINOTIFY &&
        g_msg.wParam == MCI_NOTIFY_SUCCESSFUL) {
        SendMusicCommand(music.onPieceEnded);
    }
    if (index == SCENE_PAUSE - SCENE_OPENING_INIT && g_scene == SCENE_PLAY) {
        for (const char* command : RESUME_MUSIC) SendMusicCommand(command);
    }
}

void FillShatterTables() {
    for (int row = 0; row < 32; ++row) {
        for (int column = 0; column < 32; ++column) {
            g_shatterDX[row][column] = NextRandom() % 640 - 320;
            g_shatterDY[row][column] = NextRandom() % 480 - 240;
        }
    }
}

}  // namespace

bool StartUp(HINSTANCE instance, int cmdShow) {
    g_offscreen1 = nullptr;
    g_offscreen2 = nullptr;
    g_offscreen3 = nullptr;
    g_offscreen4 = nullptr;
    g_scene = SCENE_STAGE_INIT;

    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "Generic Game SDK Window";
    RegisterClassA(&windowClass);

    g_hwnd = CreateWindowExA(WS_EX_TOPMOST, "Generic Game SDK Window", "Direct X",
                             WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                             nullptr, nullptr, instance, nullptr);
    if (g_hwnd == nullptr) return false;
    ShowWindow(g_hwnd, cmdShow);
    UpdateWindow(g_hwnd);
    SetFocus(g_hwnd);
    ShowCursor(FALSE);

    DirectDrawCreate(nullptr, &g_dd, nullptr);
    g_dd->SetCooperativeLevel(g_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    g_dd->SetDisplayMode(640, 480, 8);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    g_dd->CreateSurface(&desc, &g_primary, nullptr);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    g_primary->GetAttachedSurface(&backCaps, &g_back);

    CreateOffscreen(&g_offscreen1, 640, 480, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen2, 640, 480, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen3, 960, 2000, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen4, 640, 480, KEY_COLOR_INDEX, KEY_COLOR_INDEX);

    FillShatterTables();

    TidyRankingFolder("txt\\Ranking\\Ranking.txt");
    ReadNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking.txt");
    WriteNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking2.txt");
    SortDescending(RANKING_SIZE, g_ranking);
    return true;
}

bool LoopTurn(int* exitCode) {
    if (PeekMessageA(&g_msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&g_msg, nullptr, 0, 0)) {
            *exitCode = static_cast<int>(g_msg.wParam);
            return true;
        }
        TranslateMessage(&g_msg);
        DispatchMessageA(&g_msg);
        return false;
    }
    const std::uint64_t framesBefore = PresentedFrameCount();
    RunScene();
#ifndef LB_SPIN
    // The frame gate only tells a scene to skip its frame; rather than spin a whole core
    // until the next one is due, give the processor away on a turn that drew nothing,
    // waking for that frame (and at least every 10 ms to fetch messages).
    if (PresentedFrameCount() == framesBefore) DemoIdle(MsUntilNextFrame(10));
#endif
    return false;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
    if (!StartUp(instance, cmdShow)) return 0;
    int exitCode = 0;
    while (!LoopTurn(&exitCode)) {
    }
    return exitCode;
}
