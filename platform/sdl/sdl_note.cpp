// The backend's short notes about its own keys (a screenshot taken, muted, the volume):
// a line on stderr, and the note written over the picture on screen for about a second.
// It is drawn over the presented picture only (by the renderer, or into the window
// surface), so it never reaches the game's frames or a screenshot.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/host/font.h"
#include "platform/sdl/sdl_internal.h"

namespace {

constexpr Uint32 NOTE_MS = 1000;
constexpr int SCALE = 2;  // picture pixels to a font pixel
constexpr int CELL_WIDTH = (font::GLYPH_WIDTH + 1) * SCALE;
constexpr int MARGIN = 8;
// Below the game's frame rate in the top left corner, and short of the countdown's five
// digits at the top right of play (from x 532), so a note hides nothing of the game's.
constexpr int TOP = 20;
constexpr int RIGHT_LIMIT = 524;
constexpr int PADDING = 4;
constexpr Uint8 SHADE = 176;  // the box's black, over the picture
constexpr std::size_t MOST_CHARACTERS = (RIGHT_LIMIT - MARGIN - 2 * PADDING + SCALE) / CELL_WIDTH;

std::string g_note;
Uint32 g_until = 0;
bool g_shown = false;  // on the picture now up

bool Lasts() {
    return !g_note.empty() && !SDL_TICKS_PASSED(SDL_GetTicks(), g_until);
}

// The note's box and its inked pixels, in the picture's own pixels.
SDL_Rect Box() {
    return {MARGIN, TOP, static_cast<int>(g_note.size()) * CELL_WIDTH + 2 * PADDING - SCALE,
            font::GLYPH_HEIGHT * SCALE + 2 * PADDING};
}

std::vector<SDL_Rect> Inked(const SDL_Rect& box) {
    std::vector<SDL_Rect> inked;
    for (std::size_t i = 0; i < g_note.size(); ++i) {
        const std::uint8_t* glyph = font::Glyph(g_note[i]);
        for (int row = 0; row < font::GLYPH_HEIGHT; ++row) {
            for (int column = 0; column < font::GLYPH_WIDTH; ++column) {
                if (((glyph[row] >> (font::GLYPH_WIDTH - 1 - column)) & 1) == 0) continue;
                inked.push_back({box.x + PADDING + static_cast<int>(i) * CELL_WIDTH + column * SCALE,
                                 box.y + PADDING + row * SCALE, SCALE, SCALE});
            }
        }
    }
    return inked;
}

}  // namespace

namespace sdl_backend {

void ShowNote(const std::string& onScreen, const std::string& onStderr) {
    std::fprintf(stderr, "lantern-blade: %s\n", onStderr.c_str());
    g_note = onScreen.substr(0, MOST_CHARACTERS);
    g_until = SDL_GetTicks() + NOTE_MS;
    ShowPicture(false);
}

std::pair<int, int> NoteRows() {
    if (!g_shown && !Lasts()) return {0, 0};
    return {TOP, Box().h};
}

void DrawNote(SDL_Renderer* renderer) {
    g_shown = Lasts();
    if (!g_shown) return;
    const SDL_Rect box = Box();
    const std::vector<SDL_Rect> inked = Inked(box);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, SHADE);
    SDL_RenderFillRect(renderer, &box);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderFillRects(renderer, inked.data(), static_cast<int>(inked.size()));
}

// The same note as the renderer draws it, into XRGB8888 pixels: the box darkened as the
// renderer blends black over it, the ink white.
void DrawNote(SDL_Surface* surface, SDL_Point origin, int scale) {
    g_shown = Lasts();
    if (!g_shown) return;
    const auto place = [&](const SDL_Rect& r) {
        return SDL_Rect{origin.x + r.x * scale, origin.y + r.y * scale, r.w * scale, r.h * scale};
    };
    const SDL_Rect box = place(Box());
    for (int y = box.y; y < box.y + box.h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch);
        for (int x = box.x; x < box.x + box.w; ++x) {
            std::uint32_t shaded = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const std::uint32_t channel = (row[x] >> shift) & 0xFF;
                shaded |= (channel * (255 - SHADE) / 255) << shift;
            }
            row[x] = shaded;
        }
    }
    for (const SDL_Rect& ink : Inked(Box())) {
        const SDL_Rect at = place(ink);
        SDL_FillRect(surface, &at, 0xFFFFFF);
    }
}

void ExpireNote() {
    if (g_shown && !Lasts()) ShowPicture(false);
}

}  // namespace sdl_backend
