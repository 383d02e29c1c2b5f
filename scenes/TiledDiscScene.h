// TiledDiscScene: a flat disc of 19 rings of 20 tiles on jittered concentric
// rings that opens like petals every two seconds. It is lit and textured with
// whatever 2D texture the caller has bound; it binds none itself (in the show's
// frame that is the stage's own texture, left by the final pass, so whoever
// places the disc binds a picture first). Main thread only; construct it after
// the window exists (the layout follows the window's height-to-width ratio).
#pragma once

#include "scenes/Scene.h"

class TiledDiscScene : public Scene {
public:
    static constexpr int kRings = 20;         // ring outlines; tiles lie between neighbours
    static constexpr int kRingVertices = 20;  // per ring; the tables repeat vertex 0 after them

    // Lays the rings out from a fixed seed: the same disc every time.
    TiledDiscScene();

    // Clears the frame and draws the disc at its opening for this time; level
    // is ignored. Leaves the modelview at the disc's placement.
    void render(float time, float level) override;

private:
    void drawRing(int ring, double opening) const;
    void vertex(int ring, int i, float texOffset) const;

    float positions[kRings][kRingVertices + 1][3];
    float texCoords[kRings][kRingVertices + 1][2];
};
