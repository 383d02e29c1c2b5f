#include "scenes/TiledDiscScene.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdlib>

#include "gfx/RenderState.h"
#include "gfx/WindowGlobals.h"

namespace {

// The layout is made for a generator with values in 0..32767; the standard
// one is narrowed to that range (glibc's reaches 2^31 - 1), one call per draw
// in the same order, so that every draw lands in 0..1.
double drawUnit()
{
    return (std::rand() % 32768) / 32767.0;
}

// How far the tiles are open at this time: rises from 0 to 1 over the first
// half second of every two-second cycle, then holds at 1.
double opening(float time)
{
    const double f = std::fmod(0.5 * time, 1.0);
    return f < 0.25 ? 4.0 * f : 1.0;
}

}  // namespace

TiledDiscScene::TiledDiscScene()
{
    // Fixed seed, three draws per vertex in this order: angle, x, y.
    std::srand(123);
    for (int j = 0; j < kRings; ++j) {
        const float step = 0.05f * j;
        const double radius = double(step) * step;
        const double wobble = 0.1 * std::sin(j * 0.314159265);
        for (int i = 0; i < kRingVertices; ++i) {
            const double angle = drawUnit() * 0.125663706 + i * 0.314159265 + wobble;
            const double jx = drawUnit();
            const double jy = drawUnit();
            const float x = float(((jx - 0.5) * 0.05 + std::cos(angle) * radius) * gWindowAspect);
            const float y = float((jy - 0.5) * 0.05 + std::sin(angle) * radius);
            float* p = positions[j][i];
            p[0] = x;
            p[1] = y;
            p[2] = 0.0f;
            texCoords[j][i][0] = float(x + 0.5);
            texCoords[j][i][1] = float(0.9 * y + 0.5);
        }
        for (int k = 0; k < 3; ++k)
            positions[j][kRingVertices][k] = positions[j][0][k];
        for (int k = 0; k < 2; ++k)
            texCoords[j][kRingVertices][k] = texCoords[j][0][k];
    }
}

void TiledDiscScene::render(float time, float)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // The disc's placement, deliberately left in the modelview afterwards.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -2);
    // Lit, textured tiles seen from both sides; the entry's attribute pop
    // restores these switches and the colour.
    setTexturing(true);
    setLighting(true);
    setCulling(false);
    glColor3f(1, 1, 1);

    const double g = opening(time);
    for (int j = 0; j < kRings - 1; ++j)
        drawRing(j, g);
}

// The 20 tiles between ring j and ring j + 1. Each turns about its first
// inner corner, hinged on its inner edge, and shrinks there; every second
// tile's texture slides as the disc opens.
void TiledDiscScene::drawRing(int j, double g) const
{
    const float a = 0.05f * j;
    const double shrink = 1.0 - 0.04 * std::pow(g, 100.0 * a);
    const double tilt = -25.0 * g;
    for (int i = 0; i < kRingVertices; ++i) {
        const float* corner = positions[j][i];
        const float* next = positions[j][i + 1];
        const float texOffset = i % 2 == 1 ? float(0.1 * g * a * a) : 0.0f;
        glPushMatrix();
        glTranslatef(corner[0], corner[1], 0);
        glRotatef(float(tilt), next[0] - corner[0], next[1] - corner[1], 0);
        glScalef(float(shrink), float(shrink), float(shrink));
        glTranslatef(-corner[0], -corner[1], 0);
        glBegin(GL_QUADS);
        glNormal3f(0, 0, 1);
        vertex(j, i, texOffset);
        vertex(j, i + 1, texOffset);
        vertex(j + 1, i + 1, texOffset);
        vertex(j + 1, i, texOffset);
        glEnd();
        glPopMatrix();
    }
}

void TiledDiscScene::vertex(int j, int i, float texOffset) const
{
    glTexCoord2f(texCoords[j][i][0] + texOffset, texCoords[j][i][1] + texOffset);
    glVertex3fv(positions[j][i]);
}
