// BoundTextureScene: another scene drawn with a picture bound as the 2D
// texture, for a scene that textures itself with whatever is bound (the tiled
// disc; in the show's frame the final pass leaves the stage's own image bound).
// Main thread only, with the GL context current.
#pragma once

#include "scenes/Scene.h"

class Texture;

class BoundTextureScene : public Scene {
public:
    // Owns neither; both must outlive it.
    BoundTextureScene(Scene* scene, const Texture* picture) : scene_(scene), picture_(picture) {}

    // Binds the picture, then renders the scene; the caller's attribute push
    // and pop round every scene gives the binding back afterwards.
    void render(float time, float level) override;

private:
    Scene* scene_;
    const Texture* picture_;
};
