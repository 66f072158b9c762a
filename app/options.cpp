#include "app/options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/host/settings.h"

namespace {

constexpr const char* USAGE =
    "Usage: lantern-blade [OPTION]...\n"
    "A top-down action game: a hero, a sword and a lantern on a dark map.\n"
    "\n"
    "  --fullscreen  start fullscreen\n"
    "  --windowed    start in a window\n"
    "  -h, --help    show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Settings: ${XDG_CONFIG_HOME:-~/.config}/lantern-blade/settings.ini\n"
    "Scores:   ${XDG_DATA_HOME:-~/.local/share}/lantern-blade/\n"
    "See lantern-blade(6) for the keys and files.\n";

// 0 once the text is out; 1, with a line on stderr, when it could not be written (a full
// disk, a closed pipe), so that a script never takes a cut-short usage for the whole.
int Print(const char* text) {
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "lantern-blade: cannot write to standard output: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int ReadOptions(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            return Print(USAGE);
        }
        if (std::strcmp(option, "--version") == 0) {
            return Print("lantern-blade " LB_VERSION "\n");
        }
        if (std::strcmp(option, "--windowed") == 0) {
            ChooseDisplay(DisplayChoice::Windowed);
        } else if (std::strcmp(option, "--fullscreen") == 0) {
            ChooseDisplay(DisplayChoice::Fullscreen);
        } else {
            std::fprintf(stderr, "lantern-blade: unknown option '%s'\n%s", option, USAGE);
            return 2;
        }
    }
    return -1;
}
