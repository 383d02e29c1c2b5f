#include "scenes/landscape/LandscapeGeometry.h"

#include "gfx/RenderState.h"

#include <GL/glew.h>
#include <cmath>

void drawCube(float halfSize, float cx, float cy, float cz, int openAxis)
{
    const float x0 = cx - halfSize, x1 = cx + halfSize;
    const float y0 = cy - halfSize, y1 = cy + halfSize;
    const float z0 = cz - halfSize, z1 = cz + halfSize;
    const bool openX = openAxis == 0 || openAxis == 3;
    const bool openY = openAxis == 1 || openAxis == 4;
    const bool openZ = openAxis == 2 || openAxis == 5;

    glBegin(GL_QUADS);
    if (!openZ) {
        glNormal3f(0.0f, 0.0f, 1.0f);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x0, y0, z1);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x1, y0, z1);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x1, y1, z1);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x0, y1, z1);
        glNormal3f(0.0f, 0.0f, -1.0f);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x0, y0, z0);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x0, y1, z0);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x1, y1, z0);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x1, y0, z0);
    }
    if (!openY) {
        glNormal3f(0.0f, 1.0f, 0.0f);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x0, y1, z0);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x0, y1, z1);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x1, y1, z1);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x1, y1, z0);
        glNormal3f(0.0f, -1.0f, 0.0f);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x0, y0, z0);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x1, y0, z0);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x1, y0, z1);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x0, y0, z1);
    }
    if (!openX) {
        glNormal3f(1.0f, 0.0f, 0.0f);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x1, y0, z0);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x1, y1, z0);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x1, y1, z1);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x1, y0, z1);
        glNormal3f(-1.0f, 0.0f, 0.0f);
        glTexCoord2f(0.0f, 0.0f); glVertex3f(x0, y0, z0);
        glTexCoord2f(1.0f, 0.0f); glVertex3f(x0, y0, z1);
        glTexCoord2f(1.0f, 1.0f); glVertex3f(x0, y1, z1);
        glTexCoord2f(0.0f, 1.0f); glVertex3f(x0, y1, z0);
    }
    glEnd();
}

void drawQuad(float x, float y, float z, float w, float h,
              float s0, float t0, float ds, float dt)
{
    // State set: lighting, depth test, depth writes and culling off; all of it
    // (and the current normal and texture coordinate) restored by the pop.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    setLighting(false);
    setDepthTest(false);
    setDepthWrite(false);
    setCulling(false);

    const float x1 = x + w, y1 = y + h;
    const float s1 = s0 + ds, t1 = t0 + dt;
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, -1.0f);
    glTexCoord2f(s0, t0); glVertex3f(x, y, z);
    glTexCoord2f(s1, t0); glVertex3f(x1, y, z);
    glTexCoord2f(s1, t1); glVertex3f(x1, y1, z);
    glTexCoord2f(s0, t1); glVertex3f(x, y1, z);
    glEnd();

    glPopAttrib();
}

void drawDisc(float radius, int segments)
{
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(0.0f, 0.0f);
    if (segments >= 0) {
        // With no segments the one rim point needs no step (and 0 would divide by zero).
        const float step = segments > 0 ? static_cast<float>(6.2831853 / segments) : 0.0f;
        float angle = 0.0f;
        for (int i = 0; i <= segments; ++i) {
            glVertex2f(static_cast<float>(std::cos(angle) * radius),
                       static_cast<float>(std::sin(angle) * radius));
            angle += step;
        }
    }
    glEnd();
}

void multShadowMatrix(const float light[3], const float planePoint[3],
                      const float planeNormal[3])
{
    const float* L = light;
    const float* N = planeNormal;
    const float e = static_cast<float>(double(L[0]) * N[0] + double(L[1]) * N[1] + double(L[2]) * N[2]);
    const float c = static_cast<float>(
        double(planePoint[0]) * N[0] + double(planePoint[1]) * N[1] + double(planePoint[2]) * N[2] - e);
    const double ce = double(c) + e;

    // Column by column, as glMultMatrixf takes it.
    GLfloat m[16];
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row)
            m[col * 4 + row] = static_cast<float>(double(L[row]) * N[col] + (row == col ? c : 0.0f));
        m[col * 4 + 3] = N[col];
    }
    for (int row = 0; row < 3; ++row)
        m[12 + row] = static_cast<float>(-double(L[row]) * ce);
    m[15] = -e;
    glMultMatrixf(m);
}

void drawBody(float width, float height, const float colour[3], bool shadowPass)
{
    auto tint = [&](double scale, double add) {
        if (!shadowPass)
            glColor4f(static_cast<float>(colour[0] * scale + add),
                      static_cast<float>(colour[1] * scale + add),
                      static_cast<float>(colour[2] * scale + add), 1.0f);
    };
    glBegin(GL_QUADS);
    tint(0.5, 0.0);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(width, 0.0f, 0.0f);
    tint(1.0, 0.2);
    glVertex3f(width, height, 0.0f);
    tint(1.0, 0.3);
    glVertex3f(0.0f, height, 0.0f);
    glEnd();
}

void drawRoof(float base, float height)
{
    const float half = static_cast<float>(0.5 * base);
    glBegin(GL_TRIANGLES);
    glVertex2f(-half, 0.0f);
    glVertex2f(half, 0.0f);
    glVertex2f(0.0f, height);
    glEnd();
}

void currentClipMatrix(double clip[16])
{
    double projection[16];
    double modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[col * 4 + k];
            clip[col * 4 + row] = sum;
        }
}

// Clip coordinates are linear in object coordinates, so when every corner
// lies beyond a plane, every point inside the box does too.
bool boxOffScreen(const double clip[16], const double lo[3], const double hi[3])
{
    bool beyond[4] = {true, true, true, true};
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {corner & 1 ? hi[0] : lo[0], corner & 2 ? hi[1] : lo[1],
                             corner & 4 ? hi[2] : lo[2]};
        double c[4];
        for (int row = 0; row < 4; ++row)
            c[row] = clip[row] * p[0] + clip[4 + row] * p[1] + clip[8 + row] * p[2] + clip[12 + row];
        const double margin = 0.01 * std::fabs(c[3]);
        beyond[0] = beyond[0] && c[0] < -c[3] - margin;
        beyond[1] = beyond[1] && c[0] > c[3] + margin;
        beyond[2] = beyond[2] && c[1] < -c[3] - margin;
        beyond[3] = beyond[3] && c[1] > c[3] + margin;
    }
    return beyond[0] || beyond[1] || beyond[2] || beyond[3];
}
