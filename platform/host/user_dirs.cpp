#include "platform/host/user_dirs.h"

#include <cstdlib>

namespace {

// The variable's folder when it names an absolute one, else the fallback under HOME.
std::filesystem::path FolderFrom(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return std::filesystem::path(home) / underHome;
}

}  // namespace

std::filesystem::path SettingsFolder() {
    const std::filesystem::path base = FolderFrom("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base / "lantern-blade";
}

std::filesystem::path ScreenshotFolder() {
    const std::filesystem::path base = FolderFrom("XDG_PICTURES_DIR", "Pictures");
    return base.empty() ? base : base / "Lantern Blade";
}
