// The landscape's drawing pieces and the cube figure against the real GL:
// vertex counts from the pipeline statistics, shapes, colours and texture
// coordinates from feedback mode under an orthographic view.
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

const float kHalfView = 4.0f;
const double kPi = 3.14159265358979;
const double kDegrees = 180.0 / kPi;

struct Vertex {
    float x, y, z;     // object coordinates under useOrthoView
    float r, g, b, a;  // colour after lighting
    float s, t;
};
using Triangle = std::vector<Vertex>;
using Draw = std::function<void()>;

// A box of -kHalfView..kHalfView on every axis, identity modelview, no
// culling, lighting or blending: window coordinates map straight back.
void useOrthoView()
{
    openTestWindow();
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-kHalfView, kHalfView, -kHalfView, kHalfView, -kHalfView, kHalfView);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

// Every polygon the draw produces (GL hands quads and fans back as triangles).
std::vector<Triangle> feedback(const Draw& draw)
{
    std::vector<GLfloat> buffer(1 << 18);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    auto back = [](float w, float size) { return (w / size * 2.0f - 1.0f) * kHalfView; };
    std::vector<Triangle> triangles;
    for (GLint i = 0; i < used;) {
        if (static_cast<int>(buffer[i++]) != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token";
            break;
        }
        Triangle polygon;
        for (int v = static_cast<int>(buffer[i++]); v > 0; --v, i += 11) {
            const GLfloat* f = &buffer[i];
            polygon.push_back({back(f[0], 800), back(f[1], 600), -back(f[2], 1), f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        triangles.push_back(polygon);
    }
    return triangles;
}

std::vector<Vertex> vertices(const std::vector<Triangle>& triangles)
{
    std::vector<Vertex> all;
    for (const Triangle& t : triangles)
        all.insert(all.end(), t.begin(), t.end());
    return all;
}

// The number of vertices the draw hands to GL, before primitive assembly.
GLuint submitted(const Draw& draw)
{
    EXPECT_TRUE(GLEW_ARB_pipeline_statistics_query) << "the GL cannot count submitted vertices";
    GLuint query = 0, count = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_VERTICES_SUBMITTED_ARB, query);
    draw();
    glEndQuery(GL_VERTICES_SUBMITTED_ARB);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

std::vector<float> currentColour()
{
    std::vector<float> c(4);
    glGetFloatv(GL_CURRENT_COLOR, c.data());
    return c;
}

bool hasColour(const Vertex& v, const std::vector<float>& c)
{
    const float tol = 1.0f / 512.0f;
    return std::fabs(v.r - c[0]) < tol && std::fabs(v.g - c[1]) < tol && std::fabs(v.b - c[2]) < tol &&
           std::fabs(v.a - c[3]) < tol;
}

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

struct Point {
    double x, y, z;
};

// The centre of each closed cube (12 triangles, 36 vertices) in drawing order.
std::vector<Point> cubeCentres(const Draw& draw)
{
    const std::vector<Vertex> all = vertices(feedback(draw));
    EXPECT_EQ(all.size() % 36, 0u);
    std::vector<Point> centres(all.size() / 36, Point{0, 0, 0});
    for (size_t i = 0; i < all.size(); ++i) {
        centres[i / 36].x += all[i].x / 36.0;
        centres[i / 36].y += all[i].y / 36.0;
        centres[i / 36].z += all[i].z / 36.0;
    }
    return centres;
}

double distance(const Point& a, const Point& b) { return std::hypot(b.x - a.x, b.y - a.y, b.z - a.z); }

// The angle of b - a from +y toward +x, in degrees.
double angleFromUp(const Point& a, const Point& b) { return std::atan2(b.x - a.x, b.y - a.y) * kDegrees; }

} // namespace

TEST(LandscapePieces, EachPieceCountsItsVerticesLeavesMatricesAndShadowColourAlone)
{
    useOrthoView();
    GroundItem item;
    item.petalColour[0] = 0.64f;
    const Butterfly butterfly{0.3f};
    const Figure figure;
    const float body[3] = {0.2f, 0.4f, 0.6f};
    const struct {
        const char* name;
        std::function<void(bool shadowPass)> draw;
        GLuint vertices;
        bool setsOwnColour;
    } pieces[] = {
        {"drawCube", [](bool) { drawCube(0.5f, 0.1f, 0.2f, 0.3f, -1); }, 24, false},
        {"drawQuad", [](bool) { drawQuad(-1, -1, 0.5f, 2, 1, 0, 0, 1, 1); }, 4, false},
        {"drawDisc", [](bool) { drawDisc(1.0f, 16); }, 18, false},
        {"drawRoof", [](bool) { drawRoof(1.0f, 0.5f); }, 3, false},
        {"drawBody", [&](bool sp) { drawBody(1.0f, 2.0f, body, sp); }, 4, true},
        {"drawPetals", [&](bool sp) { item.drawPetals(10.0f, 2.0f, sp); }, 6 * 18, true},
        {"drawLeaf", [&](bool sp) { item.drawLeaf(1.0f, 2.0f, sp); }, 21, true},
        {"Butterfly::draw", [&](bool sp) { butterfly.draw(1.7f, 0, 0, 0, 1, 0.5f, 1, 0.8f, sp); }, 15, true},
        {"Figure::draw", [&](bool sp) { figure.draw(4.0f, 1.0f, 0.3f, sp); }, 39 * 24, true},
    };
    const std::vector<float> caller = {0.25f, 0.5f, 0.75f, 0.375f};
    for (const auto& piece : pieces) {
        std::vector<Vertex> drawn[2];
        for (bool shadowPass : {false, true}) {
            SCOPED_TRACE(std::string(piece.name) + (shadowPass ? " shadow pass" : " lit pass"));
            glTranslatef(0.25f, -0.5f, 0.125f);
            glRotatef(17.0f, 0.3f, 0.4f, 0.5f);
            glPushMatrix();
            const std::vector<float> before = currentMatrices();
            const int depth = modelviewDepth();
            EXPECT_EQ(submitted([&] { piece.draw(shadowPass); }), piece.vertices);
            EXPECT_EQ(currentMatrices(), before);
            EXPECT_EQ(modelviewDepth(), depth);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            glPopMatrix();
            glLoadIdentity();

            glColor4fv(caller.data());
            drawn[shadowPass] = vertices(feedback([&] { piece.draw(shadowPass); }));
            ASSERT_FALSE(drawn[shadowPass].empty());
            const bool keepsCaller = shadowPass || !piece.setsOwnColour;
            if (shadowPass)
                EXPECT_EQ(currentColour(), caller);
            for (const Vertex& v : drawn[shadowPass])
                ASSERT_EQ(hasColour(v, caller), keepsCaller) << v.r << " " << v.g << " " << v.b << " " << v.a;
        }
        SCOPED_TRACE(std::string(piece.name) + ": the shadow has the lit geometry");
        ASSERT_EQ(drawn[0].size(), drawn[1].size());
        for (size_t i = 0; i < drawn[0].size(); ++i)
            ASSERT_LT(std::fabs(drawn[0][i].x - drawn[1][i].x) + std::fabs(drawn[0][i].y - drawn[1][i].y) +
                          std::fabs(drawn[0][i].z - drawn[1][i].z), 1e-5f) << i;
    }
}

TEST(DrawCube, OpenAxisLeavesOutOneFacePair)
{
    useOrthoView();
    const struct {
        int openAxis, missingAxis;  // -1: closed
    } cases[] = {{-1, -1}, {0, 0}, {1, 1}, {2, 2}, {3, 0}, {4, 1}, {5, 2}, {6, -1}, {-7, -1}};
    const float s = 0.5f, centre[3] = {0.25f, -0.5f, 1.0f};
    for (const auto& c : cases) {
        SCOPED_TRACE("openAxis " + std::to_string(c.openAxis));
        auto draw = [&] { drawCube(s, centre[0], centre[1], centre[2], c.openAxis); };
        EXPECT_EQ(submitted(draw), c.missingAxis < 0 ? 24u : 16u);
        int onFace[3][2] = {};
        for (const Triangle& t : feedback(draw))
            for (int axis = 0; axis < 3; ++axis)
                for (int side = 0; side < 2; ++side) {
                    bool all = true;
                    for (const Vertex& v : t)
                        all = all && std::fabs((&v.x)[axis] - (centre[axis] + (side ? s : -s))) < 1e-3f;
                    onFace[axis][side] += all;
                }
        for (int axis = 0; axis < 3; ++axis)
            for (int side = 0; side < 2; ++side)
                EXPECT_EQ(onFace[axis][side], axis == c.missingAxis ? 0 : 2) << "axis " << axis;
    }
}

TEST(DrawCube, EveryFaceWindsCounterClockwiseAndIsLitFromOutside)
{
    useOrthoView();
    // A light with no ambient part: a vertex is lit exactly when its normal
    // points to the light.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const float black[4] = {0, 0, 0, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            SCOPED_TRACE("light along axis " + std::to_string(axis) + (sign > 0 ? " +" : " -"));
            float light[4] = {0, 0, 0, 0};
            light[axis] = sign;
            glLightfv(GL_LIGHT0, GL_POSITION, light);
            const std::vector<Triangle> tris = feedback([] { drawCube(0.75f, 0, 0, 0, -1); });
            ASSERT_EQ(tris.size(), 12u);
            int lit = 0;
            for (const Triangle& t : tris) {
                const double e1[3] = {t[1].x - t[0].x, t[1].y - t[0].y, t[1].z - t[0].z};
                const double e2[3] = {t[2].x - t[0].x, t[2].y - t[0].y, t[2].z - t[0].z};
                const double mid[3] = {t[0].x + t[1].x + t[2].x, t[0].y + t[1].y + t[2].y, t[0].z + t[1].z + t[2].z};
                double winding[3];
                cross(e1, e2, winding);
                EXPECT_GT(dot(winding, mid), 0.0) << "counter-clockwise from outside";
                const bool facesLight = mid[axis] * sign > 2.2;  // all three on the face toward the light
                for (const Vertex& v : t) {
                    EXPECT_EQ(v.r > 0.5f, facesLight);
                    lit += v.r > 0.5f;
                }
            }
            EXPECT_EQ(lit, 6);
        }
    }
    glPopAttrib();
}

