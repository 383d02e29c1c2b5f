// The landscape on real pixels: the sky follows input values 2 and 0 through
// the per-frame smoothing (including its long hold after a saturated input
// drops), and the first frame only compiles clouds and flower heads.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <memory>
#include <tuple>
#include <vector>

#include "app/AppWindow.h"
#include "control/ControlState.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

using Colour = std::tuple<int, int, int>;

// The show window's projection, lights and switches.
void useShowGlState()
{
    AppWindow::reshape(800, 600);
    AppWindow::initGL();
}

void setInputs(float input0, float input2)
{
    inputValue[0].store(input0);
    inputValue[2].store(input2);
}

// One frame as the timeline draws it, inside a push and pop of all attributes.
void frame(LandscapeScene& scene, float time = 0.0f)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    scene.render(time, 0.0f);
    glPopAttrib();
}

// The attributes the scene's steps set, as the caller sees them.
std::vector<float> stateTheStepsTouch()
{
    std::vector<float> state;
    for (GLenum cap : {GL_BLEND, GL_SCISSOR_TEST, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING})
        state.push_back(glIsEnabled(cap));
    for (GLenum name : {GL_SCISSOR_BOX, GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE, GL_DEPTH_WRITEMASK, GL_SHADE_MODEL,
                        GL_BLEND_SRC, GL_BLEND_DST, GL_TEXTURE_BINDING_2D}) {
        float v[4] = {0, 0, 0, 0};
        glGetFloatv(name, v);
        state.insert(state.end(), v, v + 4);
    }
    return state;
}

// Frames that only advance the control, drawn into a few pixels.
void runFrames(LandscapeScene& scene, int n)
{
    glViewport(0, 0, 8, 8);
    for (int i = 0; i < n; ++i)
        frame(scene);
    glViewport(0, 0, 800, 600);
}

int countColour(int x, int y, int w, int h, Colour c)
{
    std::vector<unsigned char> bytes(w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    int n = 0;
    for (int i = 0; i < w * h; ++i)
        n += Colour(bytes[4 * i], bytes[4 * i + 1], bytes[4 * i + 2]) == c;
    return n;
}

// The upper band, where the sky shows between the clouds and around the sun.
int inUpperBand(Colour c) { return countColour(0, 420, 800, 180, c); }

// A colour as the renderer rounds it to bytes.
Colour bytesOf(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const Rgba p = readPixel(0, 0);
    return {p.r, p.g, p.b};
}

class LandscapeRender : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestWindow();
        useShowGlState();
        grey = bytesOf(0.7f, 0.7f, 0.8f);
        lightBlue = bytesOf(0.8f, 0.85f, 1.0f);
        yellow = bytesOf(1.0f, 0.98f, 0.2f);
    }
    // A new scene starts at rest, with no cloud compiled.
    void SetUp() override
    {
        setInputs(0.0f, 0.0f);
        scene = std::make_unique<LandscapeScene>();
    }
    void TearDown() override { setInputs(0.0f, 0.0f); }

    // The sky shows in many pixels of exactly one of the three looks' colours.
    static void expectSky(Colour sky)
    {
        for (Colour c : {grey, lightBlue, yellow}) {
            if (c == sky)
                EXPECT_GT(inUpperBand(c), 800 * 180 / 50);
            else
                EXPECT_EQ(inUpperBand(c), 0);
        }
    }

    std::unique_ptr<LandscapeScene> scene;
    static Colour grey, lightBlue, yellow;
};
Colour LandscapeRender::grey, LandscapeRender::lightBlue, LandscapeRender::yellow;

TEST_F(LandscapeRender, TheSkyFollowsTheInputsAndRenderLeavesTheGlAsFound)
{
    const int modelview = modelviewDepth(), projection = projectionDepth();
    const struct {
        const char* look;
        float input0, input2;
        Colour sky;
    } cases[] = {{"no input", 0, 0, lightBlue}, {"input 2 at 1.0", 0, 1, yellow}, {"input 0 at 1.0", 1, 0, grey}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.look);
        scene = std::make_unique<LandscapeScene>();
        setInputs(c.input0, c.input2);
        runFrames(*scene, 20);
        glTranslatef(1.0f, 2.0f, 3.0f);
        glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
        glScissor(1, 2, 3, 4);
        const std::vector<float> before = stateTheStepsTouch();
        scene->render(3.5f, 0.0f);
        EXPECT_EQ(stateTheStepsTouch(), before);
        expectSky(c.sky);
        // The modelview comes back as the identity, the stacks as deep as before.
        const std::vector<float> m = currentMatrices();
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "element " << i;
        EXPECT_EQ(modelviewDepth(), modelview);
        EXPECT_EQ(projectionDepth(), projection);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(LandscapeRender, ASaturatedInputTwoHoldsTheYellowSkyFor198FramesAfterItDrops)
{
    setInputs(0.0f, 1.0f);
    runFrames(*scene, 800);
    setInputs(0.0f, 0.0f);
    runFrames(*scene, 197);
    frame(*scene);
    SCOPED_TRACE("the 198th frame after the drop");
    expectSky(yellow);
    frame(*scene);
    EXPECT_EQ(inUpperBand(yellow), 0) << "the 199th frame";
}

TEST_F(LandscapeRender, OnTheFirstFrameNoCloudAndNoFlowerHeadIsDrawn)
{
    // A new scene, as at start-up, in the house look (clouds against plain
    // sky) and then in the flower look.
    LandscapeScene& houses = *scene;
    // The band left and right of the sun's reach, where the clouds hang.
    auto skyBesideTheSun = [&] {
        return countColour(0, 440, 170, 160, lightBlue) + countColour(630, 440, 170, 160, lightBlue);
    };
    frame(houses);
    EXPECT_EQ(skyBesideTheSun(), 2 * 170 * 160);
    frame(houses);
    EXPECT_LT(skyBesideTheSun(), 2 * 170 * 160 * 9 / 10);

    setInputs(0.0f, 1.0f);
    LandscapeScene flowers;
    LandscapeScene::settleControl(0.0f, 1.0f);
    const Colour flowerCentre = bytesOf(0.95f, 0.7f, 0.0f);
    frame(flowers);
    EXPECT_EQ(countColour(0, 0, 800, 600, flowerCentre), 0);
    frame(flowers);
    EXPECT_GT(countColour(0, 0, 800, 600, flowerCentre), 100);
}

}  // namespace
