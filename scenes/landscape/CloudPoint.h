// CloudPoint: one non-black pixel of a cloud bitmap, placed relative to the
// cloud's centroid (y grows upward). Plain record; main thread.
#pragma once

#include <cstdint>

struct CloudPoint {
    int32_t x;    // column minus the centroid column
    int32_t y;    // row counted from the bottom row up, minus the centroid row
    float red;    // byte / 255
    float green;
    float blue;
};
