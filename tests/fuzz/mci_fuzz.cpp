// The MCI command-string parser: the input is a series of command lines, sent in turn
// (every other one with the game's window as callback); then the backend reports some
// sounds played to their end, the queue is drained as the loop would, and every word
// of the input is closed as an alias.
#include <cstring>
#include <string>
#include <vector>

#include "app/main.h"
#include "platform/backend.h"
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

// Every word of every line, each a possible alias.
std::vector<std::string> Words(const std::vector<std::string>& lines) {
    std::vector<std::string> words;
    for (const std::string& line : lines) {
        std::size_t pos = 0;
        while ((pos = line.find_first_not_of(" \t", pos)) != std::string::npos) {
            const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
            words.push_back(line.substr(pos, end - pos));
            pos = end;
        }
    }
    return words;
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
    // No alias outlives its input.
    for (const std::string& alias : Words(lines)) mciSendStringA(("close " + alias).c_str(), nullptr, 0, nullptr);
    return 0;
}
