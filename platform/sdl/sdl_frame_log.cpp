// Opt-in timing log for measurements: with LANTERN_BLADE_FRAME_LOG=<file> in the
// environment, every present appends one line, the CLOCK_MONOTONIC time in nanoseconds.
// The clock is the system's, so a measuring script can set the stamps against its own
// (the process start, for the time to the first frame).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/host/files.h"
#include "platform/sdl/sdl_internal.h"

namespace {

std::FILE* OpenLog() {
    const char* path = std::getenv("LANTERN_BLADE_FRAME_LOG");
    if (path == nullptr || path[0] == '\0') {
        return nullptr;
    }
    std::string failure;
    const int fd = OpenRegularFile(path, O_WRONLY | O_APPEND | O_CREAT, &failure);
    std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "a");
    if (file == nullptr) {
        if (fd >= 0) ::close(fd);
        std::fprintf(stderr, "lantern-blade: no frame log: %s\n", failure.c_str());
    } else {
        // A line per present reaches the file even if the process is killed.
        std::setvbuf(file, nullptr, _IOLBF, 0);
    }
    return file;
}

}  // namespace

namespace sdl_backend {

void LogPresent() {
    static std::FILE* const log = OpenLog();
    if (log == nullptr) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(log, "%lld\n",
                 static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
}

}  // namespace sdl_backend
