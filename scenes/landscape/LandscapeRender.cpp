// The landscape's per-frame work: the smoothed control, then the whole
// picture in a fixed order, back to front.
#include <algorithm>
#include <cmath>

#include <GL/glew.h>
#include <GL/glu.h>

#include "control/ControlState.h"
#include "gfx/RenderState.h"
#include "gfx/Texture.h"
#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/CloudTable.h"
#include "scenes/landscape/Figure.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeGeometry.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// Shared by every landscape scene (the show makes one), set back to rest by
// each scene's construction: the smoothed contributions of input values 2
// and 0, and one compiled display list per cloud (0 until compiled).
float sMorphRise = 0.0f;
float sMorphFall = 0.0f;
GLuint sCloudLists[CloudTable::kClouds] = {0, 0, 0, 0, 0, 0};

// Per-frame smoothing of the control: d, and g = 1 - d with d as a float.
const float kSmoothing = 0.985f;
const double kSmoothingGain = 1.0 - static_cast<double>(kSmoothing);

// The point light of every shadow, above and behind the row of items, and
// the downward plane normal.
const double kSunAngle = 1.570796325;
const float kSunX = static_cast<float>(1.3 * std::cos(kSunAngle));
const float kSunY = static_cast<float>(std::sin(kSunAngle));
const float kShadowLight[3] = {8.0f * kSunX, static_cast<float>(4.0 * (4.0 * kSunY + 0.75)), -48.0f};
const float kShadowNormal[3] = {0.0f, -1.0f, 0.0f};

struct Weights {
    float block;
    float house;
    float flower;
};

// What one frame derives from the control and the scene time.
struct FrameLook {
    float time;        // seconds since the scene's entry began
    float scroll;      // world units the floor and the items have moved left
    float sway;        // 40 x scroll: the flowers' sway and turn
    float morph;       // the look in [-1, 1]
    Weights weights;   // of the block, house and flower forms
    float headScale;   // of flower heads and leaves: morph squared
    float headTurn;    // of flower heads, degrees
    double houseCubed; // of the roofs
    // At morph 0 the flower side's heads and leaves are scaled to nothing and
    // its butterflies are fully transparent: nothing of them would show.
    bool flowerPartsShow;
    // With no house weight the roofs shrink to a point, which covers no
    // pixel: their draws are spared.
    bool roofsShow;
};

// Per item: height and width of the body in the frame's blend.
struct Shape {
    float height;
    float width;
};

// Each input moves its own smoothed state a little per frame; the states are
// not clamped, only their sum, which is the look.
float advanceControl()
{
    sMorphRise = static_cast<float>(readInput(2) * 20.0 * kSmoothingGain +
                                    sMorphRise * static_cast<double>(kSmoothing));
    sMorphFall = static_cast<float>(-readInput(0) * 16.0 * kSmoothingGain +
                                    sMorphFall * static_cast<double>(kSmoothing));
    return std::min(1.0f, std::max(-1.0f, sMorphFall + sMorphRise));
}

FrameLook frameLook(float morph, float time)
{
    FrameLook look;
    look.time = time;
    look.scroll = static_cast<float>(0.11 * time);
    look.sway = static_cast<float>(40.0 * look.scroll);
    look.morph = morph;
    look.weights = morph >= 0.0f ? Weights{0.0f, 1.0f - morph, morph} : Weights{-morph, 1.0f + morph, 0.0f};
    look.headScale = static_cast<float>(std::pow(morph, 2.0));
    look.headTurn = static_cast<float>(18.0 * look.sway);
    look.houseCubed = static_cast<double>(look.weights.house) * look.weights.house * look.weights.house;
    look.flowerPartsShow = morph > 0.0f;
    look.roofsShow = look.houseCubed > 0.0;
    return look;
}

// Colour of a three-stop gradient at the look's position (1 + morph) / 2:
// the first neighbouring pair whose positions enclose it, mixed linearly.
void gradient(const ColourStop stops[3], const FrameLook& look, float out[3])
{
    const float u = static_cast<float>((1.0 + look.morph) * 0.5);
    for (int i = 0; i < 2; ++i) {
        const ColourStop& a = stops[i];
        const ColourStop& b = stops[i + 1];
        if (a.position <= u && u <= b.position) {
            const double f = (static_cast<double>(u) - a.position) / (b.position - a.position);
            out[0] = static_cast<float>(f * b.red + (1.0 - f) * a.red);
            out[1] = static_cast<float>(f * b.green + (1.0 - f) * a.green);
            out[2] = static_cast<float>(f * b.blue + (1.0 - f) * a.blue);
            return;
        }
    }
}

