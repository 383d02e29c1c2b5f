#include "scenes/landscape/CloudTable.h"

CloudTable::CloudTable()
{
    for (int c = 0; c < kClouds; ++c) {
        for (int i = 0; i < kCapacity; ++i)
            points[c][i] = nullptr;
        count[c] = 0;
    }
}

CloudTable::~CloudTable()
{
    for (int c = 0; c < kClouds; ++c)
        for (int i = 0; i < kCapacity; ++i)
            delete points[c][i];
}

void CloudTable::setCloud(int cloud, int width, int height, const PixelReader& pixelAt)
{
    CloudPoint** slots = points[cloud];
    for (int i = 0; i < kCapacity; ++i) {
        delete slots[i];
        slots[i] = nullptr;
    }
    int32_t& used = count[cloud];
    used = 0;

    // The sums run over every non-black pixel, kept or not; 64 bits so that
    // no bitmap size can overflow them.
    int64_t sumX = 0;
    int64_t sumY = 0;
    int64_t n = 0;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const uint32_t v = pixelAt(static_cast<uint32_t>(col),
                                       static_cast<uint32_t>(height - 1 - row));
            if (v == 0)
                continue;
            if (used < kCapacity) {
                slots[used++] = new CloudPoint{
                    col, row,
                    static_cast<float>(((v >> 16) & 255) / 255.0),
                    static_cast<float>(((v >> 8) & 255) / 255.0),
                    static_cast<float>((v & 255) / 255.0)};
            }
            sumX += col;
            sumY += row;
            ++n;
        }
    }

    // A bitmap without a non-black pixel has no centroid and no points.
    if (n == 0)
        return;
    const int32_t cx = static_cast<int32_t>(sumX / n);
    const int32_t cy = static_cast<int32_t>(sumY / n);
    for (int i = 0; i < used; ++i) {
        slots[i]->x -= cx;
        slots[i]->y -= cy;
    }
}
