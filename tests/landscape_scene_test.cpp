// The landscape's set-up: clouds read from bitmaps (scan order, the 1024-point
// cap, the truncating centroid, colours, empty bitmaps) and the fixed random
// layout.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/CloudTable.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// Reads a bitmap (rows from the top, raw values) into cloud c of the table.
void readCloud(CloudTable& table, int c, int width, int height, const std::vector<uint32_t>& pixels)
{
    table.setCloud(c, width, height, [&](uint32_t x, uint32_t y) { return pixels[y * width + x]; });
}

std::vector<float> pointAt(const CloudTable& table, int c, int i)
{
    const CloudPoint* p = table.points[c][i];
    return p ? std::vector<float>{float(p->x), float(p->y), p->red, p->green, p->blue} : std::vector<float>{};
}

TEST(CloudTable, KeepsTheFirst1024NonBlackPixelsFromTheBottomRowUpCentredOnAllOfThem)
{
    CloudTable table;
    // 1600 pixels: the bottom 25 rows and 24 of row 25 are kept; the
    // centroid over all 1600 is (19, 19).
    readCloud(table, 2, 40, 40, std::vector<uint32_t>(1600, 0x010101));
    ASSERT_EQ(table.count[2], 1024);
    const float v = static_cast<float>(1 / 255.0);
    EXPECT_EQ(pointAt(table, 2, 0), std::vector<float>({-19, -19, v, v, v}));
    EXPECT_EQ(pointAt(table, 2, 40), std::vector<float>({-19, -18, v, v, v}));
    EXPECT_EQ(pointAt(table, 2, 1023), std::vector<float>({23 - 19, 25 - 19, v, v, v}));

    // In a 6 x 4 bitmap, black but for blue 1 in the top row's column 2 and
    // orange in the bottom row's column 3: the bottom row is scanned first,
    // as row 0, and the centroid (5 / 2, 3 / 2) truncates to (2, 1).
    std::vector<uint32_t> pixels(24, 0);
    pixels[2] = 0x000001;
    pixels[3 * 6 + 3] = 0xFF8000;
    readCloud(table, 5, 6, 4, pixels);
    ASSERT_EQ(table.count[5], 2);
    EXPECT_EQ(pointAt(table, 5, 0), std::vector<float>({1, -1, 1.0f, static_cast<float>(128 / 255.0), 0.0f}));
    EXPECT_EQ(pointAt(table, 5, 1), std::vector<float>({0, 2, 0.0f, 0.0f, v}));

    // An all-black bitmap gives an empty cloud in place of the old one.
    readCloud(table, 2, 8, 8, std::vector<uint32_t>(64, 0));
    EXPECT_EQ(table.count[2], 0);
    for (int i = 0; i < CloudTable::kCapacity; ++i)
        ASSERT_EQ(table.points[2][i], nullptr) << i;
}

TEST(LandscapeSetUp, TheLayoutIsInRangeAndTheSameOnEveryConstruction)
{
    openTestWindow();
    LandscapeScene a;
    std::srand(7);  // whatever the generator did in between
    LandscapeScene b;
    for (int i = 0; i < LandscapeScene::kItems; ++i) {
        EXPECT_EQ(memcmp(a.items[i], b.items[i], sizeof(GroundItem)), 0) << "item " << i;
        // Draws beyond 0..32767 would push depths and sizes far out.
        const GroundItem& item = *a.items[i];
        EXPECT_TRUE(item.z >= -8.0f && item.z <= -4.0f && item.size >= 0.4f && item.size <= 1.15f) << "item " << i;
    }
    for (int j = 0; j < LandscapeScene::kButterflies; ++j)
        EXPECT_EQ(a.butterflies[j]->phase, b.butterflies[j]->phase) << "butterfly " << j;
    for (int c = 0; c < CloudTable::kClouds; ++c)
        EXPECT_GT(a.clouds->count[c], 0) << "cloud " << c << " has no points";
}

}  // namespace