// The sky colour everywhere, an empty depth buffer and the fixed camera.
void clearToSky(const ColourStop skyStops[3], const FrameLook& look)
{
    float sky[3];
    gradient(skyStops, look, sky);
    glClearColor(sky[0], sky[1], sky[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    setSmoothShading();
}

// The sun: a disc fading out from its white middle, and a halo whose edge
// wavers with time and swells with morph. Restores all it sets (depth, lighting,
// culling off, blend function).
void drawSun(const FrameLook& look)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    disableDepthAndLighting();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(kSunX, kSunY, -4.0f);
    glScalef(0.6f, 0.6f, 1.0f);

    glBegin(GL_TRIANGLE_FAN);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 0.8f, 0.0f);
    for (int i = 0; i <= 60; ++i) {
        const double a = i * 0.104719755;
        glVertex2f(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
    }
    glEnd();

    const float t = look.time;
    const double amp = (look.morph + 1.1) * kSunY;
    glBegin(GL_TRIANGLE_FAN);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glVertex2f(0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 0.8f, 0.0f);
    for (int i = 0; i <= 120; ++i) {
        const double a = i * 0.0523598775;
        const double s = (std::cos(16.0 * a + t) + std::cos(4.0 * a + t) +
                          std::sin(8.0 * a - 2.0 * t) + std::sin(2.0 * a)) * 0.25;
        const double r = s * s * 0.5 * amp + 0.75;
        glVertex2f(static_cast<float>(std::cos(a) * r), static_cast<float>(std::sin(a) * r));
    }
    glEnd();

    glPopMatrix();
    glPopAttrib();
}

// Compiles cloud c into its display list, drawing nothing: the squares as
// the textured-quad piece draws them (lighting, depth test and writes and
// culling off; texturing is off here), but in one batch under one attribute
// push rather than one push per square. The list's attribute pop leaves the
// current colour as it was.
void compileCloud(const CloudTable& clouds, int c)
{
    sCloudLists[c] = glGenLists(1);
    glNewList(sCloudLists[c], GL_COMPILE);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    disableDepthAndLighting();
    glPushMatrix();
    glScalef(0.05f, 0.05f, 1.0f);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, -1.0f);
    for (int i = 0; i < clouds.count[c]; ++i) {
        const CloudPoint& p = *clouds.points[c][i];
        const float x = static_cast<float>(p.x);
        const float y = static_cast<float>(p.y);
        glColor4f(p.red * 0.7f, p.green * 0.8f, p.blue, 0.3f);
        glVertex3f(x, y, 0.0f);
        glVertex3f(x + 0.9f, y, 0.0f);
        glVertex3f(x + 0.9f, y + 0.9f, 0.0f);
        glVertex3f(x, y + 0.9f, 0.0f);
    }
    glEnd();
    glPopMatrix();
    glPopAttrib();
    glEndList();
}

// Clouds: mosaics compiled on the first frame (which draws none), then
// drifting left and re-entering on the right.
void drawClouds(const CloudTable& clouds, const FrameLook& look)
{
    setTexturing(false);
    for (int c = 0; c < CloudTable::kClouds; ++c) {
        if (sCloudLists[c] == 0) {
            compileCloud(clouds, c);
            continue;
        }
        glPushMatrix();
        glTranslatef(static_cast<float>(2.0 - std::fmod((0.2 * c + 0.5) * look.scroll + c, 4.0)),
                     static_cast<float>(0.8 + 0.1 * std::sin(static_cast<double>(c))), -4.0f);
        glCallList(sCloudLists[c]);
        glPopMatrix();
    }
}

// Floor: the texture repeats six times across and four times in depth,
// slides with the scroll and darkens toward the far edge. Opaque surfaces
// (alpha 1) are drawn without blending, which gives the same pixels and
// spares reading the target.
void drawFloor(const Texture& floorTexture, const ColourStop groundStops[3], const FrameLook& look)
{
    float ground[3];
    gradient(groundStops, look, ground);
    const float T = look.scroll;
    glDisable(GL_BLEND);
    setTexturing(true);
    floorTexture.bind();
    glBegin(GL_QUADS);
    glColor3f(ground[0], ground[1], ground[2]);
    glTexCoord2f(T, 0.0f);
    glVertex3f(-3.0f, -0.15f, 0.0f);
    glTexCoord2f(T + 6.0f, 0.0f);
    glVertex3f(3.0f, -0.15f, 0.0f);
    glColor3f(static_cast<float>(0.1 * ground[0]), static_cast<float>(0.1 * ground[1]),
              static_cast<float>(0.1 * ground[2]));
    glTexCoord2f(T + 6.0f, 4.0f);
    glVertex3f(3.0f, -0.15f, -8.0f);
    glTexCoord2f(T, 4.0f);
    glVertex3f(-3.0f, -0.15f, -8.0f);
    glEnd();
}

