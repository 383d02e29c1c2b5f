// The landscape's drawing pieces against the real GL: vertex counts from the
// pipeline statistics, shapes, colours and texture coordinates from feedback
// mode, pixels and depth from real rendering.
#include "support/GlTestWindow.h"

#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeGeometry.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

const float kHalfView = 4.0f;

struct Vertex {
    float x, y, z;     // object coordinates (the view is an identity-scaled ortho box)
    float r, g, b, a;  // colour after lighting
    float s, t;        // texture coordinate
};
using Triangle = std::vector<Vertex>;

// An orthographic box of -kHalfView..kHalfView on every axis, identity modelview,
// no culling or lighting, so every piece is fully visible and its window
// coordinates map straight back to object coordinates.
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
    glDepthMask(GL_TRUE);
}

// Feedback with colours and texture coordinates, as triangles in object
// coordinates of useOrthoView (GL hands quads and fans back as triangles).
std::vector<Triangle> feedbackTriangles(const std::function<void()>& draw)
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
        const int token = static_cast<int>(buffer[i++]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        const int count = static_cast<int>(buffer[i++]);
        Triangle polygon;
        for (int v = 0; v < count; ++v, i += 11) {
            const GLfloat* f = &buffer[i];
            polygon.push_back({back(f[0], 800.0f), back(f[1], 600.0f), -back(f[2], 1.0f),
                               f[3], f[4], f[5], f[6], f[7], f[8]});
        }
        triangles.push_back(polygon);
    }
    return triangles;
}

std::vector<Vertex> allVertices(const std::vector<Triangle>& triangles)
{
    std::vector<Vertex> all;
    for (const Triangle& t : triangles)
        all.insert(all.end(), t.begin(), t.end());
    return all;
}

// The number of vertices the draw hands to GL, before any primitive assembly.
GLuint submittedVertices(const std::function<void()>& draw)
{
    EXPECT_TRUE(GLEW_ARB_pipeline_statistics_query) << "the GL cannot count submitted vertices";
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_VERTICES_SUBMITTED_ARB, query);
    draw();
    glEndQuery(GL_VERTICES_SUBMITTED_ARB);
    GLuint count = 0;
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

bool sameColour(const Vertex& v, const std::vector<float>& c)
{
    const float tol = 1.0f / 512.0f;
    return std::fabs(v.r - c[0]) < tol && std::fabs(v.g - c[1]) < tol &&
           std::fabs(v.b - c[2]) < tol && std::fabs(v.a - c[3]) < tol;
}

GroundItem sampleItem()
{
    GroundItem item;
    item.petalColour[0] = 0.64f;
    item.petalColour[1] = 0.08f;
    return item;
}

struct Piece {
    std::string name;
    std::function<void(bool shadowPass)> draw;
    GLuint vertices;
    bool setsOwnColour;
};

std::vector<Piece> allPieces()
{
    static const GroundItem item = sampleItem();
    static const Butterfly butterfly{0.3f};
    static const float bodyColour[3] = {0.2f, 0.4f, 0.6f};
    return {
        {"drawCube", [](bool) { drawCube(0.5f, 0.1f, 0.2f, 0.3f, -1); }, 24, false},
        {"drawQuad", [](bool) { drawQuad(-1.0f, -1.0f, 0.5f, 2.0f, 1.0f, 0, 0, 1, 1); }, 4, false},
        {"drawDisc", [](bool) { drawDisc(1.0f, 16); }, 18, false},
        {"drawRoof", [](bool) { drawRoof(1.0f, 0.5f); }, 3, false},
        {"drawBody", [](bool sp) { drawBody(1.0f, 2.0f, bodyColour, sp); }, 4, true},
        {"drawPetals", [](bool sp) { item.drawPetals(10.0f, 2.0f, sp); }, 6 * 18, true},
        {"drawLeaf", [](bool sp) { item.drawLeaf(1.0f, 2.0f, sp); }, 21, true},
        {"Butterfly::draw",
         [](bool sp) { butterfly.draw(1.7f, 0.0f, 0.0f, 0.0f, 1.0f, 0.5f, 1.0f, 0.8f, sp); }, 15, true},
    };
}

} // namespace

