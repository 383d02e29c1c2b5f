// The cube figure against the real GL: cube counts from the pipeline
// statistics, cube placement from feedback mode under an orthographic view.
#include "support/GlTestWindow.h"

#include "scenes/landscape/Figure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

const float kHalfView = 3.0f;
const double kDegrees = 180.0 / 3.14159265358979;
const int kCubes = 39;
// Cube indices in drawing order.
const int kSpine = 0, kHead = 5, kHipBar = 6, kThighPlusX = 8, kThighMinusX = 16, kShoulderBar = 24;

struct Point {
    double x, y, z;
};

// An orthographic box of -kHalfView..kHalfView on every axis with an identity
// modelview and no culling, so feedback shows every cube face and its window
// coordinates map straight back to the caller's coordinates.
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
}

std::vector<Point> feedbackPoints(const std::function<void()>& draw)
{
    std::vector<Point> points;
    for (const FeedbackVertex& v : captureFeedback(draw))
        points.push_back({(v.x / 400.0 - 1.0) * kHalfView, (v.y / 300.0 - 1.0) * kHalfView,
                          -(v.z * 2.0 - 1.0) * kHalfView});
    return points;
}

// A closed cube comes back as 12 triangles (36 vertices) whose mean is its centre.
std::vector<std::vector<Point>> cubesOf(const std::vector<Point>& points)
{
    std::vector<std::vector<Point>> cubes;
    for (size_t i = 0; i + 36 <= points.size(); i += 36)
        cubes.emplace_back(points.begin() + i, points.begin() + i + 36);
    return cubes;
}

Point centre(const std::vector<Point>& cube)
{
    Point c{0, 0, 0};
    for (const Point& p : cube) {
        c.x += p.x / cube.size();
        c.y += p.y / cube.size();
        c.z += p.z / cube.size();
    }
    return c;
}

std::vector<Point> cubeCentres(const std::function<void()>& draw)
{
    std::vector<Point> centres;
    for (const auto& cube : cubesOf(feedbackPoints(draw)))
        centres.push_back(centre(cube));
    return centres;
}

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

// The angle of b - a from the caller's +y axis toward +x, in degrees.
double angleFromUp(const Point& a, const Point& b)
{
    return std::atan2(b.x - a.x, b.y - a.y) * kDegrees;
}

double distance(const Point& a, const Point& b)
{
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z));
}

} // namespace

TEST(Figure, DrawsThirtyNineClosedCubesOfFixedSizesInEveryPoseAndPass)
{
    useOrthoView();
    const Figure figure;
    for (float blend : {-1.0f, -0.4f, 0.0f, 0.6f, 1.0f}) {
        for (float phase : {0.0f, 2.5f, 40.0f}) {
            for (bool shadowPass : {false, true}) {
                SCOPED_TRACE("blend " + std::to_string(blend) + " phase " + std::to_string(phase) +
                             (shadowPass ? " shadow" : " lit"));
                auto draw = [&] { figure.draw(phase, 1.0f, blend, shadowPass); };
                EXPECT_EQ(submittedVertices(draw), kCubes * 24u);
                const auto cubes = cubesOf(feedbackPoints(draw));
                ASSERT_EQ(cubes.size(), static_cast<size_t>(kCubes));
                // Half-edge from the space diagonal: 0.09 for the head, 0.056 for the limbs.
                for (int k = 0; k < kCubes; ++k) {
                    double diagonal = 0;
                    for (const Point& a : cubes[k])
                        for (const Point& b : cubes[k])
                            diagonal = std::max(diagonal, distance(a, b));
                    EXPECT_NEAR(diagonal / (2 * std::sqrt(3.0)), k == kHead ? 0.09 : 0.056, 1e-3) << k;
                }
            }
        }
    }
}

TEST(Figure, ColoursEachPoseAndBlendsLinearlyButLeavesTheShadowColourAlone)
{
    useOrthoView();
    const Figure figure;
    struct Case {
        float blend;
        float r, g, b;
    } cases[] = {{-1.0f, 0.3f, 0.0f, 0.0f},
                 {-0.5f, 0.2f, 0.05f, 0.15f},
                 {0.0f, 0.1f, 0.1f, 0.3f},
                 {0.5f, 0.15f, 0.5f, 0.3f},
                 {1.0f, 0.2f, 0.9f, 0.3f}};
    const std::vector<float> shadow = {0.05f, 0.05f, 0.05f, 0.5f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blend);
        glColor4fv(shadow.data());
        figure.draw(1.0f, 0.1f, c.blend, false);
        const std::vector<float> lit = currentColour();
        EXPECT_NEAR(lit[0], c.r, 1e-6);
        EXPECT_NEAR(lit[1], c.g, 1e-6);
        EXPECT_NEAR(lit[2], c.b, 1e-6);
        EXPECT_EQ(lit[3], 1.0f);

        glColor4fv(shadow.data());
        figure.draw(1.0f, 0.1f, c.blend, true);
        EXPECT_EQ(currentColour(), shadow);
    }
}