TEST(DrawDisc, SixteenSegmentsFanRoundTheCentreAndNoneDrawNothing)
{
    useOrthoView();
    const std::vector<Triangle> fan = feedback([] { drawDisc(2.0f, 16); });
    ASSERT_EQ(fan.size(), 16u);
    for (size_t k = 0; k < fan.size(); ++k)
        for (int j = 0; j < 3; ++j) {
            const double angle = 2 * kPi / 16 * (k + j - 1), r = j ? 2.0 : 0.0;
            EXPECT_NEAR(fan[k][j].x, r * std::cos(angle), 1e-3) << k << " " << j;
            EXPECT_NEAR(fan[k][j].y, r * std::sin(angle), 1e-3) << k << " " << j;
        }
    for (int segments : {0, -1, -16}) {
        EXPECT_TRUE(feedback([&] { drawDisc(1.0f, segments); }).empty()) << segments;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST(DrawQuad, GrowsFromItsCornerAndPaintsThroughDepthCullingAndLightingThenRestoresThem)
{
    useOrthoView();
    for (const Vertex& p : vertices(feedback([] { drawQuad(-1, 0.5f, 0.25f, 2, 1.5f, 0.25f, 0.5f, 0.5f, 2); }))) {
        const bool right = p.x > 0, top = p.y > 1.25f;
        EXPECT_NEAR(p.x, right ? 1.0f : -1.0f, 1e-3);
        EXPECT_NEAR(p.y, top ? 2.0f : 0.5f, 1e-3);
        EXPECT_NEAR(p.z, 0.25f, 1e-3);
        EXPECT_FLOAT_EQ(p.s, right ? 0.75f : 0.25f);
        EXPECT_FLOAT_EQ(p.t, top ? 2.5f : 0.5f);
    }
    glClearDepth(0.0);  // everything fails GL_LESS against this
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_LIGHTING);  // no light on: a lit quad would be black
    glColor3f(1.0f, 1.0f, 1.0f);
    drawQuad(-1, -1, 0, 2, 2, 0, 0, 1, 1);
    EXPECT_EQ(readPixel(400, 300).g, 255);
    float depth = 1.0f;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 0.0f) << "the quad must not write depth";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_CULL_FACE) && glIsEnabled(GL_LIGHTING));
    glCullFace(GL_BACK);
}

