// What the files' parts share: the file a game path names for writing, and whether
// writes are refused.
#pragma once

#include <string>

// The file a game path finally names: symbolic links followed to their target, which
// need not exist yet.
std::string WriteTarget(const char* gamePath);
// True (with *failure saying why, when given) once RefuseWrites has been called.
bool WritesRefused(std::string* failure);
