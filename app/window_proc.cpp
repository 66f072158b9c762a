#include "app/window_proc.h"

#include "app/overlay_view.h"
#include "app/scene_switch.h"
#include "game/teardown.h"
#include "platform/mmsystem.h"

namespace {

constexpr const char* OPEN_COMMANDS[] = {
    "Open BATTLE03.mid Alias BAT03", "Open BATTLE02.mid Alias BAT02",
    "Open ENDING.mid Alias END01",   "Open GAMEOVER.mid Alias GAM01",
    "Open OPENING.mid Alias OPE01",  "Open OPTION.mid Alias OPT01",
    "Open PROG.mid Alias PRO01",     "Open RANK.mid Alias RAN01",
    "Open BreakEnem.wav Alias BEN",  "Open dmg01.wav Alias DMG",
    "Open Sword.wav Alias SWO",
};

constexpr const char* STOP_COMMANDS[] = {
    "Stop BAT03", "Stop BAT02", "Stop END01", "Stop GAM01",
    "Stop OPE01", "Stop OPT01", "Stop PRO01", "Stop RAN01",
};

constexpr const char* CLOSE_COMMANDS[] = {
    "Close BAT03", "Close BAT02", "Close END01", "Close GAM01", "Close OPE01", "Close OPT01",
    "Close PRO01", "Close RAN01", "Close BEN",   "Close DMG",   "Close SWO",
};

// Silences and closes every device, then the teardown the quit scene also ends with. A
// second Escape (or an Escape after the quit scene) finds everything released and does
// nothing.
void EscapeTeardown() {
    if (TornDown()) return;
    for (const char* command : STOP_COMMANDS) mciSendStringA(command, nullptr, 0, nullptr);
    for (const char* command : CLOSE_COMMANDS) mciSendStringA(command, nullptr, 0, nullptr);
    TearDown();
}

}  // namespace

LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            for (const char* command : OPEN_COMMANDS) mciSendStringA(command, nullptr, 0, nullptr);
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) EscapeTeardown();
            OverlayKey(static_cast<int>(wParam));
            return 0;
        case MM_MCINOTIFY:
            if (wParam == MCI_NOTIFY_SUCCESSFUL) PieceEnded();
            return DefWindowProcA(hwnd, message, wParam, lParam);
        case WM_CLOSE:
            // Closing the window ends the game as Escape does.
            EscapeTeardown();
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}
