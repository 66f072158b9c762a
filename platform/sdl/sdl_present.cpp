// The picture's way to the screen, centred and scaled by whole multiples where one fits,
// never smoothed. Where drawing is done in software anyway (a screen no larger than the
// picture, or no GPU) each frame is converted straight into the window's own surface at
// its scale, and only the rows that changed are converted and sent to the display: going
// through a renderer there would clear, copy and, under software OpenGL, rasterise the
// whole window every frame. With a GPU a streaming texture takes the changed rows and the
// GPU scales it. SDL_RENDER_DRIVER in the environment still chooses a renderer.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/overlay/overlay.h"
#include "platform/seam/backend.h"
#include "platform/sdl/sdl_internal.h"

namespace {


SDL_Window* g_window = nullptr;
SDL_Renderer* g_renderer = nullptr;  // null when presenting through the window surface
SDL_Texture* g_texture = nullptr;
// Window surface only, and only while the window is smaller than the picture: the
// picture at its own size, stretched into the window.
SDL_Surface* g_small = nullptr;
bool g_surfaceStale = true;  // the window surface is new: its letterbox is not yet black
const SDL_Surface* g_lastSurface = nullptr;
int g_lastWidth = 0;
int g_lastHeight = 0;
sdl_backend::ShownFrame g_shown{};
sdl_backend::ChangedSpan g_changed[SCREEN_HEIGHT];
constexpr sdl_backend::ChangedSpan WHOLE_ROW{0, SCREEN_WIDTH};
// The overlay as last drawn: its rows are drawn anew when it changes or goes.
overlay::Picture g_overlayDrawn;

// Where the picture lies in a window of that size, as SDL's renderer places a logical
// size: the largest whole multiple that fits, or, in a window smaller than the picture,
// scaled down to fill its width or its height.
struct View {
    int scale;  // 0 when scaled down
    SDL_Rect rect;
};

View ViewOf(int width, int height) {
    if (width >= SCREEN_WIDTH && height >= SCREEN_HEIGHT) {
        const int scale = std::min(width / SCREEN_WIDTH, height / SCREEN_HEIGHT);
        const int w = SCREEN_WIDTH * scale;
        const int h = SCREEN_HEIGHT * scale;
        return {scale, {(width - w) / 2, (height - h) / 2, w, h}};
    }
    const float wanted = static_cast<float>(SCREEN_WIDTH) / SCREEN_HEIGHT;
    if (wanted > static_cast<float>(width) / static_cast<float>(height)) {
        const int h = static_cast<int>(SCREEN_HEIGHT * (static_cast<float>(width) / SCREEN_WIDTH));
        return {0, {0, (height - h) / 2, width, h}};
    }
    const int w = static_cast<int>(SCREEN_WIDTH * (static_cast<float>(height) / SCREEN_HEIGHT));
    return {0, {(width - w) / 2, 0, w, height}};
}

// A machine without a render node has no GPU to draw with.
bool HasRenderNode() {
    for (int node = 128; node < 136; ++node) {
        const std::string path = "/dev/dri/renderD" + std::to_string(node);
        if (access(path.c_str(), F_OK) == 0) return true;
    }
    return false;
}

bool SmallScreen() {
    SDL_DisplayMode desktop;
    return SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w <= SCREEN_WIDTH &&
           desktop.h <= SCREEN_HEIGHT;
}

// OpenGL drawn by the processor (Mesa's llvmpipe or softpipe, as in virtual machines,
// remote desktops and Xvfb) is slower than the window surface for the same picture.
bool SoftwareOpenGl() {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(g_renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0 ||
        SDL_GL_GetCurrentContext() == nullptr) {
        return false;
    }
    using GetString = const unsigned char* (*)(unsigned);
    constexpr unsigned GL_RENDERER_NAME = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const auto* name = getString != nullptr ? reinterpret_cast<const char*>(getString(GL_RENDERER_NAME)) : nullptr;
    return name != nullptr && (std::strstr(name, "llvmpipe") != nullptr || std::strstr(name, "softpipe") != nullptr ||
                               std::strstr(name, "Software Rasterizer") != nullptr);
}

void DropRenderer() {
    if (g_texture != nullptr) SDL_DestroyTexture(g_texture);
    if (g_renderer != nullptr) SDL_DestroyRenderer(g_renderer);
    g_texture = nullptr;
    g_renderer = nullptr;
}

// The renderer with a streaming texture for the picture; false when none could be made.
bool StartRenderer() {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    g_renderer = SDL_CreateRenderer(g_window, -1, 0);
    if (g_renderer == nullptr) return false;
    SDL_RenderSetLogicalSize(g_renderer, SCREEN_WIDTH, SCREEN_HEIGHT);
    // 0x00RRGGBB palette entries go into the texture as they are.
    g_texture = SDL_CreateTexture(g_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                  SCREEN_WIDTH, SCREEN_HEIGHT);
    return g_texture != nullptr;
}

// The window surface takes the palette's entries as they are only in XRGB8888.
bool StartSurface() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    const SDL_Surface* surface = SDL_GetWindowSurface(g_window);
    return surface != nullptr && surface->format->format == SDL_PIXELFORMAT_RGB888;
}

