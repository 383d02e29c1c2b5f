// ShowOptions: how the show goes on the screen and whether its take is
// recorded, as the show's command line gives them. With none given the show
// is the one full-screen 800x600 window it always was. Main thread.
#pragma once

#include <string>

struct ShowOptions {
    bool window = false;      // a window instead of full screen
    int width = 800;          // the picture's size, that of the window or mode
    int height = 600;
    int screen = -1;          // the display's screen (Xinerama head); -1: SDL's choice
    std::string recordFile;   // empty: no take is recorded

    // The largest side: the stage doubles it up to a power of two.
    static constexpr int kMaxSide = 4096;

    // "WxH" with each side a decimal number from 1 to kMaxSide; false otherwise.
    static bool parseSize(const std::string& text, int& width, int& height);
};
