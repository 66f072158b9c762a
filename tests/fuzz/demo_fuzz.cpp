// Demo files: the input is read as a demo file and, when it reads, played back unseen
// over the shipped data, from the state at start or the run's own start state, for at
// most a few thousand turns, as --verify would.
#include <string>

#include "app/demo_run.h"
#include "app/main.h"
#include "platform/demo/demo.h"
#include "tests/fuzz/fuzz_env.h"

namespace {

constexpr int MAX_TURNS = 5000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Prepare(true);
    Demo demo;
    std::string why;
    if (!DecodeDemo(std::string(data, data + size), &demo, &why)) return 0;
    if (!StartReplay(demo, false, true) || !BeginDemoRun()) return 0;
    int exitCode = 0;
    for (int turn = 0; turn < MAX_TURNS && !DemoReplayOver() && DemoDifference() < 0; ++turn) {
        if (LoopTurn(&exitCode)) break;
    }
    return 0;
}