TEST(LandscapePieces, EachPieceIssuesItsVerticesAndLeavesMatricesAsFound)
{
    useOrthoView();
    for (const Piece& piece : allPieces()) {
        for (bool shadowPass : {false, true}) {
            SCOPED_TRACE(piece.name + (shadowPass ? " shadow pass" : " lit pass"));
            glTranslatef(0.25f, -0.5f, 0.125f);
            glRotatef(17.0f, 0.3f, 0.4f, 0.5f);
            const std::vector<float> before = currentMatrices();
            const int depth = modelviewDepth();

            EXPECT_EQ(submittedVertices([&] { piece.draw(shadowPass); }), piece.vertices);
            EXPECT_EQ(currentMatrices(), before);
            EXPECT_EQ(modelviewDepth(), depth);
            GLint mode = 0;
            glGetIntegerv(GL_MATRIX_MODE, &mode);
            EXPECT_EQ(mode, GL_MODELVIEW);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            glLoadIdentity();
        }
    }
}

TEST(LandscapePieces, ShadowPassKeepsTheCallersColourAndTheSameGeometry)
{
    useOrthoView();
    const std::vector<float> shadow = {0.25f, 0.5f, 0.75f, 0.375f};
    for (const Piece& piece : allPieces()) {
        SCOPED_TRACE(piece.name);
        glColor4fv(shadow.data());
        const std::vector<Triangle> shadowed = feedbackTriangles([&] { piece.draw(true); });
        EXPECT_EQ(currentColour(), shadow);
        ASSERT_FALSE(shadowed.empty());
        for (const Vertex& v : allVertices(shadowed))
            EXPECT_TRUE(sameColour(v, shadow)) << v.r << " " << v.g << " " << v.b << " " << v.a;

        glColor4fv(shadow.data());
        const std::vector<Triangle> lit = feedbackTriangles([&] { piece.draw(false); });
        const std::vector<Vertex> a = allVertices(shadowed), b = allVertices(lit);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_FLOAT_EQ(a[i].x, b[i].x);
            EXPECT_FLOAT_EQ(a[i].y, b[i].y);
            EXPECT_FLOAT_EQ(a[i].z, b[i].z);
        }
    }
}

TEST(LandscapePieces, LitPassColoursItselfExceptRoofDiscCubeAndQuad)
{
    useOrthoView();
    const std::vector<float> caller = {0.25f, 0.5f, 0.75f, 0.375f};
    for (const Piece& piece : allPieces()) {
        SCOPED_TRACE(piece.name);
        glColor4fv(caller.data());
        for (const Vertex& v : allVertices(feedbackTriangles([&] { piece.draw(false); })))
            EXPECT_NE(sameColour(v, caller), piece.setsOwnColour);
    }
}

TEST(DrawCube, OpenAxisLeavesOutOneFacePair)
{
    useOrthoView();
    struct Case {
        int openAxis;
        int missingAxis;  // -1: closed
    } cases[] = {{-1, -1}, {0, 0}, {1, 1}, {2, 2}, {3, 0}, {4, 1}, {5, 2}, {6, -1}, {-7, -1}};
    const float s = 0.5f, centre[3] = {0.25f, -0.5f, 1.0f};
    for (const Case& c : cases) {
        SCOPED_TRACE("openAxis " + std::to_string(c.openAxis));
        auto draw = [&] { drawCube(s, centre[0], centre[1], centre[2], c.openAxis); };
        EXPECT_EQ(submittedVertices(draw), c.missingAxis < 0 ? 24u : 16u);

        // Count the triangles lying on each of the six faces.
        int onFace[3][2] = {{0, 0}, {0, 0}, {0, 0}};
        for (const Triangle& t : feedbackTriangles(draw)) {
            for (int axis = 0; axis < 3; ++axis) {
                for (int side = 0; side < 2; ++side) {
                    const float plane = centre[axis] + (side ? s : -s);
                    bool all = true;
                    for (const Vertex& v : t)
                        all = all && std::fabs((&v.x)[axis] - plane) < 1e-3f;
                    onFace[axis][side] += all;
                }
            }
        }
        for (int axis = 0; axis < 3; ++axis)
            for (int side = 0; side < 2; ++side)
                EXPECT_EQ(onFace[axis][side], axis == c.missingAxis ? 0 : 2) << "axis " << axis;
    }
}

