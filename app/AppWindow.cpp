#include "app/AppWindow.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL.h>
#include <cstdio>
#include <string>

#include "app/AppErrors.h"
#include "app/AppGlobals.h"
#include "app/FrameSequence.h"
#include "app/Platform.h"
#include "control/OscConsole.h"
#include "control/OscControlReceiver.h"
#include "gfx/FboStage.h"
#include "scenes/landscape/LandscapeScene.h"

AppWindow::AppWindow(const char* caption, int width, int height, int bpp,
                     bool fullscreen, bool resizable, bool console)
{
    if (!fullscreen && console)
        attachConsole();

    // SDL 1.2 crashes in SDL_GL_SetAttribute when its video part did not
    // start, so a failed start is the no-video-mode case.
    preferGlVideoDriver();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        failNoVideoMode();

    // Control messages are taken in from before the window exists.
    gOscReceiver = new OscControlReceiver(kOscPort, nullptr);
    if (!gOscReceiver->isBound())
        failOscPortUnavailable(kOscPort, gOscReceiver->bindError());
    gOscReceiver->start(true);

    requestShowGlAttributes();

    Uint32 flags = SDL_OPENGL;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    if (resizable)
        flags |= SDL_RESIZABLE;
    screen_ = SDL_SetVideoMode(width, height, bpp, flags);
    if (!screen_)
        failNoVideoMode();

    SDL_WM_SetCaption(caption, "SDL");
    gWindowBpp = bpp;
    gWindowWidth = width;
    gWindowHeight = height;
    gWindowAspect = static_cast<float>(static_cast<double>(height) / width);

    reshape(width, height);

    // Both buffers start black.
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();

    initGL();

    // The extension loader needs the context; its result is not needed here,
    // a missing frame-buffer extension is caught where the stage is made.
    glewInit();

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

void requestShowGlAttributes()
{
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void AppWindow::reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, static_cast<double>(width) / height, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void AppWindow::initGL()
{
    glDepthRange(0.01, 100.0);

    const GLfloat light0Position[4] = {-3.0f, 7.0f, -7.0f, 0.0f};
    const GLfloat light0Diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat light1Position[4] = {0.5f, -0.5f, 2.0f, 0.0f};
    const GLfloat light1Diffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light0Diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);

    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_CULL_FACE);
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
    drawFrameSequence(timeline_, *fboStage_, clock_.frameTime());
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
