// The MCI command-string parser: the input is a series of command lines, sent in turn
// (every other one with the game's window as callback); then the backend reports some
// sounds played to their end, the queue is drained as the loop would, and every word
// of the input is closed as an alias.
#include <sstream>
#include <string>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "tests/fuzz/fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Prepare();
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream lines(input);
    char reply[8];
    int sent = 0;
    for (std::string line; std::getline(lines, line); ++sent) {
        mciSendStringA(line.c_str(), reply, sizeof reply, sent % 2 == 1 ? g_hwnd : nullptr);
    }
    // The first sounds opened, and one the input picks.
    for (int sound = 0; sound < 4; ++sound) headless::ReportFinished(sound);
    headless::ReportFinished(size == 0 ? -1 : data[size - 1]);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    // No alias outlives its input.
    std::istringstream words(input);
    for (std::string alias; words >> alias;) mciSendStringA(("close " + alias).c_str(), nullptr, 0, nullptr);
    return 0;
}
