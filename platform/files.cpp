#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The name under which `name` exists in `folder`: itself if it exists as written, else
// the first (in byte order) entry equal to it without regard to case; empty if none.
std::string MatchInFolder(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / name, error)) return name;
    std::string best;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string entry = it->path().filename().string();
        if (SameIgnoringCase(entry, name) && (best.empty() || entry < best)) best = entry;
    }
    return best;
}

bool WriteAll(int fd, const std::string& contents) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// The permissions the replaced file had, or the usual ones for a new file.
mode_t ModeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0644;
}

// Makes the rename itself durable.
void SyncFolder(const fs::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string ResolvePath(const char* gamePath) {
    if (gamePath == nullptr) return {};
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    const bool absolute = !path.empty() && path[0] == '/';
    std::string resolved = absolute ? "/" : "";
    // Once a component does not exist, nothing below it can; the rest stays as written.
    bool found = true;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        std::string component = path.substr(start, slash - start);
        start = slash + 1;
        if (component.empty()) continue;
        if (found) {
            const std::string match =
                MatchInFolder(resolved.empty() ? fs::path(".") : fs::path(resolved), component);
            found = !match.empty();
            if (found) component = match;
        }
        if (!resolved.empty() && resolved.back() != '/') resolved += '/';
        resolved += component;
    }
    return resolved;
}

std::FILE* OpenGameFile(const char* gamePath, const char* mode) {
    if (gamePath == nullptr || mode == nullptr) return nullptr;
    // Text and binary are the same here.
    std::string openMode(mode);
    openMode.erase(std::remove(openMode.begin(), openMode.end(), 't'), openMode.end());
    return std::fopen(ResolvePath(gamePath).c_str(), openMode.c_str());
}

bool ReplaceFileAtomically(const char* gamePath, const std::string& contents) {
    const std::string target = ResolvePath(gamePath);
    if (target.empty()) return false;
    const fs::path targetPath(target);
    const fs::path folder = targetPath.parent_path();
    std::string temp = (folder / ("." + targetPath.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, contents) && ::fchmod(fd, ModeFor(target)) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
