// Process entry. The game reads its files relative to the working directory, so a start
// from anywhere else first moves into the data folder that belongs to this executable:
//   <exe dir>/data                            (a build or unpacked tree)
//   <exe dir>/../share/lantern-blade/data     (an installed tree)
// A working directory that already has a "bmp" folder is used as it is.
#include <filesystem>
#include <system_error>

#include "app/main.h"
#include "app/options.h"

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
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return;
    }
    const std::filesystem::path exeDir = exe.parent_path();
    for (const std::filesystem::path& candidate :
         {exeDir / "data", exeDir / ".." / "share" / "lantern-blade" / "data"}) {
        if (HasGameData(candidate)) {
            std::filesystem::current_path(candidate, error);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (const int exitCode = ReadOptions(argc, argv); exitCode >= 0) return exitCode;
    EnterDataFolder();
    return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
}
