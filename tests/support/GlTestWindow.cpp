#include "support/GlTestWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "frame/ShowGl.h"

void openTestWindow()
{
    if (SDL_GetVideoSurface())
        return;
    // The attributes need SDL's video part started.
    const bool video = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
    if (video)
        requestShowGlAttributes();
    if (!video || !SDL_SetVideoMode(800, 600, 32, SDL_OPENGL)) {
        fprintf(stderr, "test window: no GL window: %s\n", SDL_GetError());
        exit(1);
    }
    glewInit();
}

Rgba readPixel(int x, int y)
{
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

void expectPixel(int x, int y, Rgba colour, int tolerance)
{
    const Rgba p = readPixel(x, y);
    EXPECT_NEAR(p.r, colour.r, tolerance) << "red at " << x << ", " << y;
    EXPECT_NEAR(p.g, colour.g, tolerance) << "green at " << x << ", " << y;
    EXPECT_NEAR(p.b, colour.b, tolerance) << "blue at " << x << ", " << y;
}

std::array<GLint, 4> glInts(GLenum what)
{
    std::array<GLint, 4> v{};
    glGetIntegerv(what, v.data());
    return v;
}

std::vector<float> currentMatrices()
{
    std::vector<float> m(32);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    glGetFloatv(GL_PROJECTION_MATRIX, m.data() + 16);
    return m;
}
