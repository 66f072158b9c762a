// What the files' parts share: the file a game path names for writing, whether writes
// are refused, and how a change to a file is kept (on the desktop or in the browser).
#pragma once

#include <string>

// The file a game path finally names: symbolic links followed to their target, which
// need not exist yet.
std::string WriteTarget(const char* gamePath);
// True (with *failure saying why, when given) once RefuseWrites has been called.
bool WritesRefused(std::string* failure);
// True while SandboxWrites holds: saves then go nowhere and need no lock.
bool WritesSandboxed();

// Makes a file's present state (its new contents after a rename, or its absence) last:
// the desktop flushes its folder to disk, the browser stores it in its own storage.
void KeepFile(const std::string& file);
