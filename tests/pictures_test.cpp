// The show's own pictures under images/ (the tests run from the repository
// root, as the show does): each loads the way the scene uses it and has the
// properties that make it look right there.
#include "gfx/Image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int channel(const Image& image, int x, int y, int c)
{
    return image.pixels()[y * image.pitch() + x * image.bitsPerPixel() / 8 + c];
}

}  // namespace

TEST(ShowPictures, TheFloorIsA512JpegThatTilesWithoutASeam)
{
    const Image floor("images/floor01.jpg", 0, 0);
    ASSERT_TRUE(floor.width() == 512 && floor.height() == 512 && floor.bitsPerPixel() == 24);
    // Mean difference between column (or row) a and the next one, wrapping.
    const auto step = [&](bool columns, int a) {
        double sum = 0;
        for (int i = 0, b = (a + 1) % 512; i < 512; ++i)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(columns ? channel(floor, a, i, c) - channel(floor, b, i, c)
                                        : channel(floor, i, a, c) - channel(floor, i, b, c));
        return sum / (512 * 3);
    };
    for (const bool columns : {true, false})
        EXPECT_LT(step(columns, 511), (step(columns, 127) + step(columns, 255)) / 2 * 1.5 + 1)
            << (columns ? "left-right" : "top-bottom");
}

TEST(ShowPictures, TheSmokeIsA256PngWhosePuffsFadeOutBeforeEveryEdge)
{
    const Image smoke("images/smoke.png", 0, 0);
    ASSERT_TRUE(smoke.width() == 256 && smoke.height() == 256 && smoke.hasAlpha());
    int maxAlpha = 0, edge = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int a = channel(smoke, x, y, 3);
            maxAlpha = std::max(maxAlpha, a);
            if (x == 0 || y == 0 || x == 255 || y == 255)
                edge = std::max(edge, a);  // repeat wrapping would show an edge
        }
    EXPECT_EQ(edge, 0);
    EXPECT_GT(maxAlpha, 200);
}

TEST(ShowPictures, TheCloudsAreSmall24BitBitmapsOnBlackWithinTheirPointBudget)
{
    for (int n = 1; n <= 6; ++n) {
        const std::string name = "images/cloudz/cloud0" + std::to_string(n) + ".bmp";
        SCOPED_TRACE(name);
        const Image cloud(name.c_str(), 0, 0);
        ASSERT_EQ(cloud.bitsPerPixel(), 24);
        int points = 0, edge = 0;
        for (int y = 0; y < cloud.height(); ++y)
            for (int x = 0; x < cloud.width(); ++x)
                if (cloud.getPixel(x, y) != 0) {
                    ++points;
                    edge += x == 0 || y == 0 || x == cloud.width() - 1 || y == cloud.height() - 1;
                }
        EXPECT_GE(points, 50);  // a cloud without points has no centre
        EXPECT_LE(points, 1024);
        EXPECT_EQ(edge, 0);
    }
}
