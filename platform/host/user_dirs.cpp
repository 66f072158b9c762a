#include "platform/host/user_dirs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <sstream>
#include <string>

#include "platform/host/files.h"

namespace {

// The desktop's folder list is a few lines; anything larger is not one.
constexpr std::size_t USER_DIRS_LIMIT = 64 * 1024;

// The folder the variable names, when it names an absolute one; else empty.
std::filesystem::path FromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && value[0] == '/' ? std::filesystem::path(value) : std::filesystem::path();
}

// The folder under HOME; empty without HOME.
std::filesystem::path UnderHome(const std::string& name) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return name.empty() ? std::filesystem::path(home) : std::filesystem::path(home) / name;
}

// The folder the variable names, else the fallback under HOME.
std::filesystem::path FolderFrom(const char* variable, const char* underHome) {
    const std::filesystem::path named = FromEnvironment(variable);
    return named.empty() ? UnderHome(underHome) : named;
}

// The folder that the desktop's user-dirs.dirs gives the key, read as xdg-user-dir reads
// it: lines KEY="$HOME/Folder" or KEY="/absolute/folder", the last one holding; empty
// when it gives none.
std::filesystem::path FromUserDirs(const std::string& key) {
    const std::filesystem::path config = FolderFrom("XDG_CONFIG_HOME", ".config");
    std::string contents;
    std::string ignored;
    if (config.empty() ||
        !ReadRegularFile((config / "user-dirs.dirs").string(), USER_DIRS_LIMIT, &contents, &ignored)) {
        return {};
    }
    const std::string start = key + "=\"";
    std::istringstream lines(contents);
    std::filesystem::path folder;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(start) || line.size() <= start.size() || line.back() != '"') continue;
        const std::string value = line.substr(start.size(), line.size() - start.size() - 1);
        if (value == "$HOME" || value.starts_with("$HOME/")) {
            folder = UnderHome(value.substr(std::min<std::size_t>(value.size(), 6)));
        } else if (value.starts_with("/")) {
            folder = value;
        }
    }
    return folder;
}

}  // namespace

std::filesystem::path SettingsFolder() {
    const std::filesystem::path base = FolderFrom("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base / "lantern-blade";
}

std::filesystem::path ScreenshotFolder() {
    std::filesystem::path base = FromEnvironment("XDG_PICTURES_DIR");
    if (base.empty()) base = FromUserDirs("XDG_PICTURES_DIR");
    if (base.empty()) base = UnderHome("Pictures");
    return base.empty() ? base : base / "Lantern Blade";
}

std::filesystem::path ScoresFolder() {
    const std::filesystem::path base = FolderFrom("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base / "lantern-blade";
}

std::filesystem::path CacheFolder() {
    const std::filesystem::path base = FolderFrom("XDG_CACHE_HOME", ".cache");
    return base.empty() ? base : base / "lantern-blade";
}

bool MakePrivateFolder(const std::filesystem::path& folder, std::string* failure) {
    std::error_code error;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0) ::chmod(folder.c_str(), info.st_mode & 0700);
        return true;
    }
    if (folder.has_relative_path() && !std::filesystem::is_directory(folder.parent_path(), error) &&
        !MakePrivateFolder(folder.parent_path(), failure)) {
        return false;
    }
    if (::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && std::filesystem::is_directory(folder, error))) {
        return true;
    }
    *failure = folder.string() + ": " + (errno == EEXIST ? "not a folder" : std::strerror(errno));
    return false;
}