TEST(DrawCube, FacesWindOutwardSoCullingKeepsTheNearHalf)
{
    useOrthoView();
    glRotatef(30.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(40.0f, 0.0f, 1.0f, 0.0f);
    glEnable(GL_CULL_FACE);
    for (GLenum culled : {GL_BACK, GL_FRONT}) {
        glCullFace(culled);
        const std::vector<Triangle> kept = feedbackTriangles([] { drawCube(1.0f, 0, 0, 0, -1); });
        EXPECT_EQ(kept.size(), 6u);
        // The eye looks along -z: surviving back-culling means facing it (nearer than the centre).
        for (const Triangle& t : kept) {
            const float z = (t[0].z + t[1].z + t[2].z) / 3.0f;
            EXPECT_EQ(z > 0.0f, culled == GL_BACK) << z;
        }
    }
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
}

TEST(DrawCube, NormalsPointOutOfEachFace)
{
    useOrthoView();
    // A white directional light and a white diffuse material with no ambient
    // part: a vertex is lit exactly when its normal points to the light.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_COLOR_MATERIAL);
    const float black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
            SCOPED_TRACE("light along axis " + std::to_string(axis) + (sign > 0 ? " +" : " -"));
            float direction[4] = {0, 0, 0, 0};
            direction[axis] = sign;
            glLightfv(GL_LIGHT0, GL_POSITION, direction);
            int lit = 0;
            for (const Vertex& v : allVertices(feedbackTriangles([] { drawCube(1.0f, 0, 0, 0, -1); }))) {
                const bool onLitSide = std::fabs((&v.x)[axis] - sign) < 1e-3f;
                if (v.r > 0.99f) {
                    ++lit;
                    EXPECT_TRUE(onLitSide);
                } else {
                    EXPECT_LT(v.r, 0.01f);
                }
            }
            EXPECT_EQ(lit, 6);  // one face: two triangles
        }
    }
    glPopAttrib();
}

TEST(DrawCube, EachFaceShowsTheWholeTextureUnmirroredFromOutside)
{
    useOrthoView();
    const float s = 0.75f;
    const std::vector<Triangle> triangles = feedbackTriangles([&] { drawCube(s, 0, 0, 0, -1); });
    ASSERT_EQ(triangles.size(), 12u);
    for (const Triangle& t : triangles) {
        for (const Vertex& v : t) {
            EXPECT_TRUE(v.s == 0.0f || v.s == 1.0f) << v.s;
            EXPECT_TRUE(v.t == 0.0f || v.t == 1.0f) << v.t;
        }
        // Solve dP/ds and dP/dt over the triangle: both must be one edge long,
        // and (dP/ds x dP/dt) must point out of the cube.
        const float e1[3] = {t[1].x - t[0].x, t[1].y - t[0].y, t[1].z - t[0].z};
        const float e2[3] = {t[2].x - t[0].x, t[2].y - t[0].y, t[2].z - t[0].z};
        const float s1 = t[1].s - t[0].s, t1 = t[1].t - t[0].t;
        const float s2 = t[2].s - t[0].s, t2 = t[2].t - t[0].t;
        const float det = s1 * t2 - s2 * t1;
        ASSERT_NE(det, 0.0f);
        float ds[3], dt[3];
        for (int k = 0; k < 3; ++k) {
            ds[k] = (e1[k] * t2 - e2[k] * t1) / det;
            dt[k] = (e2[k] * s1 - e1[k] * s2) / det;
        }
        EXPECT_NEAR(std::sqrt(ds[0] * ds[0] + ds[1] * ds[1] + ds[2] * ds[2]), 2 * s, 1e-3);
        EXPECT_NEAR(std::sqrt(dt[0] * dt[0] + dt[1] * dt[1] + dt[2] * dt[2]), 2 * s, 1e-3);
        const float n[3] = {ds[1] * dt[2] - ds[2] * dt[1], ds[2] * dt[0] - ds[0] * dt[2],
                            ds[0] * dt[1] - ds[1] * dt[0]};
        const float centroid[3] = {(t[0].x + t[1].x + t[2].x) / 3, (t[0].y + t[1].y + t[2].y) / 3,
                                   (t[0].z + t[1].z + t[2].z) / 3};
        EXPECT_GT(n[0] * centroid[0] + n[1] * centroid[1] + n[2] * centroid[2], 0.0f);
    }
}