// Whole-multiple scaling only when at least one multiple fits; a window shrunk below
// 640x480 still shows the whole picture, scaled down.
void UpdateScaling() {
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(g_renderer, &width, &height);
    const bool fits = width >= SCREEN_WIDTH && height >= SCREEN_HEIGHT;
    SDL_RenderSetIntegerScale(g_renderer, fits ? SDL_TRUE : SDL_FALSE);
}

// Through the renderer: each rectangle blended over the picture in its logical size.
void DrawOverlay() {
    const overlay::Picture& picture = overlay::Shown();
    g_overlayDrawn = picture;
    if (picture.rects.empty()) return;
    SDL_SetRenderDrawBlendMode(g_renderer, SDL_BLENDMODE_BLEND);
    for (const overlay::Rect& rect : picture.rects) {
        SDL_SetRenderDrawColor(g_renderer, (rect.argb >> 16) & 0xFF, (rect.argb >> 8) & 0xFF, rect.argb & 0xFF,
                               rect.argb >> 24);
        const SDL_Rect at{rect.x, rect.y, rect.w, rect.h};
        SDL_RenderFillRect(g_renderer, &at);
    }
    SDL_SetRenderDrawBlendMode(g_renderer, SDL_BLENDMODE_NONE);
}

void ShowTexture() {
    SDL_SetRenderDrawColor(g_renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_renderer);
    SDL_RenderCopy(g_renderer, g_texture, nullptr, nullptr);
    DrawOverlay();
    sdl_backend::DrawNote(g_renderer);
    SDL_RenderPresent(g_renderer);
}

// The rows' changed columns, together from the first changed row to the last: the part of
// a run of changed rows that changed (all of it when none did).
sdl_backend::PictureArea ChangedArea(int top, int bottom) {
    sdl_backend::PictureArea area{SCREEN_WIDTH, top, 0, bottom};
    for (int y = top; y < bottom; ++y) {
        if (!g_changed[y].Changed()) continue;
        area.left = std::min(area.left, g_changed[y].left);
        area.right = std::max(area.right, g_changed[y].right);
    }
    if (area.left >= area.right) area = {0, top, SCREEN_WIDTH, bottom};
    return area;
}

// The changed part, from the first changed row to the last, into the texture.
void PresentThroughRenderer() {
    int first = 0;
    while (first < SCREEN_HEIGHT && !g_changed[first].Changed()) ++first;
    if (first == SCREEN_HEIGHT) {
        ShowTexture();  // only the overlay changed
        return;
    }
    int last = SCREEN_HEIGHT - 1;
    while (last > first && !g_changed[last].Changed()) --last;
    const sdl_backend::PictureArea area = ChangedArea(first, last + 1);
    const SDL_Rect band{area.left, area.top, area.right - area.left, area.bottom - area.top};
    void* target = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(g_texture, &band, &target, &pitch) != 0) return;
    sdl_backend::ConvertRows(g_shown.pixels, g_shown.palette, area, 1, target, pitch);
    SDL_UnlockTexture(g_texture);
    ShowTexture();
}

