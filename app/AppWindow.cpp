#include "app/AppWindow.h"

#include <GL/glew.h>
#include <SDL.h>
#include <cstdio>
#include <string>

#include "app/AppErrors.h"
#include "app/AppGlobals.h"
#include "app/Platform.h"
#include "control/OscConsole.h"
#include "control/OscControlReceiver.h"
#include "frame/FrameSequence.h"
#include "frame/ShowGl.h"
#include "gfx/FboStage.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// SDL 1.2 crashes in SDL_GL_SetAttribute when its video part did not start,
// so a failed start is the no-video-mode case.
void startSdl()
{
    preferGlVideoDriver();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        failNoVideoMode();
}

// Control messages are taken in from before the window exists.
void startOscReceiver()
{
    gOscReceiver = new OscControlReceiver(kOscPort, nullptr);
    if (!gOscReceiver->isBound())
        failOscPortUnavailable(kOscPort, gOscReceiver->bindError(), gOscReceiver->bindErrno());
    gOscReceiver->start(true);
}

// The show's GL attributes, then the video mode; none to be had ends the
// process.
SDL_Surface* openVideoMode(int width, int height, int bpp, bool fullscreen, bool resizable)
{
    requestShowGlAttributes();
    Uint32 flags = SDL_OPENGL;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    if (resizable)
        flags |= SDL_RESIZABLE;
    SDL_Surface* screen = SDL_SetVideoMode(width, height, bpp, flags);
    if (!screen)
        failNoVideoMode();
    return screen;
}

void clearBothBuffersBlack()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

// The extension loader needs the context; its result is not needed here, a
// missing frame-buffer extension is caught where the stage is made.
void loadGlExtensions()
{
    glewInit();
}

}  // namespace

AppWindow::AppWindow(const char* caption, int width, int height, int bpp,
                     bool fullscreen, bool resizable, bool console)
{
    if (!fullscreen && console)
        attachConsole();
    startSdl();
    startOscReceiver();
    screen_ = openVideoMode(width, height, bpp, fullscreen, resizable);
    SDL_WM_SetCaption(caption, "SDL");
    setWindowGlobals(width, height, bpp);
    reshape(width, height);
    clearBothBuffersBlack();
    initGL();
    loadGlExtensions();
    fboStage_ = new FboStage(width, height);

    // The show: the landscape from the first frame to its end.
    landscape_ = new LandscapeScene();
    addTimelineEntry(landscape_, 0.0f, kShowEnd);
}

// The receive thread ends first (quietly: the show's last console lines stay
// as they are), so nothing writes the control state while the rest goes.
// GL names are released here, so the context must still be current.
AppWindow::~AppWindow()
{
    if (gOscReceiver) {
        delete gOscReceiver;
        gOscReceiver = nullptr;
    }
    timeline_.removeScene(landscape_);
    delete landscape_;
    delete fboStage_;
}

void AppWindow::reshape(int width, int height)
{
    setShowProjection(width, height);
}

void AppWindow::initGL()
{
    setShowStartupState();
}

bool AppWindow::addTimelineEntry(Scene* scene, float start, float end)
{
    return timeline_.addTimelineEntry(scene, start, end);
}

int AppWindow::addGatedScene(Scene* scene, const std::atomic<float>* gate)
{
    return timeline_.addGatedScene(scene, gate);
}

void AppWindow::drawFrame()
{
    drawFrameSequence(timeline_, *fboStage_, transport_.frameTime(clock_.frameTime()));
    if (glRanOutOfMemory())
        failOutOfMemory();
    SDL_GL_SwapBuffers();
}

void AppWindow::printGLInfo()
{
    const auto text = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return s ? reinterpret_cast<const char*>(s) : "";
    };
    const std::string info =
        formatGLInfo(text(GL_RENDERER), text(GL_VERSION), text(GL_VENDOR), text(GL_EXTENSIONS));
    fputs(info.c_str(), stdout);
}

std::string formatGLInfo(const char* renderer, const char* version, const char* vendor,
                         const char* extensions)
{
    // One extension name per line, on a copy: the GL's own string stays as it is.
    std::string list = extensions;
    for (char& c : list)
        if (c == ' ')
            c = '\n';

    std::string out = "---------- OpenGL Info: ---------------------------";
    out += std::string("GL_RENDERER   = ") + renderer + "\n";
    out += std::string("GL_VERSION    = ") + version + "\n";
    out += std::string("GL_VENDOR     = ") + vendor + "\n";
    out += "---------- Available OpenGL extensions ------------\n\n" + list + "\n";
    out += "---------------------------------------------------";
    return out;
}
