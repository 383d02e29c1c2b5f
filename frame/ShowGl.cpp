#include "frame/ShowGl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdlib>

void keepShaderCacheOffDisk()
{
    // Any of these set means the user has chosen: the cache's folder, or
    // whether there is one (the second name is the older spelling).
    static const char* const kUserChoices[] = {"MESA_SHADER_CACHE_DISABLE", "MESA_GLSL_CACHE_DISABLE",
                                               "MESA_SHADER_CACHE_DIR", "MESA_GLSL_CACHE_DIR"};
    for (const char* name : kUserChoices)
        if (getenv(name))
            return;
    // Without the cache the shaders are compiled anew at each start, about
    // 0.3 s on llvmpipe.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
}

bool glRanOutOfMemory()
{
    // Each call clears one flag; a GL keeps only a few.
    bool outOfMemory = false;
    for (int i = 0; i < 16; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR)
            break;
        outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
    }
    return outOfMemory;
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

void setShowProjection(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, static_cast<double>(width) / height, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setShowStartupState()
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
