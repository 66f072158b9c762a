// How game files stay safe on the desktop: the lock every process takes to write one
// (flock on "<file>.lock" beside it), the flush that makes a rename durable, and the
// kernel's rename that never replaces. The browser keeps its files its own way
// (platform/web/web_storage.cpp).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/desktop/desktop.h"
#include "platform/host/files_internal.h"

namespace {

int Lock(const char* gamePath, LockWait wait, std::string* failure) {
    if (WritesRefused(failure)) return -1;
    if (WritesSandboxed()) return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // Only the player may open the lock: anyone who can open a file can hold a lock on it.
    const std::string lockPath = WriteTarget(gamePath) + ".lock";
    const int fd = OpenRegularFile(lockPath, O_RDWR | O_CREAT | O_NOFOLLOW, failure, 0600);
    if (fd < 0) return -1;
    ::fchmod(fd, 0600);  // a lock file an older version made readable by all
    // A save holds the lock for milliseconds; a holder that keeps it for seconds is stuck.
    const int attempts = wait == LockWait::FewSeconds ? 500 : 1;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) ::usleep(10000);
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
    }
    const bool busy = errno == EWOULDBLOCK;
    if (failure != nullptr) {
        *failure = std::filesystem::path(lockPath).filename().string() +
                   (busy ? " is held by another process" : std::string(": ") + std::strerror(errno));
    }
    ::close(fd);
    return busy ? LOCK_BUSY : -1;
}

void Unlock(int lock) {
    if (lock >= 0) ::close(lock);
}

void Keep(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

}  // namespace

const Storage desktop::STORAGE{Lock, Unlock, Keep, RenameNoReplace};
