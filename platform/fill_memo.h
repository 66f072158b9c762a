// What a surface knows of its own pixels since it was last filled whole: all hold the fill's
// value except, perhaps, inside the few rectangles written since. The darkness's work
// surface is filled whole every frame and only a disc and the overview are drawn on it, so
// the next whole fill with that value need only redo those.
#pragma once

#include <algorithm>
#include <span>

#include "platform/win32.h"

class FillMemo {
public:
    // Rectangles kept apart; a write beyond them widens the last one.
    static constexpr int CAPACITY = 6;

    // The whole surface was just filled with `value`.
    void Filled(BYTE value) {
        known_ = true;
        value_ = value;
        count_ = 0;
    }
    // The pixels went where their writes cannot be followed: nothing is known.
    void Forget() { known_ = false; }
    bool Holds(BYTE value) const { return known_ && value_ == value; }
    // A rectangle, already cut to the surface, was (or is about to be) written. Every block
    // a frame draws comes here (hundreds of tiles and map cells), so this is inline and
    // takes constant time: neighbouring writes come one after the other, so the last
    // rectangle is a fair one to widen.
    void Note(const RECT& written) {
        if (!known_ || written.left >= written.right || written.top >= written.bottom) return;
        if (count_ < CAPACITY) {
            written_[count_++] = written;
            return;
        }
        RECT& last = written_[CAPACITY - 1];
        last = {std::min(last.left, written.left), std::min(last.top, written.top),
                std::max(last.right, written.right), std::max(last.bottom, written.bottom)};
    }
    // Where the pixels may differ from the value Holds() confirms.
    std::span<const RECT> Written() const { return {written_, static_cast<std::size_t>(count_)}; }

private:
    bool known_ = false;
    BYTE value_ = 0;
    int count_ = 0;
    RECT written_[CAPACITY];
};
