// The landscape's set-up: clouds read from bitmaps (scan order, the 1024-point
// cap, the truncating centroid, empty bitmaps, channel order of a real BMP
// file), and the fixed random layout of items and butterflies.
#include <gtest/gtest.h>

#include "support/GlTestWindow.h"

#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/CloudTable.h"
#include "scenes/landscape/GroundItem.h"
#include "scenes/landscape/LandscapeScene.h"

namespace {

// A bitmap as the cloud reader sees it: rows from the top, raw values.
struct Bitmap {
    int width;
    int height;
    std::vector<uint32_t> pixels;

    Bitmap(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(w * h, fill) {}
    uint32_t& at(int col, int rowFromTop) { return pixels[rowFromTop * width + col]; }
    CloudTable::PixelReader reader() const
    {
        return [this](uint32_t x, uint32_t y) { return pixels[y * width + x]; };
    }
};

struct Point {
    int x, y;
};

std::vector<Point> pointsOf(const CloudTable& table, int cloud)
{
    std::vector<Point> out;
    for (int i = 0; i < table.count[cloud]; ++i)
        out.push_back({table.points[cloud][i]->x, table.points[cloud][i]->y});
    return out;
}

TEST(CloudTable, AFull32By32BitmapGives1024PointsCentredOn15)
{
    CloudTable table;
    const Bitmap full(32, 32, 0xFFFFFF);
    table.setCloud(0, full.width, full.height, full.reader());
    ASSERT_EQ(table.count[0], 1024);
    int minX = 99, maxX = -99, minY = 99, maxY = -99;
    for (const Point& p : pointsOf(table, 0)) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_EQ(minX, -15);
    EXPECT_EQ(maxX, 16);
    EXPECT_EQ(minY, -15);
    EXPECT_EQ(maxY, 16);
}

TEST(CloudTable, ABiggerCloudKeepsTheFirst1024InScanOrderButCentresOnAllItsPixels)
{
    // 40 x 40 non-black pixels: 1600, of which the bottom 25 rows (1000) and
    // 24 of row 25 are kept; the centroid over all 1600 is (19, 19).
    CloudTable table;
    const Bitmap full(40, 40, 0x010101);
    table.setCloud(2, full.width, full.height, full.reader());
    ASSERT_EQ(table.count[2], 1024);
    const std::vector<Point> p = pointsOf(table, 2);
    EXPECT_EQ(p[0].x, -19);
    EXPECT_EQ(p[0].y, -19);
    EXPECT_EQ(p[1].x, -18);
    EXPECT_EQ(p[40].y, -18);
    EXPECT_EQ(p[1023].x, 23 - 19);
    EXPECT_EQ(p[1023].y, 25 - 19);
}

TEST(CloudTable, TheCentroidTruncatesAndRowsCountFromTheBottom)
{
    // Columns 2 and 3 of the top row of a 6 x 4 bitmap: centroid column 5 / 2 = 2.
    CloudTable table;
    Bitmap b(6, 4);
    b.at(2, 0) = 0x808080;
    b.at(3, 0) = 0x808080;
    table.setCloud(5, b.width, b.height, b.reader());
    ASSERT_EQ(table.count[5], 2);
    const std::vector<Point> p = pointsOf(table, 5);
    EXPECT_EQ(p[0].x, 0);
    EXPECT_EQ(p[1].x, 1);
    EXPECT_EQ(p[0].y, 0);  // the top row is row 3 from the bottom, and the centroid row
}

TEST(CloudTable, OnlyNonBlackPixelsArePointsWithTheirChannelsDecoded)
{
    CloudTable table;
    Bitmap b(3, 1);
    b.at(0, 0) = 0x000000;
    b.at(1, 0) = 0x000001;
    b.at(2, 0) = 0xFF8000;
    table.setCloud(1, b.width, b.height, b.reader());
    ASSERT_EQ(table.count[1], 2);
    const CloudPoint& faint = *table.points[1][0];
    EXPECT_EQ(faint.red, 0.0f);
    EXPECT_EQ(faint.green, 0.0f);
    EXPECT_EQ(faint.blue, static_cast<float>(1 / 255.0));
    const CloudPoint& orange = *table.points[1][1];
    EXPECT_EQ(orange.red, 1.0f);
    EXPECT_EQ(orange.green, static_cast<float>(128 / 255.0));
    EXPECT_EQ(orange.blue, 0.0f);
    EXPECT_EQ(table.points[1][2], nullptr);
}

TEST(CloudTable, AnAllBlackBitmapGivesAnEmptyCloudAndReplacesTheOldOne)
{
    CloudTable table;
    const Bitmap some(4, 4, 0x404040);
    table.setCloud(3, some.width, some.height, some.reader());
    ASSERT_EQ(table.count[3], 16);
    const Bitmap black(8, 8, 0);
    table.setCloud(3, black.width, black.height, black.reader());
    EXPECT_EQ(table.count[3], 0);
    for (int i = 0; i < CloudTable::kCapacity; ++i)
        ASSERT_EQ(table.points[3][i], nullptr) << i;
}

class LandscapeSetUp : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestWindow(); }
};

