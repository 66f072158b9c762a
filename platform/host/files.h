// One resolver for every file the game opens. The game writes paths with backslashes and
// names files without regard to case ("bmp\Char\My_Char.bmp" is "bmp/Char/My_char.bmp").
#pragma once

#include <cstdio>
#include <string>

// The on-disk path for a game path: each component matched case-insensitively against
// what exists (an exact match preferred); components that do not exist are kept as
// written, so a file about to be created gets a sensible name.
std::string ResolvePath(const char* gamePath);

// fopen through the resolver. Text mode "rt"/"wt" is accepted. Only regular files are
// opened: a FIFO or a device in a file's place is refused at once instead of blocking.
std::FILE* OpenGameFile(const char* gamePath, const char* mode);

// From now on nothing is written: writes fail with the reason given (for a data folder
// that belongs to the installation, not to the player).
void RefuseWrites(const char* reason);

// Whether the file can be replaced: it is absent or a regular file that may be written
// (a file without any write permission is left alone even where the user could). On
// failure *failure says why. Symbolic links are followed, here and in the calls below.
bool CanReplaceFile(const char* gamePath, std::string* failure);

// Replaces a file's contents atomically: writes a temporary file beside it, flushes it
// to disk and renames it over the target, then flushes the folder. A symbolic link stays
// and its target is replaced. False (the old file untouched, *failure saying why when
// given) on failure.
bool ReplaceFileAtomically(const char* gamePath, const std::string& contents,
                           std::string* failure = nullptr);

// An exclusive lock on "<file>.lock" beside the file, shared by every process that
// writes it; waits a few seconds for another holder. The lock to give to UnlockGameFile,
// or -1 (*failure saying why).
int LockGameFile(const char* gamePath, std::string* failure);
void UnlockGameFile(int lock);

// Removes the temporary files that replacing the file left when cut short (a killed
// process). Call it holding the file's lock, so that no write in progress loses its own.
void RemoveStaleTemporaries(const char* gamePath);

// Renames the file to "<file>.<label>-<local time>" (never over an existing file). The
// new path, or empty on failure.
std::string SetFileAside(const char* gamePath, const char* label);
