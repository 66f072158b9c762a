#include "app/main.h"

#include "app/demo_run.h"
#include "app/game_view.h"
#include "app/run_start.h"
#include "app/overlay_view.h"
#include "app/run_records.h"
#include "app/scene_switch.h"
#include "app/watch_run.h"
#include "app/window_proc.h"
#include "game/random.h"
#include "game/scene_state.h"
#include "gfx/frame_pacing.h"
#include "gfx/surfaces.h"
#include "gfx/transitions.h"
#include "platform/ddraw.h"
#include "platform/demo/demo.h"
#include "platform/gdi.h"
#include "platform/mmsystem.h"
#include "platform/seam/backend.h"
#include "records/numbers.h"
#include "records/ranking_demos.h"
#include "records/ranking_save.h"

HWND g_hwnd = nullptr;

namespace {

// The loop's message record: it keeps the last message fetched, which the music check
// reads after every handler call.
MSG g_msg{};
bool g_resumeInsideTurn = false;

void FillShatterTables() {
    for (int row = 0; row < 32; ++row) {
        for (int column = 0; column < 32; ++column) {
            g_shatterDX[row][column] = NextRandom() % SCREEN_WIDTH - SCREEN_WIDTH / 2;
            g_shatterDY[row][column] = NextRandom() % SCREEN_HEIGHT - SCREEN_HEIGHT / 2;
        }
    }
}

// The current scene's handler, with the player's records looking on; a replay's clears
// are not the player's.
void RunSceneAndRecords() {
    if (Replaying()) {
        RunScene(g_msg);
        return;
    }
    BeforeScene();
    RunScene(g_msg);
    AfterScene(RunSoFar);
}

}  // namespace

bool StartUp(HINSTANCE instance, int cmdShow) {
    g_readGameView = FillGameView;
    KeepRuns();
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
                             WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, SCREEN_WIDTH,
                             SCREEN_HEIGHT, nullptr, nullptr, instance, nullptr);
    if (g_hwnd == nullptr) return false;
    ShowWindow(g_hwnd, cmdShow);
    UpdateWindow(g_hwnd);
    SetFocus(g_hwnd);
    ShowCursor(FALSE);

    DirectDrawCreate(nullptr, &g_dd, nullptr);
    g_dd->SetCooperativeLevel(g_hwnd, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    g_dd->SetDisplayMode(SCREEN_WIDTH, SCREEN_HEIGHT, 8);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    g_dd->CreateSurface(&desc, &g_primary, nullptr);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    g_primary->GetAttachedSurface(&backCaps, &g_back);

    CreateOffscreen(&g_offscreen1, SCREEN_WIDTH, SCREEN_HEIGHT, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen2, SCREEN_WIDTH, SCREEN_HEIGHT, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen3, 960, 2000, KEY_COLOR_INDEX, KEY_COLOR_INDEX);
    CreateOffscreen(&g_offscreen4, SCREEN_WIDTH, SCREEN_HEIGHT, KEY_COLOR_INDEX, KEY_COLOR_INDEX);

    FillShatterTables();

    TidyRankingFolder("txt\\Ranking\\Ranking.txt");
    ReadNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking.txt");
    WriteNumbers(RANKING_SIZE, g_ranking, "txt\\Ranking\\Ranking2.txt");
    SortDescending(RANKING_SIZE, g_ranking);
    StartOverlay();
    return BeginDemoRun();
}

MSG LastMessage() { return g_msg; }

void SetLastMessage(const MSG& message) { g_msg = message; }

void ResumeInsideTurn() { g_resumeInsideTurn = true; }

bool LoopTurn(int* exitCode) {
    StepWatch();
    const bool resume = g_resumeInsideTurn;
    g_resumeInsideTurn = false;
    if (!resume && PeekMessageA(&g_msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&g_msg, nullptr, 0, 0)) {
            *exitCode = static_cast<int>(g_msg.wParam);
            return true;
        }
        TranslateMessage(&g_msg);
        DispatchMessageA(&g_msg);
        return false;
    }
    // A stage loads in this turn: a run starts here, with what it carries over.
    if (g_scene == SCENE_STAGE_INIT) DemoNoteStage(SaveRunStart());
#ifdef LB_SPIN
    RunSceneAndRecords();
#else
    // The frame gate only tells a scene to skip its frame; rather than spin a whole core
    // until the next one is due, give the processor away on a turn that drew nothing,
    // waking for that frame (and at least once a play frame to fetch messages: keys are
    // read at frames, so waking more often would only cost event pumping).
    // A piece's end is answered by a play on this turn and another on the next (the end
    // stays the last message fetched until the abort the second play posts); a pause
    // between the two would restart the piece twice, some milliseconds apart, as the
    // original's loop, which never pauses, does not.
    const std::uint64_t framesBefore = PresentedFrameCount();
    RunSceneAndRecords();
    const bool pieceEnded = g_msg.message == MM_MCINOTIFY && g_msg.wParam == MCI_NOTIFY_SUCCESSFUL;
    if (PresentedFrameCount() == framesBefore && !pieceEnded) {
        backend::Active().clock.idle(MsUntilNextFrame(FRAME_PERIOD_MS));
    }
#endif
    return false;
}

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int cmdShow) {
    if (!StartUp(instance, cmdShow)) return 0;
    return backend::Active().clock.runTurns(LoopTurn);
}