TEST_F(LandscapeSetUp, ACloudFromA24BitBmpFileKeepsItsColours)
{
    // Top row: red, green; bottom row: blue, black. Written by SDL as a
    // 24-bit BMP, read back through the image loader.
    SDL_Surface* s = SDL_CreateRGBSurface(0, 2, 2, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    ASSERT_NE(s, nullptr);
    const uint32_t colours[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0x000000}};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 2; ++col) {
            uint8_t* p = static_cast<uint8_t*>(s->pixels) + row * s->pitch + col * 3;
            const uint32_t v = colours[row][col];
            memcpy(p, &v, 3);
        }
    char dir[] = "/tmp/cloudbmpXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/cloud.bmp";
    ASSERT_EQ(SDL_SaveBMP(s, file.c_str()), 0);
    SDL_FreeSurface(s);

    Image image(file.c_str(), 0, 0);
    CloudTable table;
    table.setCloud(0, image.width(), image.height(),
                   [&image](uint32_t x, uint32_t y) { return image.getPixel(x, y); });
    unlink(file.c_str());
    rmdir(dir);

    // Scan order: the bottom row (blue) first, then the top row (red, green).
    ASSERT_EQ(table.count[0], 3);
    const float expected[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (int i = 0; i < 3; ++i) {
        const CloudPoint& p = *table.points[0][i];
        EXPECT_EQ(p.red, expected[i][0]) << i;
        EXPECT_EQ(p.green, expected[i][1]) << i;
        EXPECT_EQ(p.blue, expected[i][2]) << i;
    }
}

TEST_F(LandscapeSetUp, TheRowStartsAtMinusThreeAndEndsAtTwoPointNine)
{
    LandscapeScene scene;
    EXPECT_EQ(scene.items[0]->offset, -3.0f);
    EXPECT_EQ(scene.items[59]->offset, 2.9f);
    for (int i = 1; i < LandscapeScene::kItems; ++i)
        EXPECT_NEAR(scene.items[i]->offset - scene.items[i - 1]->offset, 0.1f, 1e-5f) << i;
}

TEST_F(LandscapeSetUp, EveryRandomDrawLandsInItsRange)
{
    // Draws beyond 0..32767 would push sizes, depths and colours far out.
    LandscapeScene scene;
    int tall = 0;
    for (const GroundItem* item : scene.items) {
        EXPECT_GE(item->z, -8.0f);
        EXPECT_LE(item->z, -4.0f);
        EXPECT_GE(item->baseWidth, 0.25f);
        EXPECT_LE(item->baseWidth, 0.37f);
        EXPECT_GE(item->size, 0.4f);
        EXPECT_LE(item->size, 1.15f);
        if (item->size > 0.9f)
            ++tall;
        EXPECT_GE(item->blockColour[0], 0.2f);
        EXPECT_LE(item->blockColour[0], 0.6f);
        EXPECT_GE(item->petalColour[0], 0.48f - 1e-6f);
        EXPECT_LE(item->petalColour[0], 0.8f);
        EXPECT_EQ(item->y, -0.145f);
        EXPECT_EQ(item->headList, 0u);
    }
    EXPECT_LE(tall, 15);  // only items whose first draw mod 100 is 91..99 can grow past 0.9
    for (const Butterfly* b : scene.butterflies) {
        EXPECT_GE(b->phase, 0.0f);
        EXPECT_LE(b->phase, 1.0f);
    }
}

TEST_F(LandscapeSetUp, TwoConstructionsGiveTheSameLayoutPhasesAndClouds)
{
    LandscapeScene a;
    srand(7);  // whatever the generator did in between
    LandscapeScene b;
    for (int i = 0; i < LandscapeScene::kItems; ++i)
        EXPECT_EQ(memcmp(a.items[i], b.items[i], sizeof(GroundItem)), 0) << "item " << i;
    for (int j = 0; j < LandscapeScene::kButterflies; ++j)
        EXPECT_EQ(a.butterflies[j]->phase, b.butterflies[j]->phase) << j;
    for (int c = 0; c < CloudTable::kClouds; ++c) {
        ASSERT_EQ(a.clouds->count[c], b.clouds->count[c]) << c;
        EXPECT_GT(a.clouds->count[c], 0) << "cloud " << c << " has no points";
        for (int i = 0; i < a.clouds->count[c]; ++i)
            ASSERT_EQ(memcmp(a.clouds->points[c][i], b.clouds->points[c][i], sizeof(CloudPoint)), 0);
    }
}

TEST_F(LandscapeSetUp, TheBrownGroundStopHasTheExactBytesOfItsColour)
{
    LandscapeScene scene;
    uint32_t red, green;
    memcpy(&red, &scene.groundStops[1].red, 4);
    memcpy(&green, &scene.groundStops[1].green, 4);
    EXPECT_EQ(red, 0x3F1F9FA0u);
    EXPECT_EQ(green, 0x3ED6D6D7u);
}

}  // namespace