// The changed part of each run of changed rows converted and sent on its own: into the
// window surface at the picture's scale, or, in a window smaller than the picture, into
// the picture-sized surface that is then stretched into the window.
void PresentToSurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(g_window);
    if (surface == nullptr) return;
    // A surface made anew (the window changed size) starts black, the picture all to draw.
    if (surface != g_lastSurface || surface->w != g_lastWidth || surface->h != g_lastHeight) {
        g_surfaceStale = true;
        g_lastSurface = surface;
        g_lastWidth = surface->w;
        g_lastHeight = surface->h;
    }
    const View view = ViewOf(surface->w, surface->h);
    if (g_surfaceStale) {
        SDL_FillRect(surface, nullptr, 0);
        std::fill(std::begin(g_changed), std::end(g_changed), WHOLE_ROW);
    }
    SDL_Surface* into = surface;
    View at = view;
    if (view.scale == 0) {
        if (g_small == nullptr) {
            g_small = SDL_CreateRGBSurfaceWithFormat(0, SCREEN_WIDTH, SCREEN_HEIGHT, 32, SDL_PIXELFORMAT_RGB888);
            std::fill(std::begin(g_changed), std::end(g_changed), WHOLE_ROW);
        }
        if (g_small == nullptr) return;
        into = g_small;
        at = {1, {0, 0, SCREEN_WIDTH, SCREEN_HEIGHT}};
    }
    // The rows under the note and the overlay (as last drawn and now) are drawn anew each
    // time, the note and the overlay over them.
    const auto [noteFirst, noteCount] = sdl_backend::NoteRows();
    std::fill(g_changed + noteFirst, g_changed + noteFirst + noteCount, WHOLE_ROW);
    const overlay::Picture& picture = overlay::Shown();
    std::fill(g_changed + g_overlayDrawn.top, g_changed + g_overlayDrawn.bottom, WHOLE_ROW);
    std::fill(g_changed + picture.top, g_changed + picture.bottom, WHOLE_ROW);
    g_overlayDrawn = picture;
    // Runs of changed rows are at least one unchanged row apart.
    SDL_Rect runs[SCREEN_HEIGHT / 2 + 1];
    int runCount = 0;
    for (int y = 0; y < SCREEN_HEIGHT;) {
        if (!g_changed[y].Changed()) {
            ++y;
            continue;
        }
        int end = y;
        while (end < SCREEN_HEIGHT && g_changed[end].Changed()) ++end;
        const sdl_backend::PictureArea area = ChangedArea(y, end);
        const SDL_Rect run{at.rect.x + area.left * at.scale, at.rect.y + y * at.scale,
                           (area.right - area.left) * at.scale, (end - y) * at.scale};
        auto* target = static_cast<std::uint8_t*>(into->pixels) + run.y * into->pitch +
                       run.x * static_cast<int>(sizeof(std::uint32_t));
        sdl_backend::ConvertRows(g_shown.pixels, g_shown.palette, area, at.scale, target, into->pitch);
        runs[runCount++] = run;
        y = end;
    }
    overlay::Blend(picture, static_cast<std::uint32_t*>(into->pixels), into->pitch, at.rect.x, at.rect.y, at.scale,
                   false);
    sdl_backend::DrawNote(into, {at.rect.x, at.rect.y}, at.scale);
    if (view.scale == 0 && runCount > 0) {
        SDL_Rect to = view.rect;
        SDL_BlitScaled(g_small, nullptr, surface, &to);
        runs[0] = view.rect;
        runCount = 1;
    }
    if (g_surfaceStale) {
        SDL_UpdateWindowSurface(g_window);
    } else if (runCount > 0) {
        SDL_UpdateWindowSurfaceRects(g_window, runs, runCount);
    }
    g_surfaceStale = false;
}

}  // namespace

namespace sdl_backend {

bool StartPresenting(SDL_Window* window) {
    g_window = window;
    const char* driver = std::getenv("SDL_RENDER_DRIVER");
    const bool software = (driver == nullptr || *driver == '\0') && (SmallScreen() || !HasRenderNode());
    if (!software) {
        if (!StartRenderer()) return false;
        if (!SoftwareOpenGl()) {
            UpdateScaling();
            return true;
        }
        DropRenderer();
    }
    return StartSurface() || StartRenderer();
}

void StopPresenting() {
    DropRenderer();
    if (g_small != nullptr) SDL_FreeSurface(g_small);
    g_small = nullptr;
    g_window = nullptr;
    g_shown.valid = false;
    g_surfaceStale = true;
}

void ShowPicture(bool resized) {
    if (g_window == nullptr || !g_shown.valid) return;
    if (g_renderer != nullptr) {
        if (resized) UpdateScaling();
        ShowTexture();
        return;
    }
    if (resized) {
        g_surfaceStale = true;
        PresentToSurface();
        return;
    }
    // Only the note's rows change; the whole window is sent again for an exposure.
    std::fill(std::begin(g_changed), std::end(g_changed), sdl_backend::ChangedSpan{0, 0});
    PresentToSurface();
    SDL_UpdateWindowSurface(g_window);
}

void PresentFrame(const std::uint8_t* pixels, const std::uint32_t* palette) {
    if (g_window == nullptr) return;
    const bool stale = g_renderer == nullptr && g_surfaceStale;
    const bool overlayChanged = overlay::Shown().rects != g_overlayDrawn.rects;
    if (TakeFrame(g_shown, pixels, palette, g_changed) == 0 && !stale && !overlayChanged) return;
    if (g_renderer != nullptr) {
        PresentThroughRenderer();
    } else {
        PresentToSurface();
    }
}

const ShownFrame* FrameShown() {
    return g_shown.valid ? &g_shown : nullptr;
}

}  // namespace sdl_backend
