// AppWindow: the one SDL window with its OpenGL context, the start-up GL
// state, the scene tables and the sequence of one frame. Main thread only.
#pragma once

#include <atomic>
#include <string>

#include "app/FrameClock.h"
#include "frame/Timeline.h"
#include "frame/Transport.h"

struct SDL_Surface;
class FboStage;
class Scene;

class AppWindow {
public:
    // Opens the window; ends the process with exit code 2 when no video mode
    // can be had (SDL's video did not start, or SDL_SetVideoMode failed).
    AppWindow(const char* caption, int width, int height, int bpp,
              bool fullscreen, bool resizable, bool console);
    // Ends the OSC receive thread and releases what the window made (the
    // receiver, the landscape, the stage); call before SDL_Quit.
    virtual ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    // Viewport and projection for a window of that size, and the start-up GL
    // state (frame/ShowGl.h); they touch only the current context.
    static void reshape(int width, int height);
    static void initGL();

    bool addTimelineEntry(Scene* scene, float start, float end);
    int addGatedScene(Scene* scene, const std::atomic<float>* gate);

    // Draws one frame into the off-screen stage at the frame time that the
    // transport makes of the frame clock's time, puts the stage's image in the
    // window and presents it.
    void drawFrame();

    void printGLInfo();

    FrameClock& frameClock() { return clock_; }
    Transport& transport() { return transport_; }
    Timeline& timeline() { return timeline_; }
    FboStage* fboStage() { return fboStage_; }

private:
    Timeline timeline_;
    SDL_Surface* screen_ = nullptr;
    FboStage* fboStage_ = nullptr;
    Scene* landscape_ = nullptr;
    FrameClock clock_;
    Transport transport_;
};

// The text that printGLInfo writes: the identification strings, then the
// extension list with one name per line.
std::string formatGLInfo(const char* renderer, const char* version, const char* vendor,
                         const char* extensions);
