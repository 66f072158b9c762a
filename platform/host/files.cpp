#include "platform/host/files.h"
#include "platform/host/files_internal.h"
#include "platform/host/storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Why nothing may be written; empty while writing is allowed.
std::string g_writesRefused;
// Writes succeed without reaching the disk.
bool g_writesSandboxed = false;
ReadFilter g_readFilter = nullptr;

// The game folder kept elsewhere (forward slashes, no slash at the end) and where it is.
std::string g_movedFolder;
std::string g_movedTo;

bool Fail(std::string* failure, const std::string& why) {
    if (failure != nullptr) *failure = why;
    return false;
}

bool FailWithErrno(std::string* failure) {
    return Fail(failure, std::strerror(errno));
}

// Replacing a file writes "." + its name + "." + six characters from mkstemp beside it;
// the tidy-up after a killed save looks for the same names.
constexpr char TEMPORARY_SUFFIX[] = "XXXXXX";

std::string TemporaryPrefix(const fs::path& target) {
    // Appended piece by piece: GCC 12 warns falsely about "literal" + string temporaries.
    std::string prefix(1, '.');
    prefix += target.filename().string();
    prefix += '.';
    return prefix;
}

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

// The process's umask, read without changing it (umask() would, for a moment, for every
// thread).
mode_t CurrentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (status != nullptr) {
        char line[128];
        while (std::fgets(line, sizeof line, status) != nullptr && std::sscanf(line, "Umask: %o", &mask) != 1) {
        }
        std::fclose(status);
    }
    return static_cast<mode_t>(mask);
}

// The permissions the replaced file had, or those any program's new file gets.
mode_t ModeFor(const std::string& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

// The names of the regular files (not links) beside the target that start with the prefix.
std::vector<std::string> NamesBeside(const fs::path& target, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(target.parent_path().empty() ? "." : target.parent_path(), error), end;
         !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.starts_with(prefix) && it->is_regular_file(error) && !it->is_symlink(error)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

// Set-aside files sort by their time stamp, then by the number after it ("-2" before "-10").
std::pair<std::string, int> AsideOrder(const std::string& suffix) {
    const std::size_t dash = suffix.find('-', sizeof "YYYYmmdd-HHMMSS" - 1);
    if (dash == std::string::npos) return {suffix, 1};
    return {suffix.substr(0, dash), std::atoi(suffix.c_str() + dash + 1)};
}

}  // namespace

std::string WriteTarget(const char* gamePath) {
    fs::path path = ResolvePath(gamePath);
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
        const fs::path link = fs::read_symlink(path, error);
        if (error) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path.string();
}

bool WritesSandboxed() {
    return g_writesSandboxed;
}

bool WritesRefused(std::string* failure) {
    return !g_writesRefused.empty() && !Fail(failure, g_writesRefused);
}

std::string ResolvePath(const char* gamePath) {
    if (gamePath == nullptr) return {};
    std::string path(gamePath);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!g_movedFolder.empty() && path.size() >= g_movedFolder.size() &&
        SameIgnoringCase(path.substr(0, g_movedFolder.size()), g_movedFolder) &&
        (path.size() == g_movedFolder.size() || path[g_movedFolder.size()] == '/')) {
        path = g_movedTo + path.substr(g_movedFolder.size());
    }
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

int OpenRegularFile(const std::string& path, int flags, std::string* failure, mode_t mode) {
    const std::string name = fs::path(path).filename().string();
    // Without O_NONBLOCK the open of a FIFO waits for the other end.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) {
        // A FIFO without a reader, opened for writing, gives ENXIO.
        Fail(failure, errno == ENXIO ? name + " is not a regular file" : name + ": " + std::strerror(errno));
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        Fail(failure, name + " is not a regular file");
    } else if ((flags & O_NONBLOCK) == 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        FailWithErrno(failure);
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string* contents, std::string* failure) {
    contents->clear();
    errno = 0;
    const int fd = OpenRegularFile(path, O_RDONLY, failure);
    if (fd < 0) return errno == ENOENT;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && contents->size() <= limit) contents->append(buffer, n);
    const bool whole = n == 0 && contents->size() <= limit;
    if (!whole) {
        Fail(failure, fs::path(path).filename().string() +
                          (n < 0 ? std::string(": ") + std::strerror(errno)
                                 : " is larger than " + std::to_string(limit / 1024) + " KB"));
        contents->clear();
    }
    ::close(fd);
    return whole;
}