TEST(Figure, ShadowPassDrawsTheSameCubesInTheSamePlaces)
{
    useOrthoView();
    const Figure figure;
    for (float blend : {-1.0f, 0.3f, 1.0f}) {
        SCOPED_TRACE(blend);
        const std::vector<Point> lit = feedbackPoints([&] { figure.draw(4.0f, 1.0f, blend, false); });
        const std::vector<Point> shadow = feedbackPoints([&] { figure.draw(4.0f, 1.0f, blend, true); });
        ASSERT_EQ(lit.size(), shadow.size());
        for (size_t i = 0; i < lit.size(); ++i)
            EXPECT_LT(distance(lit[i], shadow[i]), 1e-6) << i;
    }
}

TEST(Figure, LeavesTheModelviewMatrixAndStackAsFound)
{
    useOrthoView();
    const Figure figure;
    glTranslatef(0.0f, -0.1425f, -0.85f);
    glRotatef(12.0f, 0.2f, 1.0f, 0.1f);
    glPushMatrix();
    const std::vector<float> before = currentMatrices();
    const int depth = modelviewDepth();
    for (float blend : {-1.0f, 0.0f, 0.7f, 1.0f}) {
        for (bool shadowPass : {false, true}) {
            figure.draw(3.0f, 0.1f, blend, shadowPass);
            EXPECT_EQ(currentMatrices(), before);
            EXPECT_EQ(modelviewDepth(), depth);
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }
    }
    glPopMatrix();
    glLoadIdentity();
}

