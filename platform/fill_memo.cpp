#include "platform/fill_memo.h"

#include <algorithm>

void FillMemo::Filled(BYTE value) {
    known_ = true;
    value_ = value;
    count_ = 0;
}

// Called for every block a frame draws (hundreds of tiles and map cells), so it takes
// constant time: no search for the best rectangle to widen. Neighbouring writes come one
// after the other, so the last rectangle is a fair one.
void FillMemo::Note(const RECT& written) {
    if (!known_ || written.left >= written.right || written.top >= written.bottom) return;
    if (count_ < CAPACITY) {
        written_[count_++] = written;
        return;
    }
    RECT& last = written_[CAPACITY - 1];
    last = {std::min(last.left, written.left), std::min(last.top, written.top),
            std::max(last.right, written.right), std::max(last.bottom, written.bottom)};
}