Shape shapeOf(const GroundItem& item, const FrameLook& look)
{
    const Weights& w = look.weights;
    const double size = item.size;
    const double sway = (std::sin(size * look.sway + size * 6.2831853) * 0.03 + 1.0) * size;
    const float height = static_cast<float>(w.block * item.size + w.flower * sway +
                                            0.75 * w.house * item.baseWidth);
    const float width = static_cast<float>(w.block * item.baseWidth + 0.03 * w.flower +
                                           0.75 * w.house * item.baseWidth);
    return Shape{height, width};
}

// Whether all an item draws (body, roof, head, leaf) lies off the picture
// under the clip matrix, tested on a box round the body that takes in the
// roof's eaves (at most 0.2 of the width beyond the body's sides) and, on the
// flower side, the head (at most 0.27 of the size from the body's top middle)
// and the leaf (at most 0.29 from the stem), both scaled with the head.
bool itemOffScreen(const double clip[16], const GroundItem& item, const Shape& shape, const FrameLook& look)
{
    const double head =
        look.flowerPartsShow ? 0.3 * look.headScale * std::max(1.0, static_cast<double>(item.size)) : 0.0;
    const double reach = head + 0.2 * shape.width + 0.01;
    const double lo[3] = {item.x - reach, item.y - reach, item.z - 0.05};
    const double hi[3] = {item.x + shape.width + reach,
                          item.y + shape.height * (1.0 + 0.35 * look.houseCubed) + reach, item.z + 0.05};
    return boxOffScreen(clip, lo, hi);
}

void drawRoofOf(const Shape& shape, const FrameLook& look, bool shadowPass)
{
    if (!shadowPass)
        glColor3f(1.0f, 0.0f, 0.0f);
    glPushMatrix();
    glTranslatef(shape.width / 2, shape.height, 0.0f);
    drawRoof(static_cast<float>(1.4 * shape.width * look.houseCubed),
             static_cast<float>(0.35 * shape.height * look.houseCubed));
    glPopMatrix();
}

// The flower head on top of the body. An item's head is compiled into its
// list on its first frame, which draws no head.
void drawHeadOf(GroundItem& item, const Shape& shape, const FrameLook& look, bool shadowPass)
{
    GLuint& headList = shadowPass ? item.headShadowList : item.headList;
    glPushMatrix();
    glTranslatef(shape.width / 2, shape.height, 0.0f);
    if (headList != 0) {
        if (look.flowerPartsShow) {
            glPushMatrix();
            glRotatef(look.headTurn, 0.0f, 0.0f, 1.0f);
            glScalef(look.headScale, look.headScale, look.headScale);
            glCallList(headList);
            glPopMatrix();
        }
    } else {
        headList = glGenLists(1);
        glNewList(headList, GL_COMPILE);
        glPushMatrix();
        glTranslatef(0.0f, 0.0f, 0.01f);
        item.drawPetals(0.0f, item.size, shadowPass);
        if (!shadowPass)
            glColor3f(0.95f, 0.7f, 0.0f);
        glTranslatef(0.0f, 0.0f, 0.01f);
        drawDisc(static_cast<float>(item.size * 0.08), 16);
        glPopMatrix();
        glEndList();
    }
    glPopMatrix();
}

void drawLeafOf(const GroundItem& item, const Shape& shape, const FrameLook& look, bool shadowPass)
{
    const int tenths = static_cast<int>(item.size * 10.0);
    glPushMatrix();
    glTranslatef(0.0f, static_cast<float>(0.4 * shape.height), 0.0f);
    glRotatef(tenths % 2 != 0 ? -45.0f : 45.0f, 0.0f, 0.0f, 1.0f);
    glScalef(look.headScale, look.headScale, look.headScale);
    item.drawLeaf(0.1f, static_cast<float>(std::sin(static_cast<double>(look.sway) * item.size) * 0.03 + 0.25),
                  shadowPass);
    glPopMatrix();
}

