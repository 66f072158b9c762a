// Process entry. The game reads its files relative to the working directory, so a start
// from anywhere else first moves into the data folder that belongs to this executable:
//   <exe dir>/data                            (a build or unpacked tree)
//   <exe dir>/../share/lantern-blade/data     (an installed tree)
// A working directory that already has a "bmp" folder is used as it is. Without game
// data anywhere the game says where it looked and exits with 1. The installed tree is
// read, never written: the launcher gives every user a copy to play in.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/main.h"
#include "app/options.h"
#include "platform/host/files.h"

namespace {

bool HasGameData(const std::filesystem::path& folder) {
    std::error_code error;
    return std::filesystem::is_directory(folder / "bmp", error);
}

void EnterDataFolder() {
    if (HasGameData(".")) {
        return;
    }
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    const std::filesystem::path exeDir = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const std::filesystem::path unpacked = exeDir / "data";
    const std::filesystem::path installed = (exeDir / ".." / "share" / "lantern-blade" / "data").lexically_normal();
    for (const std::filesystem::path& candidate : {unpacked, installed}) {
        if (exeDir.empty() || !HasGameData(candidate)) {
            continue;
        }
        std::filesystem::current_path(candidate, error);
        if (candidate == installed) {
            std::fprintf(stderr, "lantern-blade: playing from the installed data in %s, which is never "
                         "written: scores are not saved (start the game with lantern-blade)\n",
                         installed.c_str());
            RefuseWrites("the installed data is read-only (start lantern-blade)");
        }
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
    return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
}
