// What a surface knows of its own pixels since it was last filled whole: all hold the fill's
// value except, perhaps, inside the few rectangles written since. The darkness's work
// surface is filled whole every frame and only a disc and the overview are drawn on it, so
// the next whole fill with that value need only redo those.
#pragma once

#include <span>

#include "platform/win32.h"

class FillMemo {
public:
    // Rectangles kept apart; a write beyond them widens the last one.
    static constexpr int CAPACITY = 6;

    // The whole surface was just filled with `value`.
    void Filled(BYTE value);
    // The pixels went where their writes cannot be followed: nothing is known.
    void Forget() { known_ = false; }
    bool Holds(BYTE value) const { return known_ && value_ == value; }
    // A rectangle, already cut to the surface, was (or is about to be) written.
    void Note(const RECT& written);
    // Where the pixels may differ from the value Holds() confirms.
    std::span<const RECT> Written() const { return {written_, static_cast<std::size_t>(count_)}; }

private:
    bool known_ = false;
    BYTE value_ = 0;
    int count_ = 0;
    RECT written_[CAPACITY];
};
