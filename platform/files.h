// One resolver for every file the game opens. The game writes paths with backslashes and
// names files without regard to case ("bmp\Char\My_Char.bmp" is "bmp/Char/My_char.bmp").
#pragma once

#include <cstdio>
#include <string>

// The on-disk path for a game path: each component matched case-insensitively against
// what exists (an exact match preferred); components that do not exist are kept as
// written, so a file about to be created gets a sensible name.
std::string ResolvePath(const char* gamePath);

// fopen through the resolver. Text mode "rt"/"wt" is accepted.
std::FILE* OpenGameFile(const char* gamePath, const char* mode);

// Replaces a file's contents atomically: writes a temporary file beside it, flushes it
// to disk and renames it over the target. False (and the old file untouched) on failure.
bool ReplaceFileAtomically(const char* gamePath, const std::string& contents);
