// A run sent to the world ranking from the game: the game binary's --submit sends it in
// a process of its own, so the game plays on while the server verifies it, and the last
// thing that process says (the verdict, or why nothing was sent) becomes a note.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_internal.h"

namespace {

constexpr std::size_t OUTPUT_LIMIT = 4096;

pid_t g_sender = 0;
int g_output = -1;
std::string g_said;

// The sender's last line, without the program's name before it.
std::string LastLine(std::string text) {
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::string line = text.substr(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);
    const std::string prefix = "lantern-blade: ";
    if (line.rfind(prefix, 0) == 0) line.erase(0, prefix.size());
    return line.empty() ? "the run was not sent" : line;
}

}  // namespace

namespace sdl_backend {

void PollSending() {
    if (g_sender == 0) return;
    char buffer[512];
    for (ssize_t n; (n = read(g_output, buffer, sizeof buffer)) > 0;) {
        if (g_said.size() < OUTPUT_LIMIT) g_said.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    if (waitpid(g_sender, &status, WNOHANG) != g_sender) return;
    close(g_output);
    g_sender = 0;
    const std::string line = LastLine(g_said);
    ShowNote("World ranking: " + line, "world ranking: " + line);
}

void SendDemo(const std::string& path) {
    if (g_sender != 0) {
        ShowNote("A run is being sent already", "a run is being sent already; " + path + " is not");
        return;
    }
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ShowNote("Cannot send the run", "cannot start sending " + path);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    pid_t child = 0;
    const int failure = SpawnGame({"--submit", path}, &actions, &child);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failure != 0) {
        close(pipeEnds[0]);
        ShowNote("Cannot send the run", "cannot start sending " + path + ": " + std::strerror(failure));
        return;
    }
    fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    g_sender = child;
    g_output = pipeEnds[0];
    g_said.clear();
    ShowNote("Sending the run to the world ranking", "sending " + path + " to the world ranking");
}

}  // namespace sdl_backend