TEST(MultShadowMatrix, MapsPointsOntoThePlaneAlongRaysFromTheLight)
{
    useOrthoView();
    const struct {
        const char* name;
        float light[3], point[3], normal[3];
        float before[3];  // a translation already on the modelview, which must stay outside
    } cases[] = {
        {"the landscape's floor", {0, 19, -48}, {0, -0.148f, 0}, {0, -1, 0}, {0, 0, 0}},
        {"a tilted plane with a long normal", {1, 6, -1}, {0.5f, -0.5f, 0.25f}, {0.3f, -1.8f, 0.6f}, {0, 0, 0}},
        {"the floor under a translation", {0, 19, -48}, {0, -0.148f, 0}, {0, -1, 0}, {0.25f, 1.0f, -0.5f}},
    };
    const float points[3][3] = {{0.5f, 0.2f, -1.0f}, {-0.3f, 0.05f, -0.8f}, {0.1f, 1.0f, -2.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Only points with a positive w survive clipping.
        const std::vector<Vertex> v = vertices(feedback([&] {
            glTranslatef(c.before[0], c.before[1], c.before[2]);
            multShadowMatrix(c.light, c.point, c.normal);
            glBegin(GL_TRIANGLES);
            for (const auto& p : points)
                glVertex3fv(p);
            glEnd();
        }));
        glLoadIdentity();
        ASSERT_EQ(v.size(), 3u);
        const double N[3] = {c.normal[0], c.normal[1], c.normal[2]};
        const double P[3] = {c.point[0], c.point[1], c.point[2]};
        for (int i = 0; i < 3; ++i) {
            const double img[3] = {v[i].x - c.before[0], v[i].y - c.before[1], v[i].z - c.before[2]};
            EXPECT_NEAR(dot(N, img), dot(N, P), 2e-3);
            // Light, point and image on one line.
            const double a[3] = {points[i][0] - c.light[0], points[i][1] - c.light[1], points[i][2] - c.light[2]};
            const double b[3] = {img[0] - c.light[0], img[1] - c.light[1], img[2] - c.light[2]};
            double axb[3];
            cross(a, b, axb);
            EXPECT_NEAR(std::sqrt(dot(axb, axb) / dot(a, a) / dot(b, b)), 0.0, 1e-4);
        }
    }
}

TEST(DrawPetals, SixPetalsReachTheirLengthEverySixtyDegreesFromTheOffset)
{
    useOrthoView();
    const GroundItem item;
    const std::vector<Triangle> fans = feedback([&] { item.drawPetals(25.0f, 2.0f, false); });
    ASSERT_EQ(fans.size(), 6u * 16u);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE("petal " + std::to_string(k));
        double farthest = 0, angle = 0;
        for (int i = 0; i < 16; ++i)
            for (const Vertex& v : fans[16 * k + i])
                if (std::hypot(v.x, v.y) > farthest) {
                    farthest = std::hypot(v.x, v.y);
                    angle = std::atan2(v.y, v.x) * kDegrees;
                }
        EXPECT_NEAR(farthest, 0.5, 1e-3);
        EXPECT_NEAR(std::remainder(angle - (90.0 + 60 * k + 25), 360.0), 0.0, 0.1);
    }
}

