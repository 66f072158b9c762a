// Process entry in the browser: the game's data lies at the root of the page's file
// system, the working folder, so the game starts at once; the page holds no options.
// Every run is recorded, so that a score entering the ranking keeps its demo.
#include "app/demo_run.h"

int main() {
    return RunGame();
}