// One item in its blend of forms: body, roof, flower head and leaf, lit or
// as a shadow (which sets no colour).
void drawItem(GroundItem& item, const Shape& shape, const float body[3], const FrameLook& look, bool shadowPass)
{
    glPushMatrix();
    glTranslatef(item.x, item.y, item.z);
    drawBody(shape.width, shape.height, body, shadowPass);
    if (look.roofsShow)
        drawRoofOf(shape, look, shadowPass);
    drawHeadOf(item, shape, look, shadowPass);
    if (look.flowerPartsShow)
        drawLeafOf(item, shape, look, shadowPass);
    glPopMatrix();
}

// Ground-item shadows, flattened onto the floor by the sun; x is set here
// for the whole frame.
void drawItemShadows(GroundItem* const items[], const FrameLook& look)
{
    setTexturing(false);
    setCulling(false);
    setDepthTest(false);
    setLighting(false);
    glEnable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, 0.3f);
    glPushMatrix();
    const float itemShadowPlane[3] = {0.0f, -0.148f, 0.0f};
    multShadowMatrix(kShadowLight, itemShadowPlane, kShadowNormal);
    double clip[16];
    currentClipMatrix(clip);
    for (int i = 0; i < LandscapeScene::kItems; ++i) {
        GroundItem& item = *items[i];
        item.x = static_cast<float>(3.0 - std::fmod(static_cast<double>(look.scroll) + item.offset + 3.0, 6.0));
        const Shape shape = shapeOf(item, look);
        // Shadows off the picture are spared; an item whose list is still to
        // be compiled goes through, as the compiling happens on the way.
        if (item.headShadowList != 0 && itemOffScreen(clip, item, shape, look))
            continue;
        drawItem(item, shape, item.blockColour, look, true);
    }
    glPopMatrix();
}

// Ground items: block, house and flower blended by the weights.
void drawItems(GroundItem* const items[], const FrameLook& look)
{
    const Weights& w = look.weights;
    setDepthTest(true);
    glDisable(GL_BLEND);
    double clip[16];
    currentClipMatrix(clip);
    for (int i = 0; i < LandscapeScene::kItems; ++i) {
        GroundItem& item = *items[i];
        const Shape shape = shapeOf(item, look);
        if (item.headList != 0 && itemOffScreen(clip, item, shape, look))
            continue;
        float body[3];
        for (int k = 0; k < 3; ++k)
            body[k] = static_cast<float>(static_cast<double>(w.block) * item.blockColour[k] +
                                         static_cast<double>(w.house) * item.houseColour[k] +
                                         static_cast<double>(w.flower) * item.leafColour[k]);
        drawItem(item, shape, body, look, false);
    }
}

// The figure, lit, in front of the camera, and its opaque dark shadow.
void drawFigure(const Figure& figure, const FrameLook& look)
{
    const float walkPhase = static_cast<float>(31.4159265 * look.scroll);
    glPushMatrix();
    glTranslatef(0.0f, -0.1425f, -0.85f);
    setTexturing(false);
    setDepthTest(true);
    setLighting(true);
    figure.draw(walkPhase, 0.1f, look.morph, false);
    setLighting(false);
    glColor4f(0.05f, 0.05f, 0.05f, 1.0f);
    glPushMatrix();
    const float figureShadowPlane[3] = {0.0f, 0.001f, 0.0f};
    multShadowMatrix(kShadowLight, figureShadowPlane, kShadowNormal);
    figure.draw(walkPhase, 0.1f, look.morph, true);
    glPopMatrix();
    glPopMatrix();
}

// Butterflies on the flower side: faint and wide near 0, opaque and close to
// the figure at 1. Their shadows keep the close radii.
void drawButterflies(Butterfly* const butterflies[], const FrameLook& look)
{
    const float m = look.morph;
    glEnable(GL_BLEND);
    setCulling(false);
    setLighting(true);
    const double e = std::pow(m, 0.25);
    const float rx = static_cast<float>(0.15 * e + (1.0 - e));
    const float ry = static_cast<float>(0.1 * e + 0.2 * (1.0 - e));
    const float rz = static_cast<float>(0.18 * e + 0.2 * (1.0 - e));
    for (int j = 0; j < LandscapeScene::kButterflies; ++j)
        butterflies[j]->draw(look.time, 0.0f, -0.01f, -0.85f, rx, ry, rz, m, false);
    setLighting(false);
    glColor4f(0.05f, 0.05f, 0.05f, 0.5f * m);
    glPushMatrix();
    const float butterflyShadowPlane[3] = {0.0f, -0.149f, 0.0f};
    multShadowMatrix(kShadowLight, butterflyShadowPlane, kShadowNormal);
    for (int j = 0; j < LandscapeScene::kButterflies; ++j)
        butterflies[j]->draw(look.time, 0.0f, -0.01f, -0.85f, 0.15f, 0.1f, 0.15f, 1.0f, true);
    glPopMatrix();
}

}  // namespace

