// Plays a script of timed key presses on the headless game, on the virtual clock, and
// writes the frames on screen at the times asked for as palettized PNG files, or with the
// overlay drawn over them (--overlay-shot) as RGB ones.
//
//   snapshot --data data --script "t=0 down Z; t=300 up Z" --shot 1500:play.png ...
//
// The data folder is copied to a scratch folder first, so the run changes nothing in it.
// Times count from the start of the game; the frame written is the last one presented
// by then.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/demo_run.h"
#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/desktop/frame_png.h"
#include "platform/overlay/overlay.h"
#include "platform/seam/screen.h"
#include "platform/win32.h"
#include "tools/snapshot/script.h"

namespace fs = std::filesystem;

namespace {

// A script that never reaches its last shot ends after this many turns.
constexpr long MAX_TURNS = 50'000'000;

struct Options {
    fs::path data;
    std::vector<snapshot::KeyEvent> events;
    std::vector<snapshot::Shot> shots;
};

int Usage(const std::string& problem) {
    std::fprintf(stderr,
                 "snapshot: %s\nusage: snapshot --data DIR [--script \"t=MS down|up KEY ...; ...\"] "
                 "--shot|--overlay-shot MS:FILE.png [...]\n",
                 problem.c_str());
    return 2;
}

bool ParseArguments(int argc, char** argv, Options* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            *error = "missing value after " + flag;
            return false;
        }
        const std::string value = argv[++i];
        if (flag == "--data") {
            options->data = fs::absolute(value);
        } else if (flag == "--script") {
            if (!snapshot::ParseScript(value, &options->events, error)) return false;
        } else if (flag == "--shot" || flag == "--overlay-shot") {
            snapshot::Shot shot;
            if (!snapshot::ParseShot(value, &shot, error)) return false;
            shot.overlay = flag == "--overlay-shot";
            shot.path = fs::absolute(shot.path).string();
            options->shots.push_back(shot);
        } else {
            *error = "unknown option " + flag;
            return false;
        }
    }
    if (options->data.empty() || options->shots.empty()) {
        *error = "--data and at least one --shot are needed";
        return false;
    }
    std::stable_sort(options->shots.begin(), options->shots.end(),
                     [](const snapshot::Shot& a, const snapshot::Shot& b) { return a.atMs < b.atMs; });
    return true;
}

fs::path MakeScratch(const fs::path& data) {
    std::string pattern = (fs::temp_directory_path() / "lantern-blade-snapshot-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    fs::copy(data, pattern, fs::copy_options::recursive);
    return pattern;
}

// The frame as a front end shows it: converted through its palette, the overlay over it.
bool WriteWithOverlay(const headless::Frame& frame, const std::string& path) {
    std::vector<std::uint32_t> pixels(frame.pixels.size());
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = frame.palette[frame.pixels[i]];
    overlay::Blend(overlay::Shown(), pixels.data(), SCREEN_WIDTH * 4, 0, 0, 1, false);
    return WriteXrgbPng(pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT, path);
}

// Runs the game until every shot is due; the number of shots not written.
std::size_t Play(const Options& options) {
    // Recorded as the game always is, so a clear keeps its demo and the ranking names it.
    StartRecording();
    if (!StartUp(GetModuleHandleA(nullptr), SW_SHOWDEFAULT)) return options.shots.size();
    std::size_t failed = 0;
    const std::uint64_t start = headless::Now();
    std::size_t nextEvent = 0;
    std::size_t nextShot = 0;
    int exitCode = 0;
    for (long turn = 0; turn < MAX_TURNS && nextShot < options.shots.size(); ++turn) {
        const std::uint64_t elapsed = headless::Now() - start;
        for (; nextEvent < options.events.size() && options.events[nextEvent].atMs <= elapsed; ++nextEvent) {
            const snapshot::KeyEvent& event = options.events[nextEvent];
            if (event.down) {
                headless::PressKey(event.virtualKey);
            } else {
                headless::ReleaseKey(event.virtualKey);
            }
        }
        for (; nextShot < options.shots.size() && options.shots[nextShot].atMs <= elapsed; ++nextShot) {
            const snapshot::Shot& shot = options.shots[nextShot];
            if (!(shot.overlay ? WriteWithOverlay(headless::LastFrame(), shot.path)
                               : headless::WritePng(headless::LastFrame(), shot.path))) {
                std::fprintf(stderr, "snapshot: cannot write %s\n", shot.path.c_str());
                ++failed;
            }
        }
        if (LoopTurn(&exitCode)) break;
    }
    if (nextShot < options.shots.size()) {
        std::fprintf(stderr, "snapshot: the game ended before the last %zu shot(s)\n",
                     options.shots.size() - nextShot);
    }
    return failed + options.shots.size() - nextShot;
}

}  // namespace

int main(int argc, char** argv) {
    backend::Install(headless::Backend());
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, &options, &error)) return Usage(error);
    if (!fs::is_directory(options.data)) return Usage("no data folder at " + options.data.string());

    const fs::path scratch = MakeScratch(options.data);
    if (scratch.empty()) return Usage("cannot make a scratch folder");
    const fs::path previous = fs::current_path();
    fs::current_path(scratch);
    const std::size_t missed = Play(options);
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(scratch, ignored);

    return missed == 0 ? 0 : 1;
}