namespace {

std::FILE* OpenStream(const char* gamePath, int flags, const char* openMode) {
    const int fd = OpenRegularFile(ResolvePath(gamePath), flags, nullptr);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, openMode);
    if (file == nullptr && fd >= 0) ::close(fd);
    return file;
}

std::FILE* OpenForReading(const char* gamePath) {
    return OpenStream(gamePath, O_RDONLY, "r");
}

}  // namespace

void KeepFolderElsewhere(const char* gameFolder, const std::filesystem::path& place) {
    g_movedFolder = gameFolder;
    std::replace(g_movedFolder.begin(), g_movedFolder.end(), '\\', '/');
    while (!g_movedFolder.empty() && g_movedFolder.back() == '/') g_movedFolder.pop_back();
    g_movedTo = place.empty() ? std::string() : fs::absolute(place).lexically_normal().string();
    while (g_movedTo.size() > 1 && g_movedTo.back() == '/') g_movedTo.pop_back();
    if (g_movedTo.empty()) g_movedFolder.clear();
}

std::FILE* OpenGameFile(const char* gamePath, const char* mode) {
    if (gamePath == nullptr || mode == nullptr) return nullptr;
    // Text and binary are the same here.
    std::string openMode(mode);
    openMode.erase(std::remove(openMode.begin(), openMode.end(), 't'), openMode.end());
    const bool update = openMode.find('+') != std::string::npos;
    int flags = update ? O_RDWR : O_WRONLY;
    if (openMode[0] == 'r') flags = update ? O_RDWR : O_RDONLY;
    if (openMode[0] == 'w') flags |= O_CREAT | O_TRUNC;
    if (openMode[0] == 'a') flags |= O_CREAT | O_APPEND;
    if (flags == O_RDONLY && g_readFilter != nullptr) return g_readFilter(gamePath, OpenForReading);
    if (flags != O_RDONLY && g_writesSandboxed) return std::tmpfile();
    if (flags != O_RDONLY && !g_writesRefused.empty()) {
        errno = EROFS;
        return nullptr;
    }
    return OpenStream(gamePath, flags, openMode.c_str());
}

void RefuseWrites(const char* reason) {
    g_writesRefused = reason;
}

void SandboxWrites(bool sandboxed) {
    g_writesSandboxed = sandboxed;
}

void FilterReads(ReadFilter filter) {
    g_readFilter = filter;
}

