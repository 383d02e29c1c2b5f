// Texture: what the GL holds after construction (size, format, texels,
// binding) and how it draws: modulated by the colour, filtered bilinearly
// and repeated both ways.
#include "gfx/Image.h"
#include "gfx/RenderState.h"
#include "gfx/Texture.h"
#include "support/GlTestWindow.h"
#include "support/PictureFiles.h"

#include <gtest/gtest.h>

namespace {

GLint level0(GLenum what)
{
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &v);
    return v;
}

}  // namespace

TEST(Texture, ItHoldsThePicturesBytesTopRowFirstAtTheAskedSizeInItsFormatAndIsLeftBound)
{
    openTestWindow();
    glBindTexture(GL_TEXTURE_2D, 0);
    const Bytes rgba = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 64, 255, 255, 255, 0};
    const Texture png(convertPixels("PNG32:q.png", 2, 2, 4, rgba).c_str(), 2, 2);
    // Width 3 at 24 bits: rows padded to 12 bytes, as the default unpack alignment reads them.
    Bytes padded = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    const Texture image(Image(padded.data(), 3, 2, 24, false));
    const Texture stretched(convertPixels("PNG24:grey.png", 1, 1, 3, {90, 90, 90}).c_str(), 4, 2);
    EXPECT_EQ(glInt(GL_TEXTURE_BINDING_2D), GLint(stretched.name));
    const struct { const char* what; const Texture& texture; bool alpha; Bytes texels; } rows[] = {
        {"a PNG with alpha", png, true, rgba},
        {"an image with padded rows", image, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"a grey pixel stretched to 4 x 2", stretched, false, Bytes(4 * 2 * 3, 90)},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        r.texture.bind();
        EXPECT_EQ(level0(GL_TEXTURE_INTERNAL_FORMAT), r.alpha ? GL_RGBA8 : GL_RGB8);
        ASSERT_EQ(size_t(level0(GL_TEXTURE_WIDTH) * level0(GL_TEXTURE_HEIGHT) * (r.alpha ? 4 : 3)), r.texels.size());
        Bytes texels(r.texels.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, r.alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels, r.texels);
    }
}

TEST(Texture, DrawnTexelsAreModulatedFilteredBilinearlyAndRepeatedBothWays)
{
    openTestWindow();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);  // which the constructor must overwrite
    // Red, green on the top row (t = 0, at the bottom of the window); blue,
    // white below it. RGBA rows of 8 bytes meet the default unpack alignment.
    const Bytes quarters = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    const Texture texture(quarters.data(), 2, 2, true);
    glDisable(GL_BLEND);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    // Two repeats each way put texel centres 200 pixels apart across and 150
    // up; 800 and 600 repeats put every pixel between four texels (minified).
    const struct { float s1, t1; int x, y; Rgba want; } probes[] = {
        {2, 2, 100, 75, {128, 0, 0}},        // a texel centre, at half brightness
        {2, 2, 300, 225, {128, 128, 128}},
        {2, 2, 700, 375, {0, 128, 0}},       // second repeats: clamping would show white
        {2, 2, 500, 525, {0, 0, 128}},
        {2, 2, 200, 75, {64, 64, 0}},        // half way between red and green
        {800, 600, 401, 301, {64, 64, 64}},  // all four texels, evenly
    };
    for (const auto& p : probes) {
        drawTexturedScreenQuad(0, 0, p.s1, p.t1);
        expectPixel(p.x, p.y, p.want, 3);
    }
}
