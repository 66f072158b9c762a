// The overlay: what a runner needs, drawn over the presented picture and never into the
// game's frames, screenshots or demo checks. The game's side fills a View at each present
// (through the feed it registers); this module lays it out in the picture's 640x480
// coordinates, in our own pixel font, as translucent rectangles that each front end draws
// over the picture it shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace overlay {

constexpr int NAME_LIMIT = 16;

// Whose run a ranking entry or a replay is, as its demo says; an empty name: unknown.
struct Signature {
    std::string name;
    std::int64_t date = 0;  // UTC seconds, 0 when unknown
};

// The translucent hero of the best run, a 64x64 cell of palette indices.
struct Ghost {
    bool shown = false;
    int left = 0;  // where the cell's top left lies on the picture
    int top = 0;
    const std::uint8_t* cell = nullptr;  // the cell's first pixel
    int pitch = 0;                        // bytes from one row of the cell to the next
    const std::uint32_t* palette = nullptr;  // 0x00RRGGBB
    std::uint8_t key = 0;                 // the index left out
};

enum class Screen : std::uint8_t { Other, Play, Results, Ranking };

// What the overlay shows now.
struct View {
    Screen screen = Screen::Other;
    // Only what the game itself drew and the notes: no score, best, ghost or names.
    bool classic = false;

    // In play: the play time so far and the score it makes, the kills still wanted, and
    // the player's fastest clear (0: none yet).
    std::uint32_t playTimeMs = 0;
    std::uint32_t score = 0;
    int killsLeft = 0;
    std::uint32_t bestTimeMs = 0;
    std::uint32_t bestScore = 0;
    Ghost ghost;

    // On the results of a clear: whether it beat the player's best, and the place it took
    // (1-5, 0 when it entered nothing).
    bool cleared = false;
    bool newBest = false;
    int place = 0;

    // On the ranking: whose each entry is, and the place just made (0: none).
    Signature entries[5];
    int marked = 0;

    // A kept run being watched.
    bool replay = false;
    Signature replayOf;

    // A short line for the player (a run that cannot be watched), empty when none.
    std::string note;
};

struct Rect {
    std::int16_t x, y, w, h;
    std::uint32_t argb;  // alpha 255: opaque

    bool operator==(const Rect&) const = default;
};

// Rectangles in the picture's coordinates, drawn in order; the rows from `top` to
// `bottom` hold them all.
struct Picture {
    std::vector<Rect> rects;
    int top = 0;
    int bottom = 0;
};

// Lays the view out.
void Lay(const View& view, Picture* picture);

// Draws the picture over XRGB8888 pixels (ABGR with `swapRedBlue`: the browser's canvas)
// in which the 640x480 picture lies at `origin` scaled by a whole `scale`.
void Blend(const Picture& picture, std::uint32_t* pixels, int pitchBytes, int originX, int originY, int scale,
           bool swapRedBlue);

// The game's side: fills the view for the frame about to be presented.
using Feed = void (*)(View* view);
void SetFeed(Feed feed);

// Called by a front end as it presents a frame: asks the feed and lays the view out.
void Compose();
// The view and its picture as last composed (nothing before the first).
const View& Viewed();
const Picture& Shown();

}  // namespace overlay