bool CanReplaceFile(const char* gamePath, std::string* failure) {
    if (g_writesSandboxed) return true;
    if (WritesRefused(failure)) return false;
    const std::string target = WriteTarget(gamePath);
    const std::string name = fs::path(target).filename().string();
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return errno == ENOENT || FailWithErrno(failure);
    if (!S_ISREG(info.st_mode)) return Fail(failure, name + " is not a regular file");
    if ((info.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
        return Fail(failure, name + " is read-only");
    }
    return true;
}

namespace {

// Writes the contents to a new file beside the target, flushes it to disk and renames it
// over the target: whatever is at the target's name (a link too) is replaced, never
// written through. The new name is made with O_EXCL and O_NOFOLLOW, so nothing planted
// at it is followed either.
bool WriteBesideAndRename(const std::string& target, const std::string& contents, mode_t mode,
                          std::string* failure) {
    const fs::path targetPath(target);
    std::string temp = (targetPath.parent_path() / (TemporaryPrefix(targetPath) + TEMPORARY_SUFFIX)).string();
    const int fd = ::mkostemp(temp.data(), O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return FailWithErrno(failure);
    bool ok = WriteAll(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        FailWithErrno(failure);
        ::unlink(temp.c_str());
        return false;
    }
    KeepFile(target);
    return true;
}

}  // namespace

bool ReplaceFileAtomically(const char* gamePath, const std::string& contents, std::string* failure) {
    if (g_writesSandboxed) return true;
    if (!CanReplaceFile(gamePath, failure)) return false;
    const std::string target = WriteTarget(gamePath);
    // Rewriting the same bytes would only cost two flushes to disk (the game rewrites its
    // ranking copy at every start). A missing file reads as empty, so empty contents are
    // always written.
    std::string held;
    if (!contents.empty() && ReadRegularFile(target, contents.size(), &held, nullptr) && held == contents) return true;
    return WriteBesideAndRename(target, contents, ModeFor(target), failure);
}

bool CanReplaceGivenFile(const std::string& path, std::string* failure) {
    const fs::path given(path);
    const std::string name = given.filename().string();
    const fs::path folder = given.parent_path().empty() ? fs::path(".") : given.parent_path();
    if (name.empty() || name == "." || name == "..") return Fail(failure, path + " names a folder, not a file");
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) return Fail(failure, folder.string() + ": " + std::strerror(errno));
    if (!S_ISDIR(folderInfo.st_mode)) return Fail(failure, folder.string() + " is not a folder");
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return Fail(failure, folder.string() + ": " + std::strerror(errno));
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT || Fail(failure, name + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return Fail(failure, name + " is a folder");
    // In a shared folder such as /tmp only an entry's owner (or the folder's) may replace it.
    const uid_t user = ::geteuid();
    if ((folderInfo.st_mode & S_ISVTX) != 0 && user != 0 && info.st_uid != user && folderInfo.st_uid != user) {
        return Fail(failure, name + " belongs to another user in a shared folder");
    }
    return true;
}

bool ReplaceGivenFile(const std::string& path, const std::string& contents, std::string* failure) {
    if (!CanReplaceGivenFile(path, failure)) return false;
    struct stat info {};
    const bool regular = ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    return WriteBesideAndRename(path, contents, regular ? info.st_mode & 07777 : 0666 & ~CurrentUmask(), failure);
}

void RemoveFile(const std::string& path) {
    if (!g_writesRefused.empty() || g_writesSandboxed) return;
    if (::unlink(path.c_str()) == 0) KeepFile(path);
}

void RemoveStaleTemporaries(const char* gamePath) {
    if (!g_writesRefused.empty() || g_writesSandboxed) return;
    const fs::path target = WriteTarget(gamePath);
    const std::string prefix = TemporaryPrefix(target);
    for (const std::string& name : NamesBeside(target, prefix)) {
        if (name.size() == prefix.size() + std::strlen(TEMPORARY_SUFFIX)) ::unlink((target.parent_path() / name).c_str());
    }
}

std::string SetFileAside(const char* gamePath, const char* label, int keep) {
    if (!g_writesRefused.empty()) return {};
    const fs::path target = WriteTarget(gamePath);
    if (g_writesSandboxed) return target.string() + "." + label;
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string prefix = target.filename().string() + "." + label + "-";
    std::vector<std::pair<std::pair<std::string, int>, std::string>> aside;
    for (std::string& name : NamesBeside(target, prefix)) {
        aside.emplace_back(AsideOrder(name.substr(prefix.size())), std::move(name));
    }
    std::sort(aside.begin(), aside.end());
    // Numbered after the newest of the same second, so that the name tells the order.
    int n = !aside.empty() && aside.back().first.first == stamp ? aside.back().first.second + 1 : 1;
    for (const int last = n + 100; n < last; ++n) {
        std::string name = prefix + stamp;
        if (n != 1) name += '-' + std::to_string(n);
        const fs::path path = target.parent_path() / name;
        if (HostStorage().renameNoReplace(target, path)) {
            KeepFile(path);
            KeepFile(target);
            for (std::size_t i = 0; i + static_cast<std::size_t>(keep) <= aside.size(); ++i) {
                const fs::path old = target.parent_path() / aside[i].second;
                ::unlink(old.c_str());
                KeepFile(old);
            }
            return path.string();
        }
        if (errno != EEXIST) break;
    }
    return {};
}
