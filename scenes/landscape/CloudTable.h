// CloudTable: the six clouds of the landscape, each a set of at most 1024
// points read from a small bitmap. Built once at scene set-up and read by the
// scene's render; main thread only.
#pragma once

#include <cstdint>
#include <functional>

#include "scenes/landscape/CloudPoint.h"

class CloudTable {
public:
    static constexpr int kClouds = 6;
    static constexpr int kCapacity = 1024;

    // The raw pixel value at (column, row from the top) of a bitmap, with red
    // in bits 16-23, green in 8-15 and blue in 0-7; 0 is black.
    using PixelReader = std::function<uint32_t(uint32_t column, uint32_t row)>;

    // All slots empty, all counts 0.
    CloudTable();
    // Deletes every stored point.
    virtual ~CloudTable();

    CloudTable(const CloudTable&) = delete;
    CloudTable& operator=(const CloudTable&) = delete;

    // Replaces cloud `cloud` (0..5) with the non-black pixels of a width x
    // height bitmap, scanned from the bottom row up and left to right. The
    // first 1024 are kept; the centroid (truncated) counts all of them and
    // is subtracted from every kept point. A bitmap with no non-black pixel
    // gives an empty cloud.
    void setCloud(int cloud, int width, int height, const PixelReader& pixelAt);

    // Slots [0, count[c]) of points[c] hold the points, the rest are null.
    CloudPoint* points[kClouds][kCapacity];
    int32_t count[kClouds];
};
