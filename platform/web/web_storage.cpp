// How game files stay safe in the browser (library_storage.js): the lock a tab takes to
// write one, shared with the other tabs, the store that makes a change last, and a rename
// that looks before it replaces.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/host/files_internal.h"
#include "platform/web/web_internal.h"

extern "C" {
// library_storage.js
int lbLockFile(const char* path);
void lbUnlockFile(int id);
void lbKeepFile(const char* path);
}

namespace {

// Storage is keyed by absolute paths, whatever the working folder.
std::string Absolute(const std::string& path) {
    std::error_code error;
    return std::filesystem::absolute(path, error).lexically_normal().string();
}

// Waiting here does not stop the page (the game's loop yields to the browser meanwhile),
// so every caller waits a few seconds, and a save never needs a thread to wait longer: a
// tab that keeps the lock beyond that is stuck, and the save fails.
int Lock(const char* gamePath, LockWait, std::string* failure) {
    if (WritesRefused(failure)) return -1;
    if (WritesSandboxed()) return 0;  // nothing to lock: Unlock lets it be
    const int id = lbLockFile(Absolute(WriteTarget(gamePath)).c_str());
    if (id > 0) return id;
    if (failure != nullptr) {
        *failure = id == 0 ? "another tab keeps the ranking locked" : "the browser's storage cannot be read";
    }
    return -1;
}

void Unlock(int lock) {
    if (lock > 0) lbUnlockFile(lock);
}

void Keep(const std::string& file) {
    lbKeepFile(Absolute(file).c_str());
}

// The browser's files have no rename that never replaces; there one thread writes them,
// and every tab writes the ranking only holding its lock, so a look first is as safe.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

const Storage web_backend::STORAGE{Lock, Unlock, Keep, RenameNoReplace};
