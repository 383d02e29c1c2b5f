// Butterfly: one butterfly circling a centre point with beating wings; its
// phase in [0, 1] sets speed, sense, size and wing rate. Main thread only.
#pragma once

struct Butterfly {
    float phase = 0.0f;

    // Draws it at time t (seconds) on its path round (x0, y0, z0) with radii
    // (rx, ry, rz) and the given alpha. With shadowPass it sets no colour.
    void draw(float t, float x0, float y0, float z0,
              float rx, float ry, float rz, float alpha, bool shadowPass) const;
};
