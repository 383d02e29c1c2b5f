// LandscapeScene: the show's scene, a side view of a scrolling strip of land
// under a sky, whose look (grey blocks, houses, flowers) follows live input
// values 0 and 2. Built at start-up and rendered once per frame, both on the
// main thread with the GL context current.
#pragma once

#include "scenes/Scene.h"
#include "scenes/landscape/ColourStop.h"

class Butterfly;
class CloudTable;
class Figure;
class GroundItem;
class Texture;

class LandscapeScene : public Scene {
public:
    static constexpr int kItems = 60;
    static constexpr int kButterflies = 10;

    // Lays out the fixed random state (the generator is reseeded) and loads
    // the floor, the smoke and the six cloud bitmaps, printing one line each.
    // A picture that cannot be read ends the process in the image loader.
    // The smoothed control and the compiled clouds are shared by every
    // landscape scene (the show makes one); construction sets them back to
    // rest, so a new scene starts from the house look and compiles its clouds
    // on its first frame, as at start-up.
    LandscapeScene();
    ~LandscapeScene() override;

    LandscapeScene(const LandscapeScene&) = delete;
    LandscapeScene& operator=(const LandscapeScene&) = delete;

    // Advances the smoothed control and draws one frame; time in seconds
    // since the scene's entry began, level ignored. Gives the caller its GL
    // attributes back as it found them; the modelview comes back as the identity.
    void render(float time, float level) override;

    // Puts the smoothed control where holding input values 0 and 2 at these
    // levels settles it, so that a measurement can start in a settled look.
    static void settleControl(float input0, float input2);

    ColourStop skyStops[3];
    ColourStop groundStops[3];
    GroundItem* items[kItems];
    CloudTable* clouds;
    Texture* floorTexture;
    Texture* smokeTexture;
    Figure* figure;
    Butterfly* butterflies[kButterflies];

private:
    static void restSharedState();
    void drawSmoke(float t, float morph) const;
    // Reads the smoke texture back once and finds where it is not fully
    // transparent.
    void measureSmokeCover();
    // Confines the next puff, a quad from (x, y, z) of w x h, to the window
    // rectangle that the covered part of its picture can reach; false (and
    // the scissor left as it was) when that rectangle is empty, so the puff
    // cannot show.
    bool scissorToSmokeCover(float x, float y, float z, float w, float h) const;

    // Where the smoke texture is not fully transparent, in texture
    // coordinates (s0, t0, s1, t1), widened by a texel for the filter: only
    // there can a puff change the picture. Empty (s0 > s1) when nowhere.
    float smokeCover[4];
};
