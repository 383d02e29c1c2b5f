// The landscape on real pixels: the looks follow input values 2 and 0
// through the per-frame smoothing (including its long hold after a saturated
// input drops), the first frame only compiles clouds and flower heads, and a
// frame gives the caller its GL state back.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <tuple>
#include <vector>

#include "control/ControlState.h"
#include "frame/ShowGl.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

using Colour = std::tuple<int, int, int>;

void setInputs(float input0, float input2)
{
    inputValue[0].store(input0);
    inputValue[2].store(input2);
}

// The attributes the scene's steps set, as the caller sees them, and the
// depths of the matrix stacks.
std::vector<float> stateTheStepsTouch()
{
    std::vector<float> state;
    for (GLenum cap : {GL_BLEND, GL_SCISSOR_TEST, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING})
        state.push_back(glIsEnabled(cap));
    for (GLenum name : {GL_SCISSOR_BOX, GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE, GL_DEPTH_WRITEMASK, GL_SHADE_MODEL,
                        GL_BLEND_SRC, GL_BLEND_DST, GL_TEXTURE_BINDING_2D, GL_MODELVIEW_STACK_DEPTH,
                        GL_PROJECTION_STACK_DEPTH}) {
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
        scene.render(0.0f, 0.0f);
    glViewport(0, 0, 800, 600);
}

int countColour(int x, int y, int w, int h, Colour c)
{
    std::vector<unsigned char> rgb(w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int n = 0;
    for (int i = 0; i < w * h; ++i)
        n += Colour(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]) == c;
    return n;
}

Colour colourAt(int x, int y)
{
    const Rgba p = readPixel(x, y);
    return {p.r, p.g, p.b};
}

// The upper band, where the sky shows between the clouds and around the sun.
int skyPixels(Colour c) { return countColour(0, 420, 800, 180, c); }

// Whether the bands left and right of the sun's reach, where the clouds
// hang, show one flat colour.
bool flatBesideTheSun()
{
    const Colour c = colourAt(0, 440);
    return countColour(0, 440, 140, 160, c) + countColour(660, 440, 140, 160, c) == 2 * 140 * 160;
}

// A colour as the renderer rounds it to bytes.
Colour bytesOf(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return colourAt(0, 0);
}

// Each test starts on the show window's GL state with no input.
class LandscapeRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        setShowProjection(800, 600);
        setShowStartupState();
        setInputs(0.0f, 0.0f);
    }
    void TearDown() override { setInputs(0.0f, 0.0f); }
};

TEST_F(LandscapeRender, TheLooksFollowTheInputsTheFirstFrameOnlyCompilesAndFramesGiveTheGlStateBack)
{
    const std::vector<float> atRest = currentMatrices();  // modelview: the identity
    const Colour flowerCentre = bytesOf(0.95f, 0.7f, 0.0f);
    const struct {
        const char* look;
        float input0, input2;
        Colour sky;
    } cases[] = {{"no input", 0, 0, bytesOf(0.8f, 0.85f, 1.0f)},
                 {"input 2 at 1.0", 0, 1, bytesOf(1.0f, 0.98f, 0.2f)},
                 {"input 0 at 1.0", 1, 0, bytesOf(0.7f, 0.7f, 0.8f)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.look);
        setInputs(c.input0, c.input2);
        // A new scene starts at rest with nothing compiled, as at start-up.
        LandscapeScene scene;
        scene.render(0.0f, 0.0f);
        EXPECT_TRUE(flatBesideTheSun()) << "no cloud on the first frame";
        EXPECT_EQ(countColour(0, 0, 800, 600, flowerCentre), 0) << "no flower head on the first frame";
        runFrames(scene, 20);

        glPushAttrib(GL_CURRENT_BIT | GL_SCISSOR_BIT);
        glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
        glScissor(1, 2, 3, 4);
        const std::vector<float> before = stateTheStepsTouch();
        glTranslatef(1.0f, 2.0f, 3.0f);
        scene.render(3.5f, 0.0f);
        EXPECT_EQ(stateTheStepsTouch(), before);
        EXPECT_EQ(currentMatrices(), atRest) << "the modelview comes back as the identity";
        glPopAttrib();
        EXPECT_GT(skyPixels(c.sky), 800 * 180 / 50);
        EXPECT_FALSE(flatBesideTheSun()) << "clouds from the second frame on";
        EXPECT_EQ(countColour(0, 0, 800, 600, flowerCentre) > 100, c.input2 > 0) << "flower heads";
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(LandscapeRender, ASaturatedInputTwoHoldsTheYellowSkyFor198FramesAfterItDrops)
{
    const Colour yellow = bytesOf(1.0f, 0.98f, 0.2f);
    LandscapeScene scene;
    setInputs(0.0f, 1.0f);
    runFrames(scene, 800);
    setInputs(0.0f, 0.0f);
    runFrames(scene, 197);
    scene.render(0.0f, 0.0f);
    EXPECT_GT(skyPixels(yellow), 800 * 180 / 50) << "the 198th frame after the drop";
    scene.render(0.0f, 0.0f);
    EXPECT_EQ(skyPixels(yellow), 0) << "the 199th frame";
}

}  // namespace
