// The landscape's drawing pieces and the cube figure against the real GL:
// shapes and colours from feedback mode under an orthographic view, pixels,
// and the off-picture box test against real rendering.
#include "support/GlTestWindow.h"

#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/Figure.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeGeometry.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Vertex {
    float x, y, z;     // object coordinates under the orthographic view
    float r, g, b, a;  // colour after lighting
};

// The show's perspective or a box of -4..4 on every axis (window coordinates
// map straight back), identity modelview, no culling, lighting, blending,
// depth test or texturing, white on a black picture.
void useView(bool showPerspective)
{
    openTestWindow();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (showPerspective)
        gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    else
        glOrtho(-4, 4, -4, 4, -4, 4);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLenum cap : {GL_CULL_FACE, GL_LIGHTING, GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D})
        glDisable(cap);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
}

// The vertices of every triangle the draw produces, three by three (GL hands
// quads and fans back as triangles).
std::vector<Vertex> vertices(const std::function<void()>& draw)
{
    std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    auto back = [](float w, float size) { return (w / size * 2.0f - 1.0f) * 4.0f; };
    std::vector<Vertex> all;
    for (GLint i = 0; i < used && buffer[i] == GL_POLYGON_TOKEN && buffer[i + 1] == 3; i += 2 + 3 * 7)
        for (const GLfloat* f = &buffer[i + 2]; f < &buffer[i + 2 + 3 * 7]; f += 7)
            all.push_back({back(f[0], 800), back(f[1], 600), -back(f[2], 1), f[3], f[4], f[5], f[6]});
    return all;
}

// The centre of each closed cube (36 vertices) in drawing order.
std::vector<Vertex> cubeCentres(const std::function<void()>& draw)
{
    const std::vector<Vertex> all = vertices(draw);
    std::vector<Vertex> centres(all.size() / 36, Vertex{});
    for (size_t i = 0; i < centres.size() * 36; ++i) {
        centres[i / 36].x += all[i].x / 36;
        centres[i / 36].y += all[i].y / 36;
        centres[i / 36].z += all[i].z / 36;
    }
    return centres;
}

// The angle of b - a from +y toward +x, in degrees.
double angleFromUp(const Vertex& a, const Vertex& b) { return std::atan2(b.x - a.x, b.y - a.y) * 57.29577951; }

} // namespace

TEST(LandscapePieces, EachKeepsTheMatricesAndInTheShadowPassTheCallersColourOnTheSameGeometry)
{
    useView(false);
    const GroundItem item;
    const float body[3] = {0.2f, 0.4f, 0.6f};
    const struct {
        const char* name;
        std::function<void(bool shadowPass)> draw;
        bool setsOwnColour;
    } pieces[] = {
        {"drawCube", [](bool) { drawCube(0.5f, 0.1f, 0.2f, 0.3f, -1); }, false},
        {"drawQuad", [](bool) { drawQuad(-1, -1, 0.5f, 2, 1, 0, 0, 1, 1); }, false},
        {"drawDisc", [](bool) { drawDisc(1.0f, 16); }, false},
        {"drawRoof", [](bool) { drawRoof(1.0f, 0.5f); }, false},
        {"drawBody", [&](bool sp) { drawBody(1.0f, 2.0f, body, sp); }, true},
        {"drawPetals", [&](bool sp) { item.drawPetals(10.0f, 2.0f, sp); }, true},
        {"drawLeaf", [&](bool sp) { item.drawLeaf(1.0f, 2.0f, sp); }, true},
        {"Butterfly::draw", [](bool sp) { Butterfly{0.3f}.draw(1.7f, 0, 0, 0, 1, 0.5f, 1, 0.8f, sp); }, true},
        {"Figure::draw", [](bool sp) { Figure().draw(4.0f, 1.0f, 0.3f, sp); }, true},
    };
    const float caller[4] = {0.25f, 0.5f, 0.75f, 0.375f};
    for (const auto& piece : pieces) {
        std::vector<Vertex> drawn[2];
        for (bool shadowPass : {false, true}) {
            SCOPED_TRACE(std::string(piece.name) + (shadowPass ? " shadow pass" : " lit pass"));
            glRotatef(17.0f, 0.3f, 0.4f, 0.5f);
            const auto matrices = std::make_pair(currentMatrices(), modelviewDepth());
            glColor4fv(caller);
            drawn[shadowPass] = vertices([&] { piece.draw(shadowPass); });
            ASSERT_FALSE(drawn[shadowPass].empty());
            EXPECT_EQ(std::make_pair(currentMatrices(), modelviewDepth()), matrices) << "matrices and stack depth";
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            glLoadIdentity();
            const bool keepsCaller = shadowPass || !piece.setsOwnColour;
            for (const Vertex& v : drawn[shadowPass])
                ASSERT_EQ(std::fabs(v.r - caller[0]) + std::fabs(v.g - caller[1]) + std::fabs(v.b - caller[2]) +
                              std::fabs(v.a - caller[3]) < 1.0f / 256, keepsCaller);
        }
        SCOPED_TRACE(std::string(piece.name) + ": the shadow has the lit geometry");
        ASSERT_EQ(drawn[0].size(), drawn[1].size());
        for (size_t i = 0; i < drawn[0].size(); ++i)
            ASSERT_LT(std::fabs(drawn[0][i].x - drawn[1][i].x) + std::fabs(drawn[0][i].y - drawn[1][i].y) +
                          std::fabs(drawn[0][i].z - drawn[1][i].z), 1e-5f) << i;
    }
}