TEST(DrawDisc, SixteenSegmentsGiveTheCentreAndSeventeenRimPointsClosingTheCircle)
{
    useOrthoView();
    const float radius = 2.0f;
    EXPECT_EQ(submittedVertices([&] { drawDisc(radius, 16); }), 18u);
    const std::vector<Triangle> fan = feedbackTriangles([&] { drawDisc(radius, 16); });
    ASSERT_EQ(fan.size(), 16u);
    for (size_t k = 0; k < fan.size(); ++k) {
        SCOPED_TRACE("triangle " + std::to_string(k));
        EXPECT_NEAR(fan[k][0].x, 0.0f, 1e-3);
        EXPECT_NEAR(fan[k][0].y, 0.0f, 1e-3);
        // Rim points k and k + 1, counter-clockwise from angle 0 in even steps.
        for (int j = 1; j <= 2; ++j) {
            const double angle = 6.2831853 / 16 * (k + j - 1);
            EXPECT_NEAR(fan[k][j].x, radius * std::cos(angle), 1e-3);
            EXPECT_NEAR(fan[k][j].y, radius * std::sin(angle), 1e-3);
        }
    }
    EXPECT_NEAR(fan.back()[2].x, fan.front()[1].x, 1e-3);
    EXPECT_NEAR(fan.back()[2].y, fan.front()[1].y, 1e-3);
}

