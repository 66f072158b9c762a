// The item drawing shared by the title and pause menus: items cut from the menu picture,
// drawn plain at their places, the selected one stretched into its highlight rectangle.
#pragma once

#include "platform/ddraw.h"

struct MenuItem {
    RECT source;  // on the menu picture
    int x;        // screen position of the plain item
    int y;
};

// Every item but the selected one, plain and keyed, from g_offscreen2 onto g_back.
void DrawPlainMenuItems(const MenuItem* items, int count, int selected);
// The item stretched into its screen rectangle grown by `grow` on every side, keyed.
// A highlight that reaches past the screen is cut to it, keeping its scale.
void DrawHighlightedMenuItem(const MenuItem& item, int grow);
