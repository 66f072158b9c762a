// Process entry in the browser: the game's data lies at the root of the page's file
// system, the working folder, so the game starts at once; the page holds no options.
// Every run is recorded, so that a score entering the ranking keeps its demo. After the
// start-up the browser runs the loop's turns (platform/web/web_loop.h); main returns to
// it with the program still alive.
#include "app/demo_run.h"
#include "app/main.h"
#include "platform/web/web_loop.h"

int main() {
    StartRecording();
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) return 0;
    web_backend::RunTurns(LoopTurn);
    return 0;
}
