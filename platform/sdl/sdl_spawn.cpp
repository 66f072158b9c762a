// The game binary started again in a process of its own, with other options: to show a
// demo or to send a run while the game waits or plays on.
#include <cerrno>
#include <filesystem>
#include <vector>

#include "platform/sdl/sdl_internal.h"

extern char** environ;

namespace sdl_backend {

int SpawnGame(std::vector<std::string> options, const posix_spawn_file_actions_t* actions, pid_t* child) {
    std::error_code error;
    std::string self = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (error) return ENOENT;
    std::vector<char*> argv{self.data()};
    for (std::string& option : options) argv.push_back(option.data());
    argv.push_back(nullptr);
    return posix_spawn(child, self.c_str(), actions, nullptr, argv.data(), environ);
}

}  // namespace sdl_backend
