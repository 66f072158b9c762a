// The overlay as last composed: the view the game's side gave for the frame presented and
// its layout. Without a feed (the tools, a replay checked unseen) nothing is shown.
#include "platform/overlay/overlay.h"

namespace overlay {

namespace {

Feed g_feed = nullptr;
View g_view;
Picture g_picture;

}  // namespace

void SetFeed(Feed feed) {
    g_feed = feed;
}

void Compose() {
    g_view = View{};
    if (g_feed != nullptr) g_feed(&g_view);
    Lay(g_view, &g_picture);
    // The ghost's cell belongs to the game and lasts only until its next frame.
    g_view.ghost.cell = nullptr;
    g_view.ghost.palette = nullptr;
}

const View& Viewed() {
    return g_view;
}

const Picture& Shown() {
    return g_picture;
}

}  // namespace overlay