TEST(DrawCube, SeenFromEitherSideItsThreeNearFacesWindCounterClockwiseAndAreLitFromOutside)
{
    useView(false);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_CULL_FACE);  // clockwise on the screen: not drawn
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);  // white, from the eye: an outward normal lights a near face
    for (float turn : {30.0f, 210.0f}) {
        glLoadIdentity();
        glRotatef(turn, 1.0f, 1.0f, 0.0f);  // three faces toward the eye, none edge-on
        const std::vector<Vertex> v = vertices([] { drawCube(1.0f, 0.0f, 0.0f, 0.0f, -1); });
        EXPECT_EQ(v.size(), 3u * 2 * 3) << "turned by " << turn;
        for (size_t face = 0; face + 6 <= v.size(); face += 6) {
            float middle = 0.0f;  // of the face's two triangles: the face's centre
            for (size_t i = face; i < face + 6; ++i) {
                middle += v[i].z / 6;
                EXPECT_GT(v[i].r, 0.2f) << "turned by " << turn << ": lit";
            }
            EXPECT_GT(middle, 0.0f) << "turned by " << turn << ": a near face";
        }
        // openAxis 0 to 5 each leave out a pair of faces, one of them near.
        for (int openAxis = 0; openAxis < 6; ++openAxis)
            EXPECT_EQ(vertices([&] { drawCube(1.0f, 0.0f, 0.0f, 0.0f, openAxis); }).size(), 2u * 2 * 3);
    }
    glLoadIdentity();
    glPopAttrib();
}

TEST(DrawQuad, GrowsFromItsCornerAndPaintsThroughDepthCullingAndLightingThenRestoresThem)
{
    useView(false);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glClearDepth(0.0);  // everything fails GL_LESS against this
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_LIGHTING);  // no light on: a lit quad would be black
    drawQuad(0, 0, 0, 1, 1, 0, 0, 1, 1);  // x and y 0..1: window pixels 400..500 and 300..375
    float depth = 1.0f;
    glReadPixels(490, 370, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(readPixel(490, 370).g, 255);
    EXPECT_EQ(readPixel(390, 290).g, 0) << "not from its centre";
    EXPECT_EQ(depth, 0.0f) << "the quad must not write depth";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_LIGHTING));
    glPopAttrib();
}

TEST(MultShadowMatrix, MapsPointsOntoThePlaneAlongRaysFromTheLightInsideTheModelview)
{
    useView(false);
    // A tilted plane with a normal longer than 1, under a translation that
    // must stay outside the projection.
    const float light[3] = {1, 6, -1}, plane[3] = {0.5f, -0.5f, 0.25f}, normal[3] = {0.3f, -1.8f, 0.6f};
    const float before[3] = {0.25f, 1.0f, -0.5f};
    const float points[3][3] = {{0.5f, 0.2f, -1.0f}, {-0.3f, 0.05f, -0.8f}, {0.1f, 1.0f, -2.0f}};
    const std::vector<Vertex> v = vertices([&] {
        glTranslatef(before[0], before[1], before[2]);
        multShadowMatrix(light, plane, normal);
        glBegin(GL_TRIANGLES);
        for (const auto& p : points)
            glVertex3fv(p);
        glEnd();
    });
    glLoadIdentity();
    ASSERT_EQ(v.size(), 3u) << "only points with a positive w survive clipping";
    for (int i = 0; i < 3; ++i) {
        const double image[3] = {v[i].x - before[0], v[i].y - before[1], v[i].z - before[2]};
        double offPlane = 0.0;
        for (int a = 0; a < 3; ++a)
            offPlane += (image[a] - plane[a]) * normal[a];
        EXPECT_NEAR(offPlane, 0.0, 2e-3) << "point " << i;
        // Light, point and image on one line.
        const double k = (image[1] - light[1]) / (points[i][1] - light[1]);
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(image[a] - light[a], k * (points[i][a] - light[a]), 1e-3) << "point " << i;
    }
}