void LandscapeScene::restSharedState()
{
    sMorphRise = 0.0f;
    sMorphFall = 0.0f;
    std::fill(std::begin(sCloudLists), std::end(sCloudLists), 0u);
}

void LandscapeScene::settleControl(float input0, float input2)
{
    sMorphFall = -16.0f * input0;
    sMorphRise = 20.0f * input2;
}

// The steps set the GL state they need as they go (shading, texturing,
// culling, depth test and writes, lighting, blending and its function, the
// scissor test and box, the bound texture, the current and clear colours):
// all of it is backed up here and given back to the caller as it was. The
// camera is fixed: the modelview comes back as the identity.
void LandscapeScene::render(float time, float)
{
    const FrameLook look = frameLook(advanceControl(), time);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    clearToSky(skyStops, look);
    drawSun(look);
    drawClouds(*clouds, look);
    drawFloor(*floorTexture, groundStops, look);
    drawItemShadows(items, look);
    drawItems(items, look);
    drawFigure(*figure, look);
    if (look.flowerPartsShow)
        drawButterflies(butterflies, look);
    glLoadIdentity();
    if (look.morph < 0.0f)
        drawSmoke(look.time, look.morph);
    glPopAttrib();
}

// Smoke on the grey side: puffs at fixed depths drifting left, thicker the
// greyer the look. Each puff is confined to the window rectangle that the
// non-transparent part of its picture can reach: the rest of its quad would
// blend fully transparent texels, which leaves the target as it is; a puff
// whose rectangle lies off the picture is not drawn at all.
void LandscapeScene::drawSmoke(float t, float morph) const
{
    if (smokeCover[0] > smokeCover[2])
        return;
    glEnable(GL_BLEND);
    setTexturing(true);
    setDepthTest(false);
    setDepthWrite(false);
    setLighting(false);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    smokeTexture->bind();
    const double speed = 0.1 * t + 0.5;
    const float alpha = static_cast<float>(-0.7 * morph);
    for (int i = 0; i < 7; ++i) {
        const float x = static_cast<float>(5.0 - std::fmod(i * speed, 10.0));
        const float y = static_cast<float>((i % 4) * 0.333 * 0.25 - 0.95);
        const float z = static_cast<float>(-(std::fmod(static_cast<double>(i), 3.5) + 1.0));
        if (!scissorToSmokeCover(x, y, z, 4.0f, 1.6f))
            continue;
        glColor4f(0.62f, 0.6f, 0.6f, alpha);
        drawQuad(x, y, z, 4.0f, 1.6f, 0.0f, 0.0f, 1.0f, 1.0f);
    }
}

bool LandscapeScene::scissorToSmokeCover(float x, float y, float z, float w, float h) const
{
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    // The quad faces the camera, so its covered part projects to a rectangle.
    double left = viewport[0] + viewport[2], right = viewport[0];
    double bottom = viewport[1] + viewport[3], top = viewport[1];
    for (int corner = 0; corner < 4; ++corner) {
        const double s = smokeCover[corner & 1 ? 2 : 0];
        const double t = smokeCover[corner & 2 ? 3 : 1];
        GLdouble wx, wy, wz;
        gluProject(x + w * s, y + h * t, z, modelview, projection, viewport, &wx, &wy, &wz);
        left = std::min(left, wx);
        right = std::max(right, wx);
        bottom = std::min(bottom, wy);
        top = std::max(top, wy);
    }
    // Two pixels more on every side for the rasteriser's rounding, and no
    // further than just outside the viewport.
    const double x0 = std::floor(std::max(left - 2.0, viewport[0] - 1.0));
    const double y0 = std::floor(std::max(bottom - 2.0, viewport[1] - 1.0));
    const double x1 = std::ceil(std::min(right + 2.0, viewport[0] + viewport[2] + 1.0));
    const double y1 = std::ceil(std::min(top + 2.0, viewport[1] + viewport[3] + 1.0));
    if (x1 <= x0 || y1 <= y0)
        return false;
    glScissor(static_cast<GLint>(x0), static_cast<GLint>(y0),
              static_cast<GLsizei>(x1 - x0), static_cast<GLsizei>(y1 - y0));
    glEnable(GL_SCISSOR_TEST);
    return true;
}
