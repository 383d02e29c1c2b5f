// The landscape on real pixels: the sky follows input values 2 and 0 through
// the per-frame smoothing (including its long hold after a saturated input
// drops), the first frame only compiles clouds and flower heads, and the
// house look alone has red roofs.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <GL/glu.h>

#include <map>
#include <tuple>
#include <vector>

#include "control/ControlState.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// The GL state the show's window starts with: its projection, lights and
// switches.
void useShowGlState()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, 800.0 / 600.0, 0.01, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDepthRange(0.01, 100.0);
    const GLfloat light0Position[4] = {-3.0f, 7.0f, -7.0f, 0.0f};
    const GLfloat light0Diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat light1Position[4] = {0.5f, -0.5f, 2.0f, 0.0f};
    const GLfloat light1Diffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light0Position);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light0Diffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, light1Position);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);
    const GLenum on[] = {GL_LIGHT0, GL_LIGHT1, GL_DEPTH_TEST, GL_BLEND, GL_LINE_SMOOTH,
                         GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_CULL_FACE};
    for (GLenum cap : on)
        glEnable(cap);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_FASTEST);
    glShadeModel(GL_SMOOTH);
}

void setInputs(float input0, float input2)
{
    inputValue[0].store(input0);
    inputValue[2].store(input2);
}

// One frame as the timeline draws it: inside a push and pop of all attributes.
void frame(LandscapeScene& scene, float time = 0.0f)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    scene.render(time, 0.0f);
    glPopAttrib();
}

// Frames that only advance the control: drawn into a few pixels.
void runFrames(LandscapeScene& scene, int n)
{
    glViewport(0, 0, 8, 8);
    for (int i = 0; i < n; ++i)
        frame(scene);
    glViewport(0, 0, 800, 600);
}

using Colour = std::tuple<int, int, int>;

std::vector<Colour> readRegion(int x, int y, int w, int h)
{
    std::vector<unsigned char> bytes(w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<Colour> out;
    for (int i = 0; i < w * h; ++i)
        out.emplace_back(bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2]);
    return out;
}

// The upper part of the picture, where the sky shows between the clouds'
// squares and around the sun.
std::vector<Colour> upperBand()
{
    return readRegion(0, 420, 800, 180);
}

int countColour(const std::vector<Colour>& pixels, Colour c)
{
    int n = 0;
    for (const Colour& p : pixels)
        n += p == c;
    return n;
}

// The clear colour as bytes, as the renderer rounds it.
Colour bytesOf(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Rgba p = readPixel(0, 0);
    return {p.r, p.g, p.b};
}

// The sky shows in exactly one of the three looks' colours, and in many pixels.
void expectSky(const Colour& sky, const char* look)
{
    const std::vector<Colour> band = upperBand();
    const Colour looks[] = {bytesOf(0.7f, 0.7f, 0.8f), bytesOf(0.8f, 0.85f, 1.0f),
                            bytesOf(1.0f, 0.98f, 0.2f)};
    for (const Colour& c : looks) {
        if (c == sky)
            EXPECT_GT(countColour(band, c), static_cast<int>(band.size()) / 50) << look;
        else
            EXPECT_EQ(countColour(band, c), 0) << look;
    }
}

class LandscapeRender : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestWindow();
        useShowGlState();
        scene = new LandscapeScene();
    }
    static void TearDownTestSuite()
    {
        delete scene;
        scene = nullptr;
    }
    void SetUp() override
    {
        setInputs(0.0f, 0.0f);
        LandscapeScene::sMorphRise = 0.0f;
        LandscapeScene::sMorphFall = 0.0f;
    }
    void TearDown() override { setInputs(0.0f, 0.0f); }

    static LandscapeScene* scene;
};
LandscapeScene* LandscapeRender::scene = nullptr;

TEST_F(LandscapeRender, TheSkyFollowsTheInputs)
{
    const Colour lightBlue = bytesOf(0.8f, 0.85f, 1.0f);
    const Colour yellow = bytesOf(1.0f, 0.98f, 0.2f);
    const Colour grey = bytesOf(0.7f, 0.7f, 0.8f);
    const struct {
        const char* look;
        float input0, input2;
        Colour sky;
    } cases[] = {
        {"no input", 0.0f, 0.0f, lightBlue},
        {"input 2 at 1.0", 0.0f, 1.0f, yellow},
        {"input 0 at 1.0", 1.0f, 0.0f, grey},
    };
    for (const auto& c : cases) {
        LandscapeScene::sMorphRise = 0.0f;
        LandscapeScene::sMorphFall = 0.0f;
        setInputs(c.input0, c.input2);
        runFrames(*scene, 20);
        frame(*scene);
        expectSky(c.sky, c.look);
    }
}

