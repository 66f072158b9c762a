// The storage the backend installed, behind the host's file calls.
#include "platform/host/storage.h"

#include "platform/host/files_internal.h"

namespace {

Storage g_storage{};

}  // namespace

void UseStorage(const Storage& storage) {
    g_storage = storage;
}

const Storage& HostStorage() {
    return g_storage;
}

int LockGameFile(const char* gamePath, LockWait wait, std::string* failure) {
    return g_storage.lock(gamePath, wait, failure);
}

void UnlockGameFile(int lock) {
    g_storage.unlock(lock);
}

void KeepFile(const std::string& file) {
    g_storage.keep(file);
}
