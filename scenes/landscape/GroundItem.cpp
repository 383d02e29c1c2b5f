#include "scenes/landscape/GroundItem.h"

#include <cmath>

void GroundItem::drawPetals(float angleOffset, float size, bool shadowPass) const
{
    const float length = static_cast<float>(0.25 * size);
    const float width = static_cast<float>(0.15 * size);
    for (int k = 0; k < 6; ++k) {
        glPushMatrix();
        glRotatef(static_cast<float>(360 * k / 6 + double(angleOffset)), 0.0f, 0.0f, 1.0f);
        glBegin(GL_TRIANGLE_FAN);
        if (!shadowPass)
            glColor3f(static_cast<float>(0.75 * petalColour[0]),
                      static_cast<float>(0.75 * petalColour[1]),
                      static_cast<float>(0.75 * petalColour[2]));
        glNormal3f(0.0f, 0.0f, 1.0f);
        glVertex2f(0.0f, 0.0f);
        if (!shadowPass)
            glColor3fv(petalColour);
        // 17 rim points from the foot round to the foot: a rounded teardrop
        // whose far end lies at length along +y.
        for (int j = 0; j <= 16; ++j) {
            const double a = (j + 0.5) * 0.36959913529411764 - 1.570796325;
            const double q = std::pow((std::sin(a) + 1.0) * 0.5, 0.6);
            glVertex2f(static_cast<float>(std::cos(a) * 0.5 * width),
                       static_cast<float>(length * q));
        }
        glEnd();
        glPopMatrix();
    }
}

void GroundItem::drawLeaf(float width, float height, bool shadowPass) const
{
    glBegin(GL_TRIANGLE_FAN);
    if (!shadowPass)
        glColor3f(static_cast<float>(0.5 * leafColour[0]),
                  static_cast<float>(0.5 * leafColour[1]),
                  static_cast<float>(0.5 * leafColour[2]));
    glNormal3f(0.0f, 0.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    if (!shadowPass)
        glColor3fv(leafColour);
    // The first ten points run up the right side from the foot to mid-height,
    // the last ten down the left side from the tip: an asymmetric leaf.
    for (int j = 0; j < 20; ++j) {
        const double v = (j + 0.5) * 0.05;
        const double p = v < 0.5 ? v * 0.5 + 0.25 : (v - 0.5) * 0.5 + 0.75;
        const double a = (p - 0.5) * 6.2831853;
        glVertex2f(static_cast<float>(std::cos(a) * 0.5 * width),
                   static_cast<float>((std::sin(a) + 1.0) * 0.5 * height));
    }
    glEnd();
}
