// The show's own picture files under images/: each loads the way the scene
// uses it and has the properties that make it look right there.
#include "gfx/Image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The repository root, where the show runs and finds images/.
std::string root()
{
    const std::string file = __FILE__;
    return file.substr(0, file.rfind("/tests/"));
}

std::string picture(const char* name)
{
    return root() + "/images/" + name;
}

int channel(const Image& image, int x, int y, int c)
{
    const int bytes = image.bitsPerPixel() / 8;
    return image.pixels()[y * image.pitch() + x * bytes + c];
}

// Mean absolute difference between two columns (or rows) of a picture.
double lineDifference(const Image& image, bool columns, int a, int b)
{
    const int n = columns ? image.height() : image.width();
    double sum = 0;
    for (int i = 0; i < n; ++i)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(columns ? channel(image, a, i, c) - channel(image, b, i, c)
                                    : channel(image, i, a, c) - channel(image, i, b, c));
    return sum / (n * 3);
}

}  // namespace

TEST(ShowPictures, TheFloorIsA512JpegThatTilesWithoutASeam)
{
    const Image floor(picture("floor01.jpg").c_str(), 512, 512);
    ASSERT_EQ(floor.width(), 512);
    ASSERT_EQ(floor.height(), 512);
    EXPECT_EQ(floor.bitsPerPixel(), 24);
    EXPECT_FALSE(floor.hasAlpha());
    // Across the wrap, neighbouring lines differ no more than neighbours inside.
    for (const bool columns : {true, false}) {
        const double seam = lineDifference(floor, columns, 511, 0);
        const double inside =
            (lineDifference(floor, columns, 255, 256) + lineDifference(floor, columns, 127, 128)) /
            2;
        EXPECT_LT(seam, inside * 1.5 + 1) << (columns ? "left-right" : "top-bottom");
    }
}

TEST(ShowPictures, TheSmokeIsA256PngWhosePuffsFadeOutBeforeEveryEdge)
{
    const Image smoke(picture("smoke.png").c_str(), 256, 256);
    ASSERT_EQ(smoke.width(), 256);
    ASSERT_TRUE(smoke.hasAlpha());
    ASSERT_EQ(smoke.bitsPerPixel(), 32);
    int maxAlpha = 0, maxStep = 0;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const int a = channel(smoke, x, y, 3);
            maxAlpha = std::max(maxAlpha, a);
            if (x == 0 || y == 0 || x == 255 || y == 255)
                EXPECT_EQ(a, 0) << x << "," << y;  // repeat wrapping must not show an edge
            if (x > 0)
                maxStep = std::max(maxStep, std::abs(a - channel(smoke, x - 1, y, 3)));
            if (y > 0)
                maxStep = std::max(maxStep, std::abs(a - channel(smoke, x, y - 1, 3)));
        }
    EXPECT_GT(maxAlpha, 200);
    EXPECT_LT(maxStep, 40);  // soft: no hard outline anywhere
}

TEST(ShowPictures, TheCloudsAreSmall24BitBitmapsOnBlackWithinTheirPointBudget)
{
    for (int n = 1; n <= 6; ++n) {
        char name[64];
        snprintf(name, sizeof name, "cloudz/cloud%.2i.bmp", n);
        SCOPED_TRACE(name);
        const Image cloud(picture(name).c_str(), 0, 0);
        ASSERT_EQ(cloud.bitsPerPixel(), 24);
        int points = 0, left = cloud.width(), right = -1;
        for (int y = 0; y < cloud.height(); ++y)
            for (int x = 0; x < cloud.width(); ++x)
                if (cloud.getPixel(x, y) != 0) {
                    ++points;
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_GE(points, 50);
        EXPECT_LE(points, 1024);
        // Narrow enough to leave the view before the scene wraps it around.
        EXPECT_LE(right - left + 1, 23);
        // Black all round.
        for (int x = 0; x < cloud.width(); ++x) {
            EXPECT_EQ(cloud.getPixel(x, 0), 0u);
            EXPECT_EQ(cloud.getPixel(x, cloud.height() - 1), 0u);
        }
    }
}