TEST(DrawDisc, NoOrNegativeSegmentsDrawNothingAndRaiseNoError)
{
    useOrthoView();
    for (int segments : {0, -1, -16}) {
        SCOPED_TRACE(segments);
        EXPECT_TRUE(feedbackTriangles([&] { drawDisc(1.0f, segments); }).empty());
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST(DrawQuad, GrowsFromItsCornerWithTheTextureRectangle)
{
    useOrthoView();
    const std::vector<Vertex> v =
        allVertices(feedbackTriangles([] { drawQuad(-1.0f, 0.5f, 0.25f, 2.0f, 1.5f, 0.25f, 0.5f, 0.5f, 2.0f); }));
    ASSERT_EQ(v.size(), 6u);
    for (const Vertex& p : v) {
        const bool right = std::fabs(p.x - 1.0f) < 1e-3f, top = std::fabs(p.y - 2.0f) < 1e-3f;
        EXPECT_TRUE(right || std::fabs(p.x + 1.0f) < 1e-3f) << p.x;
        EXPECT_TRUE(top || std::fabs(p.y - 0.5f) < 1e-3f) << p.y;
        EXPECT_NEAR(p.z, 0.25f, 1e-3);
        EXPECT_FLOAT_EQ(p.s, right ? 0.75f : 0.25f);
        EXPECT_FLOAT_EQ(p.t, top ? 2.5f : 0.5f);
    }
}

TEST(DrawQuad, PaintsThroughDepthCullingAndLightingAndRestoresThem)
{
    useOrthoView();
    glClearColor(0, 0, 0, 0);
    glClearDepth(0.0);  // everything fails GL_LESS against this
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_LIGHTING);  // no light on: a lit quad would be black
    glColor4f(1.0f, 0.5f, 0.25f, 1.0f);
    glNormal3f(0.0f, 1.0f, 0.0f);
    glTexCoord2f(0.125f, 0.25f);

    drawQuad(-1.0f, -1.0f, 0.0f, 2.0f, 2.0f, 0, 0, 1, 1);

    const Rgba centre = readPixel(400, 300);
    EXPECT_EQ(centre.r, 255);
    EXPECT_NEAR(centre.g, 128, 1);
    EXPECT_NEAR(centre.b, 64, 1);
    float depth = 1.0f;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 0.0f) << "the quad must not write depth";

    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_TRUE(mask);
    float normal[4], tex[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tex);
    EXPECT_EQ(normal[1], 1.0f);
    EXPECT_EQ(tex[0], 0.125f);
    EXPECT_EQ(tex[1], 0.25f);

    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

TEST(MultShadowMatrix, MapsPointsOntoThePlaneAlongRaysFromTheLight)
{
    useOrthoView();
    struct Case {
        const char* name;
        float light[3], point[3], normal[3];
        float before[3];  // a translation already on the modelview, which must stay outside
    } cases[] = {
        {"the landscape's floor", {0, 19, -48}, {0, -0.148f, 0}, {0, -1, 0}, {0, 0, 0}},
        {"a tilted plane with a long normal", {1, 6, -1}, {0.5f, -0.5f, 0.25f}, {0.3f, -1.8f, 0.6f}, {0, 0, 0}},
        {"the floor under a translation", {0, 19, -48}, {0, -0.148f, 0}, {0, -1, 0}, {0.25f, 1.0f, -0.5f}},
    };
    const float points[3][3] = {{0.5f, 0.2f, -1.0f}, {-0.3f, 0.05f, -0.8f}, {0.1f, 1.0f, -2.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Only points with a positive w survive clipping, so every fed-back
        // vertex also proves that.
        const std::vector<Vertex> v = allVertices(feedbackTriangles([&] {
            glTranslatef(c.before[0], c.before[1], c.before[2]);
            multShadowMatrix(c.light, c.point, c.normal);
            glBegin(GL_TRIANGLES);
            for (const auto& p : points)
                glVertex3fv(p);
            glEnd();
        }));
        glLoadIdentity();
        ASSERT_EQ(v.size(), 3u);
        const float* N = c.normal;
        const float* L = c.light;
        const double onPlane = double(N[0]) * c.point[0] + N[1] * c.point[1] + N[2] * c.point[2];
        for (int i = 0; i < 3; ++i) {
            const double img[3] = {v[i].x - c.before[0], v[i].y - c.before[1], v[i].z - c.before[2]};
            EXPECT_NEAR(N[0] * img[0] + N[1] * img[1] + N[2] * img[2], onPlane, 2e-3);
            // Light, point and image on one line: (X - L) x (X' - L) = 0.
            const double a[3] = {points[i][0] - L[0], points[i][1] - L[1], points[i][2] - L[2]};
            const double b[3] = {img[0] - L[0], img[1] - L[1], img[2] - L[2]};
            const double len = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]) *
                               std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
            EXPECT_NEAR((a[1] * b[2] - a[2] * b[1]) / len, 0.0, 1e-4);
            EXPECT_NEAR((a[2] * b[0] - a[0] * b[2]) / len, 0.0, 1e-4);
            EXPECT_NEAR((a[0] * b[1] - a[1] * b[0]) / len, 0.0, 1e-4);
        }
    }
}

TEST(DrawPetals, SixPetalsReachTheirLengthEverySixtyDegreesFromTheOffset)
{
    useOrthoView();
    const GroundItem item = sampleItem();
    const float size = 2.0f, offset = 25.0f;
    const std::vector<Triangle> fans = feedbackTriangles([&] { item.drawPetals(offset, size, false); });
    ASSERT_EQ(fans.size(), 6u * 16u);
    for (int k = 0; k < 6; ++k) {
        SCOPED_TRACE("petal " + std::to_string(k));
        double farthest = 0, angle = 0, widest = 0;
        const double dir = (90.0 + 60 * k + offset) * 3.14159265358979 / 180.0;
        for (int i = 0; i < 16; ++i) {
            for (const Vertex& v : fans[16 * k + i]) {
                const double r = std::hypot(v.x, v.y);
                if (r > farthest) {
                    farthest = r;
                    angle = std::atan2(v.y, v.x);
                }
                widest = std::max(widest, std::fabs(v.x * std::sin(dir) - v.y * std::cos(dir)));
            }
        }
        EXPECT_NEAR(farthest, 0.25 * size, 1e-3);
        EXPECT_NEAR(std::remainder(angle - dir, 2 * 3.14159265358979), 0.0, 1e-3);
        EXPECT_NEAR(widest, 0.075 * size, 2e-3);
        // The darker middle: the centre of each fan carries 0.75 of the petal colour.
        EXPECT_NEAR(fans[16 * k][0].r, 0.75f * 0.64f, 1e-3);
        EXPECT_NEAR(fans[16 * k][1].r, 0.64f, 1e-3);
    }
}

