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
#include <filesystem>
#include <system_error>

#include "app/demo_run.h"
#include "app/options.h"
#include "app/user_scores.h"

namespace {

namespace fs = std::filesystem;

bool HasGameData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "bmp", error);
}

void EnterDataFolder() {
    std::error_code error;
    const fs::path exeDir = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path installed = exeDir.empty() ? fs::path() : (exeDir / LB_DATA_FROM_BINARY).lexically_normal();
    const bool installedHere = !installed.empty() && fs::equivalent(".", installed, error);
    if (HasGameData(".") && !installedHere) {
        return;
    }
    const fs::path here = fs::current_path(error);
    const fs::path unpacked = exeDir / "data";
    if (!exeDir.empty() && HasGameData(unpacked)) {
        fs::current_path(unpacked, error);
        return;
    }
    if (!installed.empty() && HasGameData(installed)) {
        fs::current_path(installed, error);
        KeepScoresPerUser(installed);
        return;
    }
    std::fprintf(stderr, "lantern-blade: no game data (a bmp folder) in %s, nor in %s or %s\n", here.c_str(),
                 unpacked.c_str(), installed.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = ReadOptions(argc, argv); exitCode >= 0) return exitCode;
    EnterDataFolder();
    return RunGame();
}
