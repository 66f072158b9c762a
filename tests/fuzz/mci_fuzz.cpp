// The MCI command-string parser: the input is a series of command lines, sent in turn
// (every other one with the game's window as callback); then the backend reports some
// sounds played to their end, the queue is drained as the loop would, and the aliases
// the lines named are closed again.
#include <cstring>
#include <string>
#include <vector>

#include "app/main.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/mmsystem.h"
#include "tests/fuzz/fuzz_env.h"

namespace {

std::vector<std::string> Lines(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lines.emplace_back();
        } else {
            lines.back() += static_cast<char>(data[i]);
        }
    }
    return lines;
}

// The fourth word of "open FILE alias NAME".
std::string FourthWord(const std::string& line) {
    std::size_t pos = 0;
    std::string word;
    for (int i = 0; i < 4; ++i) {
        pos = line.find_first_not_of(" \t", pos);
        if (pos == std::string::npos) return {};
        const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
        word = line.substr(pos, end - pos);
        pos = end;
    }
    return word;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Prepare();
    const std::vector<std::string> lines = Lines(data, size);
    char reply[8];
    for (std::size_t i = 0; i < lines.size(); ++i) {
        mciSendStringA(lines[i].c_str(), reply, sizeof reply, i % 2 == 1 ? g_hwnd : nullptr);
    }
    // The first sounds opened, and one the input picks.
    for (int sound = 0; sound < 4; ++sound) NotifySoundFinished(sound);
    NotifySoundFinished(size == 0 ? -1 : data[size - 1]);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    for (const std::string& line : lines) {
        const std::string alias = FourthWord(line);
        if (!alias.empty()) mciSendStringA(("close " + alias).c_str(), nullptr, 0, nullptr);
    }
    headless::ClearMciLog();
    return 0;
}
