#include "scenes/menu.h"

#include "gfx/surfaces.h"

void DrawPlainMenuItems(const MenuItem* items, int count, int selected) {
    for (int i = 0; i < count; ++i) {
        if (i == selected) continue;
        RECT source = items[i].source;
        g_back->BltFast(items[i].x, items[i].y, g_offscreen2, &source,
                        DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
}

namespace {

// Cuts one axis of a stretched copy to [0, limit): the destination edge moves inside and
// the source edge moves by the same fraction of its length.
void CutAxis(LONG& destLow, LONG& destHigh, LONG& sourceLow, LONG& sourceHigh, LONG limit) {
    const LONG destLength = destHigh - destLow;
    const LONG sourceLength = sourceHigh - sourceLow;
    if (destLength <= 0) return;
    if (destLow < 0) {
        sourceLow += (-destLow * sourceLength + destLength / 2) / destLength;
        destLow = 0;
    }
    if (destHigh > limit) {
        sourceHigh -= ((destHigh - limit) * sourceLength + destLength / 2) / destLength;
        destHigh = limit;
    }
}

}  // namespace

void DrawHighlightedMenuItem(const MenuItem& item, int grow) {
    RECT source = item.source;
    RECT dest{item.x - grow, item.y - grow,
              item.x + (source.right - source.left) + grow,
              item.y + (source.bottom - source.top) + grow};
    CutAxis(dest.left, dest.right, source.left, source.right, SCREEN_WIDTH);
    CutAxis(dest.top, dest.bottom, source.top, source.bottom, SCREEN_HEIGHT);
    g_back->Blt(&dest, g_offscreen2, &source, DDBLT_KEYSRC | DDBLT_WAIT, nullptr);
}
