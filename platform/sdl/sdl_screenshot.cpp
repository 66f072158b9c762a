// The screenshot key: the frame on screen, 640x480 as the game drew it (not as scaled
// for the window), saved as a PNG under a name with the local date and time.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/frame_png.h"
#include "platform/host/user_dirs.h"
#include "platform/sdl/sdl_internal.h"

namespace {

std::vector<std::uint8_t> g_pixels;
std::uint32_t g_palette[256];

// lantern-blade_2026-12-06_23-45-12.png, with _2, _3, ... when taken in the same second.
std::filesystem::path FreeName(const std::filesystem::path& folder) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    const std::string base = std::string("lantern-blade_") + stamp;
    std::filesystem::path path = folder / (base + ".png");
    std::error_code error;
    for (int n = 2; std::filesystem::exists(path, error); ++n) {
        path = folder / (base + "_" + std::to_string(n) + ".png");
    }
    return path;
}

}  // namespace

namespace sdl_backend {

void RememberFrame(const std::uint8_t* pixels, const std::uint32_t* palette) {
    g_pixels.assign(pixels, pixels + SCREEN_WIDTH * SCREEN_HEIGHT);
    std::copy(palette, palette + 256, g_palette);
}

void SaveScreenshot() {
    const std::filesystem::path folder = ScreenshotFolder();
    if (g_pixels.empty() || folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = FreeName(folder).string();
    if (!error && WriteFramePng(g_pixels.data(), SCREEN_WIDTH, SCREEN_HEIGHT, g_palette, path)) {
        std::printf("lantern-blade: screenshot saved as %s\n", path.c_str());
    } else {
        std::fprintf(stderr, "lantern-blade: cannot save a screenshot in %s\n", folder.c_str());
    }
    std::fflush(stdout);
}

}  // namespace sdl_backend