TEST(Figure, BounceLiftsTheWholeFigureInTheCallersUnitsOnlyOnTheFlowerSide)
{
    useOrthoView();
    const Figure figure;
    // With scale 0 every cube collapses onto the point the bounce moved the
    // figure to, so the lift shows undisturbed by the pose.
    struct Case {
        float blend;
        double rampPosition;  // q x 0.6366197730950255
        double lift;
    } cases[] = {{1.0f, 0.0, 0.0},  {1.0f, 1.0, 0.1},   {1.0f, 0.5, 0.075}, {1.0f, 2.0, 0.0},
                 {0.5f, 1.0, 0.025}, {0.0f, 1.0, 0.0},  {-0.5f, 1.0, 0.0},  {-1.0f, 1.0, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("blend " + std::to_string(c.blend) + " at " + std::to_string(c.rampPosition));
        const float phase = static_cast<float>(c.rampPosition / 0.6366197730950255 + 0.314159265);
        const std::vector<Point> points = feedbackPoints([&] { figure.draw(phase, 0.0f, c.blend, false); });
        ASSERT_EQ(points.size(), kCubes * 36u);
        for (const Point& p : points) {
            EXPECT_NEAR(p.x, 0.0, 1e-4);
            EXPECT_NEAR(p.y, c.lift, 1e-4);
            EXPECT_NEAR(p.z, 0.0, 1e-4);
        }
    }
}

TEST(Figure, SpineHeadAndShouldersFollowThePoseTorsoPitchAndCurl)
{
    useOrthoView();
    const Figure figure;
    // At phase 0 the twists vanish, so spine, head and shoulder bar lie in
    // the view plane: the torso pitch tilts them toward +x; at blend -1 the spine
    // group turns by -20 degrees and each cube by -18 cos(i x 3.14159265 / 4).
    struct Case {
        float blend;
        double hipHeight;
        double spineAngle[5];  // cube i's angle about the hip, i = 1..4
        double pitch;
    } cases[] = {
        {0.0f, 1.0, {0, -3, -3, -3, -3}, -3},
        // q is negative at phase 0, so the bounce term is below zero: the
        // stride pose sits 0.1 x (1 - 1.2^2) lower.
        {1.0f, 1.0 + 0.1 * (1.0 - 1.2 * 1.2), {0, 4, 4, 4, 4}, 4},
        {-1.0f, 1.0, {0, 50 - 20 - 18 * std::cos(3.14159265 / 4), 30, 50 - 20 - 18 * std::cos(3 * 3.14159265 / 4), 48},
         50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blend);
        const std::vector<Point> cubes = cubeCentres([&] { figure.draw(0.0f, 1.0f, c.blend, false); });
        ASSERT_EQ(cubes.size(), static_cast<size_t>(kCubes));
        const Point hip = cubes[kSpine];
        EXPECT_NEAR(hip.x, 0.0, 1e-4);
        EXPECT_NEAR(hip.y, c.hipHeight, 1e-4);
        for (int i = 1; i < 5; ++i) {
            EXPECT_NEAR(angleFromUp(hip, cubes[kSpine + i]), c.spineAngle[i], 0.05) << "spine cube " << i;
            EXPECT_NEAR(distance(hip, cubes[kSpine + i]), 0.2 * i, 1e-3) << "spine cube " << i;
            EXPECT_NEAR(cubes[kSpine + i].z, 0.0, 1e-3);
        }
        EXPECT_NEAR(angleFromUp(hip, cubes[kHead]), c.pitch, 0.05);
        EXPECT_NEAR(distance(hip, cubes[kHead]), 1.02, 1e-3);
        // The shoulder bar's first cube: 0.75 up the pitched torso, 0.2 toward the eye.
        const Point shoulder = cubes[kShoulderBar];
        EXPECT_NEAR(angleFromUp(hip, shoulder), c.pitch, 0.05);
        EXPECT_NEAR(std::hypot(shoulder.x - hip.x, shoulder.y - hip.y), 0.75, 1e-3);
        EXPECT_NEAR(shoulder.z, 0.2, 1e-3);
        // The hip bar does not follow the pitch: it runs across the view, away from the eye.
        EXPECT_NEAR(cubes[kHipBar].z, 0.125, 1e-3);
        EXPECT_NEAR(cubes[kHipBar + 1].z, 0.0, 1e-3);
        EXPECT_NEAR(cubes[kHipBar].y, c.hipHeight, 1e-3);
    }
}

TEST(Figure, LegsSwingHalfACycleApartBehindThePhase)
{
    useOrthoView();
    const Figure figure;
    // At phase 0 and blend 0 the +x hip stands at 20 sin(-0.314159265), about
    // -6.18 degrees, and the -x hip at its opposite. The figure's +x side lies
    // away from the eye (caller's -z).
    const double hip = 20 * std::sin(-0.314159265);
    const std::vector<Point> cubes = cubeCentres([&] { figure.draw(0.0f, 1.0f, 0.0f, false); });
    ASSERT_EQ(cubes.size(), static_cast<size_t>(kCubes));
    struct Leg {
        int firstCube;
        double side, hipAngle;
    } legs[] = {{kThighPlusX, -0.125, hip}, {kThighMinusX, 0.125, -hip}};
    for (const Leg& leg : legs) {
        SCOPED_TRACE(leg.side);
        const Point top = cubes[leg.firstCube], bottom = cubes[leg.firstCube + 2];
        EXPECT_NEAR(top.z, leg.side, 1e-3);
        EXPECT_NEAR(top.y, 1.0, 1e-3);
        // The thigh hangs down (180 degrees from up), turned by the hip angle.
        EXPECT_NEAR(std::remainder(angleFromUp(top, bottom) - (180.0 + leg.hipAngle), 360.0), 0.0, 0.05);
    }
}

TEST(Figure, LimbsPlaceCubesFromTheStartStoppingShortOfTheEnd)
{
    useOrthoView();
    const Figure figure;
    struct Case {
        float x0, y0, x1, y1;
        int cubes;
    } cases[] = {{0, 0, 0, 1, 5},         {-0.125f, 0, 0.125f, 0, 2}, {0, 0, 0, -0.5f, 3},
                 {0, 0, 0, 0.15f, 2},     {-0.2f, 0, 0.2f, 0, 3},      {0, 0, 0, -0.375f, 3},
                 {0.5f, 0.5f, -0.5f, -0.5f, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x0) + "," + std::to_string(c.y0) + " to " + std::to_string(c.x1) + "," +
                     std::to_string(c.y1));
        auto draw = [&] { figure.drawLimb(c.x0, c.y0, c.x1, c.y1, 0.0f); };
        EXPECT_EQ(submittedVertices(draw), 24u * c.cubes);
        const std::vector<Point> centres = cubeCentres(draw);
        ASSERT_EQ(centres.size(), static_cast<size_t>(c.cubes));
        for (int i = 0; i < c.cubes; ++i) {
            EXPECT_NEAR(centres[i].x, c.x0 + (c.x1 - c.x0) * i / c.cubes, 1e-4);
            EXPECT_NEAR(centres[i].y, c.y0 + (c.y1 - c.y0) * i / c.cubes, 1e-4);
            EXPECT_NEAR(centres[i].z, 0.0, 1e-4);
        }
    }
}

TEST(Figure, ZeroLengthLimbDrawsOneCubeAtItsStartEvenWhenBent)
{
    useOrthoView();
    const Figure figure;
    auto draw = [&] { figure.drawLimb(0.0f, 0.5f, 0.0f, 0.5f, 1.0f); };
    EXPECT_EQ(submittedVertices(draw), 24u);
    const std::vector<Point> centres = cubeCentres(draw);
    ASSERT_EQ(centres.size(), 1u);
    // Turned by -20 for the bend and -18 for the first cube: 38 degrees about x.
    const double turn = -38.0 / kDegrees;
    EXPECT_NEAR(centres[0].x, 0.0, 1e-4);
    EXPECT_NEAR(centres[0].y, 0.5 * std::cos(turn), 1e-4);
    EXPECT_NEAR(centres[0].z, 0.5 * std::sin(turn), 1e-4);
}
