#include "scenes/landscape/LandscapeScene.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gfx/Image.h"
#include "gfx/Texture.h"
#include "scenes/landscape/Butterfly.h"
#include "scenes/landscape/CloudTable.h"
#include "scenes/landscape/Figure.h"
#include "scenes/landscape/GroundItem.h"

namespace {

// The layout is made for a generator with values in 0..32767; the standard
// one is narrowed to that range (glibc's reaches 2^31 - 1), keeping the order
// of the draws.
int drawInt()
{
    return std::rand() % 32768;
}

double drawUnit()
{
    return drawInt() * (1.0 / 32767);
}

// The sky's and the ground's colours at the grey, house and flower looks.
void setColourStops(ColourStop sky[3], ColourStop ground[3])
{
    sky[0] = {0.7f, 0.7f, 0.8f, 0.0f};
    sky[1] = {0.8f, 0.85f, 1.0f, 0.5f};
    sky[2] = {1.0f, 0.98f, 0.2f, 1.0f};
    ground[0] = {0.4f, 0.4f, 0.4f, 0.0f};
    ground[1] = {159.0f / 255.0f, 107.0f / 255.0f, 0.0f, 0.5f};
    ground[2] = {0.01f, 0.8f, 0.1f, 1.0f};
}

// Ground item i of the row: five draws, in this order: the rare large size,
// the size, the base width, the depth (which also shades the block and the
// house) and the petals' shade.
GroundItem* drawGroundItem(int i)
{
    GroundItem* item = new GroundItem();
    const double f = drawInt() % 100 > 90 ? 1.5 : 1.0;
    item->size = static_cast<float>(drawUnit() * f * 0.5 + 0.4);
    item->baseWidth = static_cast<float>(drawUnit() * 0.12 + 0.25);
    const double r1 = drawUnit();
    item->x = 0.0f;
    item->y = -0.145f;
    item->z = static_cast<float>(-((1.0 - r1) + 1.0) * 4.0);
    item->offset = static_cast<float>(i * 0.1 - 3.0);
    const float grey = static_cast<float>(0.4 * r1 * r1 + 0.2);
    item->blockColour[0] = grey;
    item->blockColour[1] = grey;
    item->blockColour[2] = grey;
    item->houseColour[0] = static_cast<float>(0.9 * r1);
    item->houseColour[1] = 0.4f;
    item->houseColour[2] = static_cast<float>(0.1 * r1);
    item->leafColour[0] = 0.1f;
    item->leafColour[1] = 0.7f;
    item->leafColour[2] = 0.0f;
    const double r2 = drawUnit() * 0.4 + 0.6;
    item->petalColour[0] = static_cast<float>(0.8 * r2);
    item->petalColour[1] = static_cast<float>(0.1 * r2);
    item->petalColour[2] = 0.0f;
    item->headList = 0;
    item->headShadowList = 0;
    return item;
}

// The six cloud bitmaps, each read into the table and let go.
CloudTable* loadClouds()
{
    CloudTable* clouds = new CloudTable();
    for (int c = 0; c < CloudTable::kClouds; ++c) {
        char fileName[64];
        snprintf(fileName, sizeof fileName, "%s/cloud%.2i.bmp", "images/cloudz", c + 1);
        Image* image = new Image(fileName, 0, 0);
        clouds->setCloud(c, image->width(), image->height(),
                         [image](uint32_t x, uint32_t y) { return image->getPixel(x, y); });
        delete image;
    }
    return clouds;
}

// A butterfly with its wing-beat phase: one draw.
Butterfly* drawButterfly()
{
    Butterfly* butterfly = new Butterfly();
    butterfly->phase = static_cast<float>(drawUnit());
    return butterfly;
}

}  // namespace

LandscapeScene::LandscapeScene()
{
    restSharedState();
    setColourStops(skyStops, groundStops);

    // Fixed seed: the same layout at every start. The draws come in the
    // order of this list; the pictures and the figure take none.
    std::srand(1001);
    for (int i = 0; i < kItems; ++i)
        items[i] = drawGroundItem(i);
    floorTexture = new Texture("images/floor01.jpg", 512, 512);
    smokeTexture = new Texture("images/smoke.png", 256, 256);
    measureSmokeCover();
    figure = new Figure();
    clouds = loadClouds();
    for (int j = 0; j < kButterflies; ++j)
        butterflies[j] = drawButterfly();
}

LandscapeScene::~LandscapeScene()
{
    for (GroundItem* item : items)
        delete item;
    delete floorTexture;
    delete smokeTexture;
    delete figure;
    delete clouds;
    for (Butterfly* butterfly : butterflies)
        delete butterfly;
}

void LandscapeScene::measureSmokeCover()
{
    const int w = smokeTexture->width;
    const int h = smokeTexture->height;
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
    // Pixel-store state: pack alignment 1, restored below.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    smokeTexture->bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glPopClientAttrib();

    int minCol = w, maxCol = -1, minRow = h, maxRow = -1;
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            if (rgba[(static_cast<size_t>(row) * w + col) * 4 + 3] != 0) {
                minCol = std::min(minCol, col);
                maxCol = std::max(maxCol, col);
                minRow = std::min(minRow, row);
                maxRow = std::max(maxRow, row);
            }
    if (maxCol < 0) {
        smokeCover[0] = smokeCover[1] = 1.0f;
        smokeCover[2] = smokeCover[3] = 0.0f;
        return;
    }
    // The filter reaches one texel further; with repeat wrapping, cover that
    // touches an edge reaches the far edge too, so that axis is covered whole.
    const auto widen = [](int lo, int hi, int n, float& a, float& b) {
        if (lo == 0 || hi == n - 1) {
            a = 0.0f;
            b = 1.0f;
        } else {
            a = static_cast<float>(lo - 1) / n;
            b = static_cast<float>(hi + 2) / n;
        }
    };
    widen(minCol, maxCol, w, smokeCover[0], smokeCover[2]);
    widen(minRow, maxRow, h, smokeCover[1], smokeCover[3]);
}
