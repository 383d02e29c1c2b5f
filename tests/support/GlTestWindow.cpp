#include "support/GlTestWindow.h"

#include "app/AppWindow.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

void openTestWindow()
{
    static bool open = false;
    if (open)
        return;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        fprintf(stderr, "test window: SDL_Init failed: %s\n", SDL_GetError());
        exit(1);
    }
    requestShowGlAttributes();
    if (!SDL_SetVideoMode(800, 600, 32, SDL_OPENGL)) {
        fprintf(stderr, "test window: no GL video mode: %s\n", SDL_GetError());
        exit(1);
    }
    glewInit();
    open = true;
}

Rgba readPixel(int x, int y)
{
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

int modelviewDepth()
{
    GLint d = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &d);
    return d;
}

int projectionDepth()
{
    GLint d = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &d);
    return d;
}

std::vector<float> currentMatrices()
{
    std::vector<float> m(32);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    glGetFloatv(GL_PROJECTION_MATRIX, m.data() + 16);
    return m;
}