TEST(Butterfly, PhaseOneHalfHoversWhileOthersCircleInOppositeSensesAtTheirAlpha)
{
    useOrthoView();
    // The origin from the body triangle: the mean of its rear pair and its front vertex.
    auto origin = [](float phase, float t) {
        const Butterfly b{phase};
        const std::vector<Triangle> tris = feedback([&] { b.draw(t, 0.5f, -0.25f, 0.75f, 1, 0.5f, 2, 0.6f, false); });
        EXPECT_EQ(tris.size(), 5u);
        for (const Vertex& v : vertices(tris))
            EXPECT_NEAR(v.a, 0.6f, 1e-3);
        const Triangle& body = tris.back();
        return Point{(body[0].x + body[1].x) / 4 + body[2].x / 2, (body[0].y + body[1].y) / 4 + body[2].y / 2,
                     (body[0].z + body[1].z) / 4 + body[2].z / 2};
    };
    const Point hover = origin(0.5f, 7.0f);
    EXPECT_NEAR(hover.x, 0.5, 1e-3);
    EXPECT_NEAR(hover.y, -0.25 + 0.5 * 1.05, 1e-3);
    EXPECT_NEAR(hover.z, 0.75 + 2 * 1.125, 1e-3);
    for (float phase : {0.1f, 0.3f, 0.7f, 0.9f}) {
        SCOPED_TRACE(phase);
        const double g = phase * 0.25 + 1.0;
        const Point o = origin(phase, 0.5f);
        EXPECT_NEAR(std::atan2((o.x - 0.5) / g, (o.z - 0.75) / (2 * g)), (phase - 0.5) * 0.5 * kPi, 2e-3);
    }
}

