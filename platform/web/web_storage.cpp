// How game files stay safe in the browser (library_storage.js): the lock a tab takes to
// write one, shared with the other tabs, and the store that makes a change last.
#include <filesystem>
#include <string>

#include "platform/host/files.h"
#include "platform/host/files_internal.h"

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

}  // namespace

// Waiting here does not stop the page (the game's loop yields to the browser meanwhile),
// so every caller waits a few seconds, and a save never needs a thread to wait longer: a
// tab that keeps the lock beyond that is stuck, and the save fails.
int LockGameFile(const char* gamePath, LockWait, std::string* failure) {
    if (WritesRefused(failure)) return -1;
    if (WritesSandboxed()) return 0;  // nothing to lock: UnlockGameFile lets it be
    const int id = lbLockFile(Absolute(WriteTarget(gamePath)).c_str());
    if (id > 0) return id;
    if (failure != nullptr) {
        *failure = id == 0 ? "another tab keeps the ranking locked" : "the browser's storage cannot be read";
    }
    return -1;
}

void UnlockGameFile(int lock) {
    if (lock > 0) lbUnlockFile(lock);
}

void KeepFile(const std::string& file) {
    lbKeepFile(Absolute(file).c_str());
}
