#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/demo_run.h"
#include "app/overlay_view.h"

#include "platform/host/files.h"
#include "platform/policy/settings.h"

namespace {

// The usage, around the folder the scores are kept in.
constexpr const char* USAGE_HEAD =
    "Usage: lantern-blade [OPTION]...\n"
    "A top-down action game: a hero, a sword and a lantern on a dark map.\n"
    "\n"
    "  --fullscreen      start fullscreen\n"
    "  --windowed        start in a window\n"
    "  --classic         play without the overlay (score, best, ghost, names)\n"
    "  --record FILE     play, and write the run to FILE at exit\n"
    "  --playdemo FILE   watch a recorded run (Escape stops it)\n"
    "  --verify FILE     play a run back unseen, print each clear's time and score;\n"
    "                    exit 0 if it matches, 1 if it differs, 2 if FILE is no demo\n"
    "  --timedemo FILE   play a run back unseen as fast as possible, print the frame rate\n"
    "  --export PLACE FILE  write the run of that place (1-5) of the ranking to FILE,\n"
    "                    to send it to someone\n"
    "  --submit FILE     send a run to the world ranking server set as server= in the\n"
    "                    settings, under their name=, and wait for its verdict\n"
    "  -h, --help        show this help and exit\n"
    "  --version         show the version and exit\n"
    "\n"
    "Settings: ${XDG_CONFIG_HOME:-~/.config}/lantern-blade/settings.ini\n"
    "Scores:   ";
constexpr const char* USAGE_TAIL =
    "\n"
    "See lantern-blade(6) for the keys and files.\n";

DemoTask DemoOption(const char* option) {
    constexpr struct {
        const char* name;
        DemoTask task;
    } DEMO_OPTIONS[] = {{"--record", DemoTask::Record},
                        {"--playdemo", DemoTask::Watch},
                        {"--verify", DemoTask::Verify},
                        {"--timedemo", DemoTask::Time}};
    for (const auto& demoOption : DEMO_OPTIONS) {
        if (std::strcmp(option, demoOption.name) == 0) return demoOption.task;
    }
    return DemoTask::None;
}

// The path as the user gave it, made absolute; 2 when a file cannot be put there (said
// now, not after a whole run that could not be kept), else -1.
int GivenFile(const char* given, const char* purpose, std::string* path) {
    std::error_code error;
    *path = std::filesystem::absolute(given, error).string();
    std::string failure;
    if (CanReplaceGivenFile(*path, &failure)) return -1;
    std::fprintf(stderr, "lantern-blade: cannot %s in %s: %s\n", purpose, path->c_str(), failure.c_str());
    return 2;
}

// A place of the ranking, "1" to "5"; 0 for anything else.
int Place(const char* text) {
    return text[0] >= '1' && text[0] <= '5' && text[1] == '\0' ? text[0] - '0' : 0;
}

// 0 once the text is out; 1, with a line on stderr, when it could not be written (a full
// disk, a closed pipe), so that a script never takes a cut-short usage for the whole.
int Print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "lantern-blade: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int ReadOptions(int argc, const char* const* argv, const std::string& scores) {
    const std::string usage = USAGE_HEAD + scores + USAGE_TAIL;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            return Print(usage);
        }
        if (std::strcmp(option, "--version") == 0) {
            return Print("lantern-blade " LB_VERSION "\n");
        }
        if (std::strcmp(option, "--windowed") == 0) {
            ChooseDisplay(DisplayChoice::Windowed);
        } else if (std::strcmp(option, "--fullscreen") == 0) {
            ChooseDisplay(DisplayChoice::Fullscreen);
        } else if (std::strcmp(option, "--classic") == 0) {
            AskForClassic();
        } else if (std::strcmp(option, "--export") == 0) {
            const int place = i + 2 < argc ? Place(argv[i + 1]) : 0;
            if (place == 0) {
                std::fprintf(stderr, "lantern-blade: --export needs a place of the ranking (1-5) and a file\n%s",
                             usage.c_str());
                return 2;
            }
            std::string path;
            if (const int refused = GivenFile(argv[i + 2], "write the run", &path); refused >= 0) return refused;
            AskForExport(place, path);
            i += 2;
        } else if (const DemoTask task = DemoOption(option); task != DemoTask::None && i + 1 < argc) {
            std::string path;
            if (task == DemoTask::Record) {
                if (const int refused = GivenFile(argv[++i], "record the run", &path); refused >= 0) return refused;
            } else {
                std::error_code error;
                path = std::filesystem::absolute(argv[++i], error).string();
            }
            AskForDemo(task, path);
        } else if (task != DemoTask::None) {
            std::fprintf(stderr, "lantern-blade: %s needs a file\n%s", option, usage.c_str());
            return 2;
        } else {
            std::fprintf(stderr, "lantern-blade: unknown option '%s'\n%s", option, usage.c_str());
            return 2;
        }
    }
    return -1;
}