TEST(Figure, EachPoseHas39CubesOfItsSizesItsColourSpineHeadShouldersAndLegs)
{
    useOrthoView();
    const Figure figure;
    const int kHead = 5, kHipBar = 6, kShoulderBar = 24;
    // At phase 0 the twists vanish, so spine, head and shoulder bar lie in the
    // view plane: the torso pitch tilts them toward +x; at blend -1 the spine
    // group turns by -20 degrees and each cube by -18 cos(i pi / 4).
    const double c1 = 18 * std::cos(kPi / 4);
    const struct {
        float blend;
        float r, g, b;
        double hipHeight, spineAngle[5], pitch;
    } cases[] = {
        {-1.0f, 0.3f, 0.0f, 0.0f, 1.0, {0, 30 - c1, 30, 30 + c1, 48}, 50},
        {-0.5f, 0.2f, 0.05f, 0.15f, 1.0, {}, 0},
        {0.0f, 0.1f, 0.1f, 0.3f, 1.0, {0, -3, -3, -3, -3}, -3},
        {0.5f, 0.15f, 0.5f, 0.3f, 1.0 + 0.025 * (1.0 - 1.2 * 1.2), {}, 0},
        // q is negative at phase 0: the stride sits 0.1 (1 - 1.2^2) lower.
        {1.0f, 0.2f, 0.9f, 0.3f, 1.0 + 0.1 * (1.0 - 1.2 * 1.2), {0, 4, 4, 4, 4}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("blend " + std::to_string(c.blend));
        glColor3f(0, 0, 0);
        figure.draw(0.0f, 1.0f, c.blend, false);
        const std::vector<float> colour = currentColour();
        EXPECT_NEAR(colour[0], c.r, 1e-6);
        EXPECT_NEAR(colour[1], c.g, 1e-6);
        EXPECT_NEAR(colour[2], c.b, 1e-6);

        const std::vector<Triangle> tris = feedback([&] { figure.draw(0.0f, 1.0f, c.blend, false); });
        ASSERT_EQ(tris.size(), 39u * 12u);
        for (int k = 0; k < 39; ++k) {  // half-edge from the diagonal of the first triangle
            const Triangle& t = tris[12 * k];
            const double diagonal = std::max({std::hypot(t[0].x - t[1].x, t[0].y - t[1].y, t[0].z - t[1].z),
                                              std::hypot(t[1].x - t[2].x, t[1].y - t[2].y, t[1].z - t[2].z),
                                              std::hypot(t[2].x - t[0].x, t[2].y - t[0].y, t[2].z - t[0].z)});
            EXPECT_NEAR(diagonal / (2 * std::sqrt(2.0)), k == kHead ? 0.09 : 0.056, 1e-3) << "cube " << k;
        }
        const std::vector<Point> cubes = cubeCentres([&] { figure.draw(0.0f, 1.0f, c.blend, false); });
        const Point hip = cubes[0];
        EXPECT_NEAR(hip.x, 0.0, 1e-4);
        EXPECT_NEAR(hip.y, c.hipHeight, 1e-4);
        if (c.blend == 0.0f) {
            // The legs swing half a cycle apart, each from its own hip: +x (the
            // caller's -z) at 20 sin(-0.314159265) degrees, -x at the opposite.
            const double hipAngle = 20 * std::sin(-0.314159265);
            for (int leg = 0; leg < 2; ++leg) {
                SCOPED_TRACE(leg ? "-x leg" : "+x leg");
                const Point thigh = cubes[8 + 8 * leg], knee = cubes[10 + 8 * leg];
                EXPECT_NEAR(thigh.z, leg ? 0.125 : -0.125, 1e-3);
                EXPECT_NEAR(thigh.y, 1.0, 1e-3);
                const double swing = angleFromUp(thigh, knee) - 180 - (leg ? -hipAngle : hipAngle);
                EXPECT_NEAR(std::remainder(swing, 360), 0, 0.05);
            }
        }
        if (c.spineAngle[1] == 0)
            continue;
        for (int i = 1; i < 5; ++i) {
            EXPECT_NEAR(angleFromUp(hip, cubes[i]), c.spineAngle[i], 0.05) << "spine cube " << i;
            EXPECT_NEAR(distance(hip, cubes[i]), 0.2 * i, 1e-3) << "spine cube " << i;
        }
        EXPECT_NEAR(angleFromUp(hip, cubes[kHead]), c.pitch, 0.05);
        EXPECT_NEAR(distance(hip, cubes[kHead]), 1.02, 1e-3);
        // The shoulder bar: 0.75 up the pitched torso, 0.2 toward the eye.
        EXPECT_NEAR(angleFromUp(hip, cubes[kShoulderBar]), c.pitch, 0.05);
        EXPECT_NEAR(std::hypot(cubes[kShoulderBar].x - hip.x, cubes[kShoulderBar].y - hip.y), 0.75, 1e-3);
        EXPECT_NEAR(cubes[kShoulderBar].z, 0.2, 1e-3);
        // The hip bar does not follow the pitch.
        EXPECT_NEAR(cubes[kHipBar].z, 0.125, 1e-3);
        EXPECT_NEAR(cubes[kHipBar].y, c.hipHeight, 1e-3);
    }
}

TEST(Figure, BounceLiftsTheWholeFigureInTheCallersUnitsOnlyOnTheFlowerSide)
{
    useOrthoView();
    // With scale 0 every cube collapses onto the point the bounce lifted it to.
    const struct {
        float blend;
        double rampPosition, lift;  // rampPosition: q x 2 / pi
    } cases[] = {{1.0f, 0.0, 0.0}, {1.0f, 1.0, 0.1},   {1.0f, 0.5, 0.075}, {1.0f, 2.0, 0.0},
                 {0.5f, 1.0, 0.025}, {0.0f, 1.0, 0.0}, {-1.0f, 1.0, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE("blend " + std::to_string(c.blend) + " at " + std::to_string(c.rampPosition));
        const float phase = static_cast<float>(c.rampPosition / 0.6366197730950255 + 0.314159265);
        for (const Vertex& p : vertices(feedback([&] { Figure().draw(phase, 0.0f, c.blend, false); }))) {
            ASSERT_NEAR(std::hypot(p.x, p.z), 0.0, 1e-4);
            ASSERT_NEAR(p.y, c.lift, 1e-4);
        }
    }
}

TEST(Figure, LimbsPlaceCubesFromTheStartStoppingShortOfTheEnd)
{
    useOrthoView();
    const struct {
        float x0, y0, x1, y1, bend;
        int cubes;
    } cases[] = {{0, 0, 0, 1, 0, 5},  {-0.125f, 0, 0.125f, 0, 0, 2}, {0, 0, 0, -0.5f, 0, 3}, {0, 0, 0, 0.15f, 0, 2},
                 {0.5f, 0.5f, -0.5f, -0.5f, 0, 7},
                 // One cube takes the first cube's curl: -20 - 18 degrees about x.
                 {0, 0.5f, 0, 0.5f, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " to " + std::to_string(c.x1) + "," +
                     std::to_string(c.y1));
        auto draw = [&] { Figure().drawLimb(c.x0, c.y0, c.x1, c.y1, c.bend); };
        EXPECT_EQ(submitted(draw), 24u * c.cubes);
        const std::vector<Point> centres = cubeCentres(draw);
        ASSERT_EQ(centres.size(), static_cast<size_t>(c.cubes));
        const double turn = -38.0 * c.bend / kDegrees;
        for (int i = 0; i < c.cubes; ++i) {
            const double y = c.y0 + (c.y1 - c.y0) * i / c.cubes;
            EXPECT_NEAR(centres[i].x, c.x0 + (c.x1 - c.x0) * i / c.cubes, 1e-4);
            EXPECT_NEAR(centres[i].y, y * std::cos(turn), 1e-4);
            EXPECT_NEAR(centres[i].z, y * std::sin(turn), 1e-4);
        }
    }
}

namespace {

// The show's projection on the test window, identity modelview, a black
// picture and a flat white fill for what the boxes hold.
void useShowView()
{
    openTestWindow();
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
}

int litPixels()
{
    std::vector<unsigned char> rgba(800 * 600 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        lit += rgba[i] != 0;
    return lit;
}

// The box's front face, where the fill reaches furthest across the picture
// (the boxes lie in front of the camera).
void fillBoxFront(const double lo[3], const double hi[3])
{
    glBegin(GL_QUADS);
    glVertex3d(lo[0], lo[1], hi[2]);
    glVertex3d(hi[0], lo[1], hi[2]);
    glVertex3d(hi[0], hi[1], hi[2]);
    glVertex3d(lo[0], hi[1], hi[2]);
    glEnd();
}

}  // namespace

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
        {"beyond the left side", {-2.0, -0.5, -4.0}, {-1.46, 0.5, -3.9}, 0.0, true, false},
        {"above the top", {-0.5, 1.09, -4.0}, {0.5, 2.0, -3.9}, 0.0, true, false},
        {"below the bottom", {-0.5, -2.0, -4.0}, {0.5, -1.09, -3.9}, 0.0, true, false},
        {"reaching over the right edge", {1.30, -0.5, -4.0}, {2.0, 0.5, -3.9}, 0.0, false, true},
        {"within the margin beyond the edge", {1.435, -0.5, -4.0}, {2.0, 0.5, -3.9}, 0.0, false, false},
        {"spanning the view from side to side", {-3.0, -0.5, -4.0}, {3.0, 0.5, -3.9}, 0.0, false, true},
        {"beyond the right side, moved into view", {1.46, -0.5, -4.0}, {2.0, 0.5, -3.9}, -1.0, false, true},
        {"in view, moved beyond the left side", {-0.5, -0.5, -4.0}, {0.5, 0.5, -3.9}, -2.0, true, false},
    };
    for (const auto& c : cases) {
        useShowView();
        glTranslated(c.shiftX, 0.0, 0.0);
        double clip[16];
        currentClipMatrix(clip);
        EXPECT_EQ(boxOffScreen(clip, c.lo, c.hi), c.off) << c.what;
        fillBoxFront(c.lo, c.hi);
        EXPECT_EQ(litPixels() > 0, c.lights) << c.what;
    }
}
