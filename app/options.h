// The command line, read before the window opens.
#pragma once

#include <string>

// -1 when the game should go on and start; otherwise the process's exit code: 0 after
// --help or --version (1 when their text could not be written), 2 after an option it
// does not know (the usage then goes to stderr) or a file to record in that cannot be
// written. The usage names `scores` as the folder
// the scores are kept in.
int ReadOptions(int argc, const char* const* argv, const std::string& scores);
