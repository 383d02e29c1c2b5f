// GroundItem: one item of the landscape's scrolling row (grey block, house or
// flower, by the scene's morph), as a plain record of 32-bit fields, plus the
// drawing of its flower petals and leaf. Main thread only.
#pragma once

#include <GL/glew.h>

struct GroundItem {
    float x = 0.0f;             // horizontal position, recomputed every frame
    float y = -0.145f;          // height of the foot (the floor lies at -0.15)
    float z = 0.0f;             // depth, in [-8, -4]
    float baseWidth = 0.0f;     // width of the grey block
    float size = 0.0f;          // height of the block and of the flower
    float offset = 0.0f;        // place in the scrolling row
    float blockColour[3] = {0.0f, 0.0f, 0.0f};
    float houseColour[3] = {0.0f, 0.0f, 0.0f};
    float petalColour[3] = {0.0f, 0.0f, 0.0f};
    float leafColour[3] = {0.1f, 0.7f, 0.0f};
    GLuint headList = 0;        // lit flower head, compiled on first use
    GLuint headShadowList = 0;  // flower head for the shadow pass

    // Six petals round the origin, each reaching 0.25 x size along its own
    // direction, the first turned by angleOffset degrees. With shadowPass
    // they set no colour.
    void drawPetals(float angleOffset, float size, bool shadowPass) const;
    // One asymmetric leaf from (0, 0) to (0, height), half a width to each
    // side. With shadowPass it sets no colour.
    void drawLeaf(float width, float height, bool shadowPass) const;
};

// Twenty 32-bit fields, in this order, with no padding.
static_assert(sizeof(GroundItem) == 20 * 4, "GroundItem is a record of twenty 32-bit fields");