namespace {

// The butterfly's origin from its body triangle: the mean of the two rear
// vertices and the front one.
Vertex butterflyOrigin(const Butterfly& b, float t, float rx, float ry, float rz)
{
    const std::vector<Triangle> tris =
        feedbackTriangles([&] { b.draw(t, 0.5f, -0.25f, 0.75f, rx, ry, rz, 1.0f, false); });
    EXPECT_EQ(tris.size(), 5u);
    const Triangle& body = tris.back();
    Vertex o = body[2];
    o.x = (body[0].x + body[1].x) / 4 + body[2].x / 2;
    o.y = (body[0].y + body[1].y) / 4 + body[2].y / 2;
    o.z = (body[0].z + body[1].z) / 4 + body[2].z / 2;
    return o;
}

} // namespace

TEST(Butterfly, PhaseOneHalfHoversWhileOthersCircleInOppositeSenses)
{
    useOrthoView();
    const float rx = 1.0f, ry = 0.5f, rz = 2.0f;
    const Butterfly hover{0.5f};
    for (float t : {0.0f, 1.3f, 7.0f}) {
        const Vertex o = butterflyOrigin(hover, t, rx, ry, rz);
        EXPECT_NEAR(o.x, 0.5f, 1e-3);
        EXPECT_NEAR(o.y, -0.25f + ry * 1.05f, 1e-3);
        EXPECT_NEAR(o.z, 0.75f + rz * 1.125f, 1e-3);
    }
    // Heading angle on the ellipse round the centre: (phase - 0.5) x t x 3.14159265.
    for (float phase : {0.1f, 0.3f, 0.7f, 0.9f}) {
        SCOPED_TRACE(phase);
        const Butterfly b{phase};
        const float g = phase * 0.25f + 1.0f, t = 0.5f;
        const Vertex o = butterflyOrigin(b, t, rx, ry, rz);
        const double theta = std::atan2((o.x - 0.5) / (rx * g), (o.z - 0.75) / (rz * g));
        EXPECT_NEAR(theta, (phase - 0.5) * t * 3.14159265, 2e-3);
    }
}

namespace {

struct Coverage {
    int coloured;  // pixels whose colour changed from the black clear
    int depthWritten;
};

Coverage drawButterflyCoverage(float alpha)
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glRotatef(40.0f, 1.0f, 0.3f, 0.0f);  // so that no wing is seen edge-on
    glScalef(100.0f, 100.0f, 100.0f);
    const Butterfly b{0.5f};
    b.draw(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, alpha, false);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    std::vector<unsigned char> rgba(800 * 600 * 4);
    std::vector<float> depth(800 * 600);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    Coverage c{0, 0};
    for (int i = 0; i < 800 * 600; ++i) {
        c.coloured += rgba[4 * i] != 0 || rgba[4 * i + 1] != 0 || rgba[4 * i + 2] != 0;
        c.depthWritten += depth[i] < 1.0f;
    }
    return c;
}

} // namespace

TEST(Butterfly, AlphaZeroIsInvisibleUnderBlendingButStillWritesDepth)
{
    useOrthoView();
    const Coverage opaque = drawButterflyCoverage(1.0f);
    const Coverage clear = drawButterflyCoverage(0.0f);
    EXPECT_GT(opaque.coloured, 1000);
    EXPECT_EQ(clear.coloured, 0);
    EXPECT_EQ(clear.depthWritten, opaque.coloured);
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
