// Process entry. The game reads its files relative to the working directory, so a start
// from anywhere else first moves into the data folder that belongs to this executable:
//   <exe dir>/data                  (a build or unpacked tree), played in and written as it is
//   <exe dir>/LB_DATA_FROM_BINARY   (the installed tree), read in place, with the ranking
//                                   files kept per user
// A working directory that already has a "bmp" folder (a copy of the data) is used as it
// is, unless it is the installed tree. Without game data anywhere the game says where it
// looked and exits with 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/demo_run.h"
#include "app/options.h"
#include "app/user_scores.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/world/submit.h"

namespace {

namespace fs = std::filesystem;

bool HasGameData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "bmp", error);
}

// Where this start plays: the folder holding the game data (empty when there is none),
// and whether it is the installed tree, whose ranking files live per user.
struct DataPlace {
    fs::path folder;
    bool installed = false;
    fs::path unpacked;  // where else it looked, for the message when there is none
    fs::path installedTree;
};

DataPlace FindData() {
    std::error_code error;
    DataPlace place;
    const fs::path exeDir = fs::read_symlink("/proc/self/exe", error).parent_path();
    place.installedTree = exeDir.empty() ? fs::path() : (exeDir / LB_DATA_FROM_BINARY).lexically_normal();
    place.unpacked = exeDir / "data";
    const bool installedHere = !place.installedTree.empty() && fs::equivalent(".", place.installedTree, error);
    if (HasGameData(".") && !installedHere) {
        place.folder = ".";
    } else if (!exeDir.empty() && HasGameData(place.unpacked)) {
        place.folder = place.unpacked;
    } else if (!place.installedTree.empty() && HasGameData(place.installedTree)) {
        place.folder = place.installedTree;
        place.installed = true;
    }
    return place;
}

// Where the scores of this start are kept, as the usage names it.
std::string ScoresPlace(const DataPlace& place) {
    if (place.folder.empty() || place.installed) return "${XDG_DATA_HOME:-~/.local/share}/lantern-blade/";
    std::error_code error;
    return (fs::absolute(place.folder, error).lexically_normal() / "txt" / "Ranking" / "").string();
}

void EnterDataFolder(const DataPlace& place) {
    std::error_code error;
    if (place.folder.empty()) {
        std::fprintf(stderr, "lantern-blade: no game data (a bmp folder) in %s, nor in %s or %s\n",
                     fs::current_path(error).c_str(), place.unpacked.c_str(), place.installedTree.c_str());
        std::exit(1);
    }
    fs::current_path(place.folder, error);
    if (place.installed) KeepScoresPerUser(place.folder);
}

}  // namespace

int main(int argc, char** argv) {
    backend::Install(sdl_backend::Backend());
    // Sending a run needs no game data, only the settings.
    if (argc == 3 && std::strcmp(argv[1], "--submit") == 0) return SubmitRunFile(argv[2]);
    const DataPlace place = FindData();
    if (const int exitCode = ReadOptions(argc, argv, ScoresPlace(place)); exitCode >= 0) return exitCode;
    EnterDataFolder(place);
    return RunGame();
}
