#include "app/options.h"

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
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "\n"
    "Settings: ${XDG_CONFIG_HOME:-~/.config}/lantern-blade/settings.ini\n"
    "See lantern-blade(6) for the keys and files.\n";

}  // namespace

int ReadOptions(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0) {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if (std::strcmp(option, "--version") == 0) {
            std::puts("lantern-blade " LB_VERSION);
            return 0;
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
