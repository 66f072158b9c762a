// How game files stay safe on the desktop: the lock every process takes to write one
// (flock on "<file>.lock" beside it), and the flush that makes a rename durable. The
// browser keeps its files its own way (platform/web/web_storage.cpp).
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/host/files.h"
#include "platform/host/files_internal.h"

int LockGameFile(const char* gamePath, std::string* failure) {
    if (WritesRefused(failure)) return -1;
    const std::string lockPath = WriteTarget(gamePath) + ".lock";
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    // Another user's lock file can still be locked through a read-only descriptor.
    if (fd < 0 && errno == EACCES) {
        fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) errno = EACCES;
    }
    if (fd < 0) {
        if (failure != nullptr) *failure = std::strerror(errno);
        return -1;
    }
    // A save holds the lock for milliseconds; a holder that keeps it for seconds is stuck.
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
        if (errno != EWOULDBLOCK && errno != EINTR) break;
        ::usleep(10000);
    }
    const bool busy = errno == EWOULDBLOCK;
    if (failure != nullptr) *failure = busy ? "another game keeps the ranking locked" : std::strerror(errno);
    ::close(fd);
    return -1;
}

void UnlockGameFile(int lock) {
    if (lock >= 0) ::close(lock);
}


void KeepFile(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
