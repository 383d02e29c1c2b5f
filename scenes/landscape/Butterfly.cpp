#include "scenes/landscape/Butterfly.h"

#include <GL/glew.h>
#include <cmath>

// One wing in the butterfly's frame, beaten to wingAngle about y: the red outer
// triangle, then the yellow inner one turned further by innerTurn degrees.
static void drawWing(float wingAngle, float innerTurn, float alpha, bool shadowPass)
{
    glPushMatrix();
    glRotatef(wingAngle, 0.0f, 1.0f, 0.0f);
    glBegin(GL_TRIANGLES);
    if (!shadowPass)
        glColor4f(1.0f, 0.0f, 0.0f, alpha);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex2f(-0.15f, 0.1f);
    glVertex2f(-0.05f, -0.1f);
    glVertex2f(0.0f, 0.0f);
    glEnd();
    glRotatef(innerTurn, 0.0f, 1.0f, 0.0f);
    glBegin(GL_TRIANGLES);
    if (!shadowPass)
        glColor4f(1.0f, 1.0f, 0.0f, alpha);
    glVertex2f(-0.1f, 0.05f);
    glVertex2f(-0.08f, -0.06f);
    glVertex2f(0.0f, 0.0f);
    glEnd();
    glPopMatrix();
}

void Butterfly::draw(float t, float x0, float y0, float z0,
                     float rx, float ry, float rz, float alpha, bool shadowPass) const
{
    const float theta = static_cast<float>((phase - 0.5) * t * 3.14159265);
    const float flap = static_cast<float>(std::sin((phase * 0.8 + 1.0) * t * 18.8495559) * 20.0 - 15.0);
    const float g = static_cast<float>(phase * 0.25 + 1.0);
    // The heading is held as a float; its sine and cosine are taken in double.
    const float px = static_cast<float>(std::sin(double(theta)) * (rx * double(g)) + x0);
    const float py = static_cast<float>(
        std::cos((2.0 * phase - 1.0) * theta * 0.17) * ry * (phase * 0.1 + 1.0) + y0);
    const float pz = static_cast<float>(std::cos(double(theta)) * (rz * double(g)) + z0);
    const float b = static_cast<float>(phase * 0.06 + 0.08);

    glPushMatrix();
    glTranslatef(px, py, pz);
    glRotatef(static_cast<float>(theta * 57.29577957855229), 0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glScalef(b, b, b);

    drawWing(flap, 8.0f, alpha, shadowPass);
    drawWing(static_cast<float>(180.0 - flap), -8.0f, alpha, shadowPass);

    if (!shadowPass)
        glColor4f(0.3f, 0.1f, 0.0f, alpha);
    glBegin(GL_TRIANGLES);
    glNormal3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.15f, -0.01f);
    glVertex3f(0.0f, -0.15f, -0.01f);
    glVertex3f(0.0f, 0.0f, 0.01f);
    glEnd();

    glPopMatrix();
}
