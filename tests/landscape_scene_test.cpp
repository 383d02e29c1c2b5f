// The landscape's set-up: clouds read from bitmaps (scan order, the 1024-point
// cap, the truncating centroid, colours, empty bitmaps) and the fixed random
// layout.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/CloudTable.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// A bitmap as the cloud reader sees it: rows from the top, raw values.
struct Bitmap {
    int width, height;
    std::vector<uint32_t> pixels;
    Bitmap(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
    void readInto(CloudTable& table, int cloud) const
    {
        table.setCloud(cloud, width, height, [this](uint32_t x, uint32_t y) { return pixels[y * width + x]; });
    }
};

void expectPoint(const CloudPoint* p, int x, int y, float r, float g, float b)
{
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->x, x);
    EXPECT_EQ(p->y, y);
    EXPECT_EQ(p->red, r);
    EXPECT_EQ(p->green, g);
    EXPECT_EQ(p->blue, b);
}

TEST(CloudTable, ABiggerCloudKeepsTheFirst1024InScanOrderButCentresOnAllItsPixels)
{
    // 1600 pixels: the bottom 25 rows and 24 of row 25 are kept; the
    // centroid over all 1600 is (19, 19).
    CloudTable table;
    Bitmap(40, 40, 0x010101).readInto(table, 2);
    ASSERT_EQ(table.count[2], 1024);
    const float v = static_cast<float>(1 / 255.0);
    expectPoint(table.points[2][0], -19, -19, v, v, v);
    expectPoint(table.points[2][1], -18, -19, v, v, v);
    expectPoint(table.points[2][40], -19, -18, v, v, v);
    expectPoint(table.points[2][1023], 23 - 19, 25 - 19, v, v, v);
}

TEST(CloudTable, OnlyNonBlackPixelsCountTheCentroidTruncatesAndRowsCountFromTheBottom)
{
    // In the top row of a 6 x 4 bitmap: black, then blue 1 and orange in
    // columns 2 and 3; the centroid column 5 / 2 truncates to 2.
    CloudTable table;
    Bitmap b(6, 4);
    b.pixels[2] = 0x000001;
    b.pixels[3] = 0xFF8000;
    b.readInto(table, 5);
    ASSERT_EQ(table.count[5], 2);
    expectPoint(table.points[5][0], 0, 0, 0.0f, 0.0f, static_cast<float>(1 / 255.0));
    expectPoint(table.points[5][1], 1, 0, 1.0f, static_cast<float>(128 / 255.0), 0.0f);
    EXPECT_EQ(table.points[5][2], nullptr);
}

TEST(CloudTable, AnAllBlackBitmapGivesAnEmptyCloudAndReplacesTheOldOne)
{
    CloudTable table;
    Bitmap(4, 4, 0x404040).readInto(table, 3);
    ASSERT_EQ(table.count[3], 16);
    Bitmap(8, 8, 0).readInto(table, 3);
    EXPECT_EQ(table.count[3], 0);
    for (int i = 0; i < CloudTable::kCapacity; ++i)
        ASSERT_EQ(table.points[3][i], nullptr) << i;
}

class LandscapeSetUp : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestWindow(); }
};

TEST_F(LandscapeSetUp, TheLayoutIsInRangeAndTheSameOnEveryConstruction)
{
    LandscapeScene a;
    srand(7);  // whatever the generator did in between
    LandscapeScene b;
    EXPECT_EQ(a.items[0]->offset, -3.0f);
    EXPECT_EQ(a.items[59]->offset, 2.9f);
    for (int i = 0; i < LandscapeScene::kItems; ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(memcmp(a.items[i], b.items[i], sizeof(GroundItem)), 0);
        // Draws beyond 0..32767 would push depths, sizes and colours far out.
        const GroundItem& item = *a.items[i];
        EXPECT_TRUE(item.z >= -8.0f && item.z <= -4.0f) << item.z;
        EXPECT_TRUE(item.size >= 0.4f && item.size <= 1.15f) << item.size;
        EXPECT_TRUE(item.petalColour[0] >= 0.48f - 1e-6f && item.petalColour[0] <= 0.8f) << item.petalColour[0];
    }
    for (int j = 0; j < LandscapeScene::kButterflies; ++j) {
        EXPECT_EQ(a.butterflies[j]->phase, b.butterflies[j]->phase) << j;
        EXPECT_TRUE(a.butterflies[j]->phase >= 0.0f && a.butterflies[j]->phase <= 1.0f);
    }
    for (int c = 0; c < CloudTable::kClouds; ++c) {
        ASSERT_EQ(a.clouds->count[c], b.clouds->count[c]) << c;
        EXPECT_GT(a.clouds->count[c], 0) << "cloud " << c << " has no points";
        for (int i = 0; i < a.clouds->count[c]; ++i)
            ASSERT_EQ(memcmp(a.clouds->points[c][i], b.clouds->points[c][i], sizeof(CloudPoint)), 0);
    }
    // The brown ground stop, to the bit.
    uint32_t red, green;
    memcpy(&red, &a.groundStops[1].red, 4);
    memcpy(&green, &a.groundStops[1].green, 4);
    EXPECT_EQ(red, 0x3F1F9FA0u);
    EXPECT_EQ(green, 0x3ED6D6D7u);
}

}  // namespace