TEST(Figure, CubesInPlaceSpineCurlingOnlyOnTheGreySideLegsSwingingApartBounceOnlyOnTheFlowerSide)
{
    useView(false);
    // At phase 0 the twists vanish: spine, head and shoulder bar lie in the
    // view plane, the hip bar and the legs across it (the caller's z).
    const int kHead = 5, kHipBar = 6, kShoulderBar = 24, kThigh[2] = {8, 16}, kKnee[2] = {10, 18};
    for (float blend : {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f}) {
        SCOPED_TRACE("blend " + std::to_string(blend));
        const std::vector<Vertex> cubes = cubeCentres([&] { Figure().draw(0.0f, 1.0f, blend, false); });
        ASSERT_EQ(cubes.size(), 39u);
        const Vertex hip = cubes[0];
        const double lean = angleFromUp(hip, cubes[1]);
        EXPECT_EQ(std::fabs(angleFromUp(hip, cubes[4]) - lean) > 1.0, blend < 0.0f) << "spine curl";
        // Five cubes up the spine of length 1, the last 0.8 up: none at the end point.
        EXPECT_NEAR(std::hypot(cubes[4].x - hip.x, cubes[4].y - hip.y, cubes[4].z - hip.z), 0.8, 1e-3);
        EXPECT_NEAR(angleFromUp(hip, cubes[kShoulderBar]), angleFromUp(hip, cubes[kHead]), 0.05);
        EXPECT_GT(std::fabs(angleFromUp(hip, cubes[kHead])), 0.25) << "the torso pitch";
        EXPECT_NEAR(cubes[kShoulderBar].z, 0.2, 1e-3);
        EXPECT_NEAR(cubes[kHipBar].z, 0.125, 1e-3);
        EXPECT_NEAR(cubes[kHipBar].y, hip.y, 1e-3);
        double swing[2];
        for (int leg = 0; leg < 2; ++leg) {
            EXPECT_NEAR(cubes[kThigh[leg]].z, leg ? 0.125 : -0.125, 1e-3) << "from its own hip";
            swing[leg] = std::remainder(angleFromUp(cubes[kThigh[leg]], cubes[kKnee[leg]]) - 180, 360);
        }
        if (blend == 0.0f)  // half a cycle apart: the same swing to either side
            EXPECT_NEAR(swing[0], -swing[1], 0.05);
        EXPECT_GT(std::fabs(swing[0]), 1.0);
        // At the top of the stride, with scale 0, the whole figure collapses
        // onto the lift: 0.1 x blend squared in the caller's units.
        const float top = static_cast<float>(1.0 / 0.6366197730950255 + 0.314159265);
        for (const Vertex& p : vertices([&] { Figure().draw(top, 0.0f, blend, false); }))
            ASSERT_NEAR(p.y + std::fabs(p.x) + std::fabs(p.z), blend > 0 ? 0.1 * blend * blend : 0.0, 1e-4);
    }
}

// At z = -4 the show's view reaches 1.429 to either side and 1.072 up and
// down, at z = -3.9 1.393 and 1.045; the boxes lie between.
TEST(BoxOffScreen, OnlyABoxWhollyBeyondOneSideByTheMarginIsOffAndThenLightsNoPixel)
{
    const struct {
        const char* what;
        double lo[3], hi[3];
        double shiftX;  // modelview translation along x
        bool off;
        bool lights;    // whether its front face, filled, lights any pixel
    } cases[] = {
        {"beyond the right side", {1.46, -0.5, -4.0}, {2.0, 0.5, -3.9}, 0.0, true, false},
        {"above the top", {-0.5, 1.09, -4.0}, {0.5, 2.0, -3.9}, 0.0, true, false},
        {"reaching over the right edge", {1.30, -0.5, -4.0}, {2.0, 0.5, -3.9}, 0.0, false, true},
        {"within the margin beyond the edge", {1.435, -0.5, -4.0}, {2.0, 0.5, -3.9}, 0.0, false, false},
        {"spanning the view from side to side", {-3.0, -0.5, -4.0}, {3.0, 0.5, -3.9}, 0.0, false, true},
        {"beyond the right side, moved into view", {1.46, -0.5, -4.0}, {2.0, 0.5, -3.9}, -1.0, false, true},
        {"in view, moved beyond the left side", {-0.5, -0.5, -4.0}, {0.5, 0.5, -3.9}, -2.0, true, false},
    };
    for (const auto& c : cases) {
        useView(true);
        glTranslated(c.shiftX, 0.0, 0.0);
        double clip[16];
        currentClipMatrix(clip);
        EXPECT_EQ(boxOffScreen(clip, c.lo, c.hi), c.off) << c.what;
        // The box's front face, where the fill reaches furthest across the picture.
        glTranslated(0.0, 0.0, c.hi[2]);
        glRectd(c.lo[0], c.lo[1], c.hi[0], c.hi[1]);
        std::vector<unsigned char> rgb(800 * 600 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        EXPECT_EQ(std::count(rgb.begin(), rgb.end(), 255) > 0, c.lights) << c.what;
    }
}
