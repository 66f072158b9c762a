#include "platform/fill_memo.h"

#include <algorithm>
#include <cstdint>

namespace {

std::int64_t Area(const RECT& r) {
    return std::int64_t{r.right - r.left} * (r.bottom - r.top);
}

RECT Union(const RECT& a, const RECT& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

}  // namespace

void FillMemo::Filled(BYTE value) {
    known_ = true;
    value_ = value;
    count_ = 0;
}

void FillMemo::Note(const RECT& written) {
    if (!known_ || written.left >= written.right || written.top >= written.bottom) return;
    // The kept rectangle that would grow least by taking this one in; none when one
    // already holds it.
    int best = -1;
    std::int64_t bestGrowth = 0;
    for (int i = 0; i < count_; ++i) {
        const std::int64_t growth = Area(Union(written_[i], written)) - Area(written_[i]);
        if (best < 0 || growth < bestGrowth) {
            best = i;
            bestGrowth = growth;
        }
    }
    if (best >= 0 && (bestGrowth == 0 || count_ == CAPACITY)) {
        written_[best] = Union(written_[best], written);
    } else {
        written_[count_++] = written;
    }
}
