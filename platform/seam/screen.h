// The one screen size: the display mode the game sets, the frame every backend shows.
#pragma once

constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;
