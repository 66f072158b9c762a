// One resolver for every file the game opens. The game writes paths with backslashes and
// names files without regard to case ("bmp\Char\My_Char.bmp" is "bmp/Char/My_char.bmp").
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <filesystem>
#include <string>

// The on-disk path for a game path: each component matched case-insensitively against
// what exists (an exact match preferred); components that do not exist are kept as
// written, so a file about to be created gets a sensible name.
std::string ResolvePath(const char* gamePath);

// Opens a path (not a game path) that must name a regular file: a FIFO or a device in its
// place is refused at once instead of blocking the game or feeding it without end. The
// descriptor (blocking unless O_NONBLOCK is in flags), or -1 with *failure, when given,
// naming the file and saying why.
int OpenRegularFile(const std::string& path, int flags, std::string* failure, mode_t mode = 0666);

// Reads a regular file of at most `limit` bytes whole into *contents. A missing file reads
// as empty; anything else that keeps it from being read whole gives false, *contents
// empty and *failure naming the file and saying why.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string* contents, std::string* failure);

// Keeps one game folder elsewhere on disk: from now on every game path below
// `gameFolder` (e.g. "txt\\Ranking") resolves below `place`, for reading and writing
// alike. An installed game reads its data in place but keeps what it writes per user this
// way; ResolvePath(gameFolder) names where that folder is in this run.
void KeepFolderElsewhere(const char* gameFolder, const std::filesystem::path& place);

// fopen through the resolver. Text mode "rt"/"wt" is accepted. Only regular files are
// opened: a FIFO or a device in a file's place is refused at once instead of blocking.
std::FILE* OpenGameFile(const char* gamePath, const char* mode);

// From now on nothing is written: writes fail with the reason given (for a data folder
// that belongs to the installation, not to the player).
void RefuseWrites(const char* reason);
// From now on (until called with false) writes succeed without reaching the disk (a demo
// played back: its run saves as the recorded one did, and nothing of the player's changes).
void SandboxWrites(bool sandboxed);
// From now on every open for reading goes through the filter, which opens the file with
// `openLive` or answers from elsewhere (a demo keeps the player's files as the game reads
// them; a replay reads them from the demo).
using ReadFilter = std::FILE* (*)(const char* gamePath, std::FILE* (*openLive)(const char* gamePath));
void FilterReads(ReadFilter filter);

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

// Whether ReplaceGivenFile can put a file at a path the user gave (an option, the
// environment; used as it is, never resolved as a game path): its folder takes new files,
// and nothing at the name is in the way (a folder, or another user's entry in a shared
// folder such as /tmp). On failure *failure says why.
bool CanReplaceGivenFile(const std::string& path, std::string* failure);
// Puts the contents at the path the user gave, atomically as ReplaceFileAtomically does,
// but replacing whatever is at the name (a symbolic link is replaced, its target left
// alone). False (nothing at the name changed, *failure saying why) on failure.
bool ReplaceGivenFile(const std::string& path, const std::string& contents, std::string* failure);

// An exclusive lock on "<file>.lock" beside the file (made readable by its owner only),
// shared by every process of that user that writes the file. With LockWait::No a lock
// another process holds is not waited for. The lock to give to UnlockGameFile; LOCK_BUSY
// when another holder kept it; -1 on any other failure (*failure saying why, in both cases).
enum class LockWait { No, FewSeconds };
constexpr int LOCK_BUSY = -2;
int LockGameFile(const char* gamePath, LockWait wait, std::string* failure);
void UnlockGameFile(int lock);

// Removes a file (a path, not a game path) and makes its absence last as
// ReplaceFileAtomically makes a new file last; nothing while writes are refused or
// sandboxed.
void RemoveFile(const std::string& path);

// Removes the temporary files that replacing the file left when cut short (a killed
// process). Call it holding the file's lock, so that no write in progress loses its own.
void RemoveStaleTemporaries(const char* gamePath);

// Renames the file to "<file>.<label>-<local time>" (never over an existing file), then
// removes all but the newest `keep` files set aside so. The new path, or empty on failure.
std::string SetFileAside(const char* gamePath, const char* label, int keep);
