// Texture: what the GL holds after construction (format, texels, binding,
// fixed parameters), and how modulate and repeat show when drawing.
#include "gfx/RenderState.h"
#include "gfx/Image.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"
#include "support/PictureFiles.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

GLint level0(GLenum what)
{
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
    return v;
}

class TextureTest : public testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        // State that the constructors must overwrite.
        glBindTexture(GL_TEXTURE_2D, 0);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
};

}  // namespace

TEST_F(TextureTest, FromAFileItHoldsTheStretchedPictureInItsFormatLeftBoundWithTheFixedParameters)
{
    const struct {
        std::string path;
        int size;
        GLint internalFormat;
    } rows[] = {
        {convertPixels("tex.jpg", 64, 48, 3, Bytes(64 * 48 * 3, 90)), 512, GL_RGB8},
        {convertPixels("PNG32:tex.png", 300, 300, 4, Bytes(300 * 300 * 4, 90)), 256, GL_RGBA8},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        testing::internal::CaptureStdout();
        const Texture texture(r.path.c_str(), r.size, r.size);
        fflush(stdout);
        const std::string line = testing::internal::GetCapturedStdout();
        EXPECT_EQ(line.rfind("Image: Loaded file \"" + r.path + "\", resize: ", 0), 0u) << line;
        GLint bound = 0, mode = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, GLint(texture.name));
        EXPECT_EQ(texture.width, r.size);
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), r.size);
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), r.size);
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), r.internalFormat);
        EXPECT_EQ(level0(GL_TEXTURE_ALPHA_SIZE), r.internalFormat == GL_RGBA8 ? 8 : 0);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(mode, GL_MODULATE);
        for (const auto& [name, want] : {std::pair<GLenum, GLint>{GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                         {GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                                         {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                         {GL_TEXTURE_WRAP_T, GL_REPEAT}}) {
            GLint v = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
            EXPECT_EQ(v, want) << name;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(TextureTest, TheTexelsAreThePicturesColoursTopRowFirstWithoutPadding)
{
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0};
    const Bytes quarters = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const Texture png(convertPixels("PNG32:q.png", 2, 2, 4, rgba).c_str(), 2, 2);
    const Texture palettised(convertPixels("PNG8:q8.png", 2, 2, 3, quarters).c_str(), 2, 2);
    // Width 3 at 24 bits: rows padded to 12 bytes, as the default unpack alignment reads them.
    Bytes padded = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    const Texture image(Image(padded.data(), 3, 2, 24, false));
    const struct {
        const char* what;
        const Texture& texture;
        bool alpha;
        Bytes texels;
    } rows[] = {
        {"a PNG with alpha", png, true, rgba},
        {"a palettised PNG, as its colours", palettised, false, quarters},
        {"an image with padded rows", image, false,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        r.texture.bind();
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), r.alpha ? GL_RGBA8 : GL_RGB8);
        Bytes texels(r.texels.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, r.alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels, r.texels);
    }
}

TEST_F(TextureTest, NullPixelsReserveStorageAndTheDestructorDeletesTheName)
{
    GLuint name = 0;
    {
        const Texture texture(nullptr, 1024, 512, false);
        name = texture.name;
        EXPECT_TRUE(glIsTexture(name));
        EXPECT_EQ(level0(GL_TEXTURE_WIDTH), 1024);
        EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), 512);
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    }
    EXPECT_FALSE(glIsTexture(name));
}

TEST_F(TextureTest, DrawnTexelsAreModulatedByTheColourAndRepeatInBothDirections)
{
    // Red, green on the top row; blue, white below. RGBA rows of 8 bytes meet
    // the default unpack alignment.
    const Bytes quarters = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const Texture texture(quarters.data(), 2, 2, true);
    glDisable(GL_BLEND);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    drawTexturedScreenQuad(0, 0, 2, 2);  // two repeats each way
    glFinish();
    // Texel centres at s, t = 0.25 and 0.75 of each repeat; t = 0 (the top
    // row) is at the bottom of the window.
    const struct {
        int x, y;
        Rgba want;
    } probes[] = {{100, 75, {128, 0, 0, 255}},
                  {300, 225, {128, 128, 128, 255}},
                  {700, 375, {0, 128, 0, 255}},
                  {500, 525, {0, 0, 128, 255}}};
    for (const auto& p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        const Rgba got = readPixel(p.x, p.y);
        EXPECT_NEAR(got.r, p.want.r, 3);
        EXPECT_NEAR(got.g, p.want.g, 3);
        EXPECT_NEAR(got.b, p.want.b, 3);
    }
}
