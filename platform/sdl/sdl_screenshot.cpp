// The screenshot key: the frame on screen, 640x480 as the game drew it (not as scaled
// for the window), saved as a PNG under a name with the local date and time.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "platform/desktop/frame_png.h"
#include "platform/host/user_dirs.h"
#include "platform/sdl/sdl_internal.h"

namespace {

// Writes the frame shown as lantern-blade_2026-12-06_23-45-12.png in the folder, with _2, _3, ...
// when taken in the same second. Each name is made anew, never through what stands there:
// in a folder shared with others, a link planted under the next name leads nowhere. The
// path written, or empty.
std::string WriteUnderFreeName(const sdl_backend::ShownFrame& shown, const std::filesystem::path& folder) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    const std::string base = std::string("lantern-blade_") + stamp;
    for (int n = 1; n <= 100; ++n) {
        // Appended piece by piece: GCC 12 warns falsely about "_" + std::to_string(n) at -O3.
        std::string name = base;
        if (n > 1) name.append(1, '_').append(std::to_string(n));
        const std::string path = (folder / (name + ".png")).string();
        if (WriteFramePng(shown.pixels, SCREEN_WIDTH, SCREEN_HEIGHT, shown.palette, path, true)) return path;
        if (errno != EEXIST) break;
    }
    return {};
}

}  // namespace

namespace sdl_backend {

void SaveScreenshot() {
    const std::filesystem::path folder = ScreenshotFolder();
    const ShownFrame* shown = FrameShown();
    if (shown == nullptr || folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = error ? std::string() : WriteUnderFreeName(*shown, folder);
    if (path.empty()) {
        const std::string why = error ? error.message() : std::strerror(errno);
        ShowNote("No screenshot: " + why, "cannot save a screenshot in " + folder.string() + ": " + why);
    } else {
        ShowNote("Screenshot saved", "screenshot saved as " + path);
    }
}

}  // namespace sdl_backend
