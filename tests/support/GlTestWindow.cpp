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

std::vector<FeedbackVertex> captureFeedback(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);

    // GL_3D_COLOR: x, y, z and four colour components per vertex (RGBA mode).
    const int vertexSize = 7;
    std::vector<FeedbackVertex> vertices;
    for (GLint i = 0; i < used;) {
        const int token = static_cast<int>(buffer[i++]);
        int count = 0;
        switch (token) {
        case GL_POINT_TOKEN:
        case GL_BITMAP_TOKEN:
        case GL_DRAW_PIXEL_TOKEN:
        case GL_COPY_PIXEL_TOKEN:
            count = 1;
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            count = 2;
            break;
        case GL_POLYGON_TOKEN:
            count = static_cast<int>(buffer[i++]);
            break;
        case GL_PASS_THROUGH_TOKEN:
            ++i;
            continue;
        default:
            return vertices;
        }
        for (int v = 0; v < count; ++v, i += vertexSize)
            vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 2]});
    }
    return vertices;
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