TEST_F(LandscapeRender, ASaturatedInputTwoHoldsTheYellowSkyFor198FramesAfterItDrops)
{
    setInputs(0.0f, 1.0f);
    runFrames(*scene, 800);
    ASSERT_NEAR(LandscapeScene::sMorphRise, 20.0f, 1e-3f);

    const Colour yellow = bytesOf(1.0f, 0.98f, 0.2f);
    setInputs(0.0f, 0.0f);
    runFrames(*scene, 197);
    frame(*scene);  // the 198th frame after the drop
    EXPECT_EQ(LandscapeScene::morph(), 1.0f);
    expectSky(yellow, "the 198th frame");
    frame(*scene);  // the 199th
    EXPECT_LT(LandscapeScene::morph(), 1.0f);
    EXPECT_EQ(countColour(upperBand(), yellow), 0) << "the 199th frame";
}

TEST_F(LandscapeRender, OnTheFirstFrameNoCloudIsDrawn)
{
    // A new scene with the cloud lists not yet compiled, as at start-up.
    LandscapeScene fresh;
    for (GLuint& list : LandscapeScene::sCloudLists)
        list = 0;
    const Colour sky = bytesOf(0.8f, 0.85f, 1.0f);

    // The upper band left and right of the sun's reach, where the clouds hang.
    const auto band = [] {
        std::vector<Colour> left = readRegion(0, 440, 170, 160);
        const std::vector<Colour> right = readRegion(630, 440, 170, 160);
        left.insert(left.end(), right.begin(), right.end());
        return left;
    };
    frame(fresh);
    const std::vector<Colour> first = band();
    EXPECT_EQ(countColour(first, sky), static_cast<int>(first.size()));
    frame(fresh);
    const std::vector<Colour> second = band();
    EXPECT_LT(countColour(second, sky), static_cast<int>(second.size()) * 9 / 10);
}

TEST_F(LandscapeRender, OnTheFirstFrameNoFlowerHeadIsDrawn)
{
    setInputs(0.0f, 1.0f);
    runFrames(*scene, 20);
    ASSERT_EQ(LandscapeScene::morph(), 1.0f);

    LandscapeScene fresh;
    const Colour centre = bytesOf(0.95f, 0.7f, 0.0f);  // the middle of every flower head
    frame(fresh);
    EXPECT_EQ(countColour(readRegion(0, 0, 800, 600), centre), 0);
    frame(fresh);
    EXPECT_GT(countColour(readRegion(0, 0, 800, 600), centre), 100);
}

TEST_F(LandscapeRender, OnlyTheHouseLookHasRedRoofs)
{
    const Colour red{255, 0, 0};
    runFrames(*scene, 5);
    frame(*scene);
    EXPECT_GT(countColour(readRegion(0, 0, 800, 600), red), 500) << "houses";

    setInputs(1.0f, 0.0f);
    runFrames(*scene, 50);
    ASSERT_EQ(LandscapeScene::morph(), -1.0f);
    frame(*scene);
    EXPECT_EQ(countColour(readRegion(0, 0, 800, 600), red), 0) << "grey blocks";
}

TEST_F(LandscapeRender, RenderLeavesTheModelviewAtTheIdentityAndTheStacksAsTheyWere)
{
    const int modelview = modelviewDepth();
    const int projection = projectionDepth();
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1.0f, 2.0f, 3.0f);
    for (float morph : {-1.0f, 0.0f, 1.0f}) {
        LandscapeScene::sMorphRise = morph > 0 ? 20.0f : 0.0f;
        LandscapeScene::sMorphFall = morph < 0 ? -16.0f : 0.0f;
        frame(*scene, 3.5f);
        const std::vector<float> m = currentMatrices();
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "look " << morph << ", element " << i;
        EXPECT_EQ(modelviewDepth(), modelview);
        EXPECT_EQ(projectionDepth(), projection);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

}  // namespace
