// Process entry in the browser: the game's data lies at the root of the page's file
// system, the working folder, so the game starts at once; the page holds no options.
// Every run is recorded, so that a score entering the ranking keeps its demo. The
// backend's clock hands the loop's turns to the browser, so main returns to it after the
// start-up with the program still alive.
#include "app/demo_run.h"
#include "app/main.h"
#include "platform/web/web_backend.h"

int main() {
    backend::Install(web_backend::Backend());
    StartRecording();
    return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
}
