#include "app/Platform.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xinerama.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

struct Head {
    int x, y, width, height;
};

// The display's screens as Xinerama sees them, or its one screen without
// Xinerama; false when there is no display to ask.
bool screenHeads(std::vector<Head>& heads)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int count = 0;
    XineramaScreenInfo* info = XineramaIsActive(display) ? XineramaQueryScreens(display, &count) : nullptr;
    for (int i = 0; i < count; ++i)
        heads.push_back({info[i].x_org, info[i].y_org, info[i].width, info[i].height});
    if (info)
        XFree(info);
    if (heads.empty()) {
        const int s = DefaultScreen(display);
        heads.push_back({0, 0, DisplayWidth(display, s), DisplayHeight(display, s)});
    }
    XCloseDisplay(display);
    return true;
}

}  // namespace

void pauseMilliseconds(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void attachConsole() {}

void preferGlVideoDriver()
{
    setenv("SDL_VIDEODRIVER", "x11", 0);
}

std::string placeOnScreen(int screen, int width, int height, bool fullscreen)
{
    std::vector<Head> heads;
    if (screen < 0 || !screenHeads(heads))
        return "";
    const int count = static_cast<int>(heads.size());
    if (screen >= count) {
        return "--screen " + std::to_string(screen) + ": the display has " +
               (count == 1 ? std::string("one screen, 0") : std::to_string(count) + " screens, 0 to " + std::to_string(count - 1));
    }
    if (fullscreen) {
        setenv("SDL_VIDEO_FULLSCREEN_HEAD", std::to_string(screen).c_str(), 1);
        return "";
    }
    // A window larger than its screen starts at the screen's corner.
    const Head& h = heads[screen];
    const int x = h.x + std::max(0, (h.width - width) / 2);
    const int y = h.y + std::max(0, (h.height - height) / 2);
    setenv("SDL_VIDEO_WINDOW_POS", (std::to_string(x) + "," + std::to_string(y)).c_str(), 1);
    return "";
}
