// Texture: what the GL holds after construction from an image or a file, and
// how the fixed parameters (modulate, repeat) show when drawing.
#include "gfx/Image.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"
#include "support/PictureFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

GLint level0(GLenum what)
{
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
    return v;
}

GLint parameter(GLenum what)
{
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &v);
    return v;
}

GLint boundTexture()
{
    GLint v = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &v);
    return v;
}

GLint envMode()
{
    GLint v = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &v);
    return v;
}

// The texture's level 0 as tightly packed bytes.
Bytes texels(int w, int h, bool alpha)
{
    Bytes out(size_t(w) * h * (alpha ? 4 : 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// A 2x2 picture: red, green on the file's top row; blue, white below.
const Bytes kQuarters = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};

class TextureTest : public testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        // Start from state that the constructors must overwrite.
        glBindTexture(GL_TEXTURE_2D, 0);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
};

}  // namespace

// --- From a file: stretched, uploaded in the right format, left bound ------

struct FileCase {
    const char* what;
    std::string (*file)();
    int w, h;
    GLint internalFormat;
};

class TextureFromFile : public TextureTest, public testing::WithParamInterface<FileCase> {};

TEST_P(TextureFromFile, HoldsTheStretchedPictureInItsFormatWithTheFixedParameters)
{
    const FileCase& c = GetParam();
    const std::string path = c.file();
    testing::internal::CaptureStdout();
    Texture texture(path.c_str(), c.w, c.h);
    fflush(stdout);
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed.rfind("Image: Loaded file \"" + path + "\", resize: ", 0), 0u) << printed;
    EXPECT_EQ(boundTexture(), GLint(texture.name));
    EXPECT_EQ(texture.width, c.w);
    EXPECT_EQ(texture.height, c.h);
    EXPECT_EQ(level0(GL_TEXTURE_WIDTH), c.w);
    EXPECT_EQ(level0(GL_TEXTURE_HEIGHT), c.h);
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), c.internalFormat);
    EXPECT_EQ(level0(GL_TEXTURE_RED_SIZE), 8);
    EXPECT_EQ(level0(GL_TEXTURE_ALPHA_SIZE), c.internalFormat == GL_RGBA8 ? 8 : 0);
    EXPECT_EQ(envMode(), GL_MODULATE);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

std::string jpeg()
{
    return convertPixels("tex.jpg", 64, 48, 3, Bytes(64 * 48 * 3, 90), "-quality 90");
}

std::string pngWithAlpha()
{
    return convertPixels("PNG32:tex.png", 300, 300, 4, Bytes(300 * 300 * 4, 90));
}

std::string palettisedBmp()
{
    return convertPixels("tex8.bmp", 64, 48, 3, Bytes(64 * 48 * 3, 90), "-type Palette");
}

INSTANTIATE_TEST_SUITE_P(
    Texture, TextureFromFile,
    testing::Values(FileCase{"JpegAsRgb8", jpeg, 512, 512, GL_RGB8},
                    FileCase{"PngWithAlphaAsRgba8", pngWithAlpha, 256, 256, GL_RGBA8},
                    FileCase{"PalettisedBmpAsRgb8", palettisedBmp, 256, 256, GL_RGB8}),
    [](const testing::TestParamInfo<FileCase>& info) { return info.param.what; });

// --- The texels are the picture's bytes, top row first ----------------------

TEST_F(TextureTest, APngAtItsOwnSizeIsUploadedByteForByteWithTheTopRowAtTZero)
{
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0};
    Texture texture(convertPixels("PNG32:q.png", 2, 2, 4, rgba).c_str(), 2, 2);
    EXPECT_EQ(texels(2, 2, true), rgba);
}

TEST_F(TextureTest, AConvertedPictureIsUploadedAsItsColoursNotItsPaletteIndices)
{
    Texture texture(convertPixels("PNG8:q8.png", 2, 2, 3, kQuarters).c_str(), 2, 2);
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(texels(2, 2, false), kQuarters);
}

TEST_F(TextureTest, FromAnImageUploadsItsPixelsAtItsSizeAndFormat)
{
    // Width 3 at 24 bits: rows padded to 12 bytes, as the default unpack
    // alignment reads them.
    Image image(nullptr, 3, 2, 24, false);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            image.setPixel(x, y, 0x010203u * (x + 3 * y + 1));
    Texture texture(image);
    EXPECT_EQ(boundTexture(), GLint(texture.name));
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(texture.width, 3);
    EXPECT_EQ(texture.height, 2);
    Bytes expected;
    for (uint32_t i = 1; i <= 6; ++i) {
        const uint32_t v = 0x010203u * i;
        expected.insert(expected.end(), {Uint8(v), Uint8(v >> 8), Uint8(v >> 16)});
    }
    EXPECT_EQ(texels(3, 2, false), expected);

    Image withAlpha(nullptr, 2, 1, 32, true);
    withAlpha.setPixel(1, 0, 0x80FF0000u);
    Texture rgba(withAlpha);
    EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(texels(2, 1, true), (Bytes{0, 0, 0, 0, 0, 0, 255, 128}));
}

TEST_F(TextureTest, TheDestructorDeletesTheGlName)
{
    GLuint name = 0;
    {
        Texture texture(kQuarters.data(), 2, 2, false);
        name = texture.name;
        EXPECT_TRUE(glIsTexture(name));
    }
    EXPECT_FALSE(glIsTexture(name));
}

// --- Drawing: the colour modulates the texels, coordinates repeat ----------

TEST_F(TextureTest, DrawnTexelsAreModulatedByTheColourAndRepeatInBothDirections)
{
    Texture texture(convertPixels("PNG24:quarters.png", 2, 2, 3, kQuarters).c_str(), 2, 2);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    // s and t run from 0 to 2 across the viewport: two repeats each way.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(2, 0);
    glVertex2f(1, 0);
    glTexCoord2f(2, 2);
    glVertex2f(1, 1);
    glTexCoord2f(0, 2);
    glVertex2f(0, 1);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glFinish();

    // Texel centres sit at s, t = 0.25 and 0.75 of each repeat; t = 0 is the
    // file's top row, at the bottom of this viewport.
    struct Probe {
        int x, y;
        Rgba want;
    };
    const Probe probes[] = {
        {100, 75, {128, 0, 0, 255}},  {300, 75, {0, 128, 0, 255}},
        {100, 225, {0, 0, 128, 255}}, {300, 225, {128, 128, 128, 255}},
        {500, 75, {128, 0, 0, 255}},  {700, 375, {0, 128, 0, 255}},
        {500, 525, {0, 0, 128, 255}}, {700, 525, {128, 128, 128, 255}},
    };
    for (const Probe& p : probes) {
        const Rgba got = readPixel(p.x, p.y);
        EXPECT_NEAR(got.r, p.want.r, 3) << p.x << "," << p.y;
        EXPECT_NEAR(got.g, p.want.g, 3) << p.x << "," << p.y;
        EXPECT_NEAR(got.b, p.want.b, 3) << p.x << "," << p.y;
    }
}
