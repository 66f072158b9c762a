// How the host keeps game files: the lock that every writer of a file takes, the flush
// that makes a change last, and a rename that never replaces. The desktop's way
// (platform/desktop/) or the browser's (platform/web/), chosen at start with the backend.
#pragma once

#include <string>

#include "platform/host/files.h"

struct Storage {
    // As LockGameFile and UnlockGameFile (files.h) say.
    int (*lock)(const char* gamePath, LockWait wait, std::string* failure);
    void (*unlock)(int lock);
    // Makes a file's present state (its new contents after a rename, or its absence) last.
    void (*keep)(const std::string& file);
    // Renames, never over a file already there (false with errno EEXIST then).
    bool (*renameNoReplace)(const std::string& from, const std::string& to);
};

void UseStorage(const Storage& storage);
// The storage in use (files.cpp writes through it).
const Storage& HostStorage();
