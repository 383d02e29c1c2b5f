// Scene: the interface of everything the timeline or a gate draws.
// Main thread only, with the window's GL context current.
#pragma once

class Scene {
public:
    virtual ~Scene() {}
    // time: seconds since the scene's entry began; level: 0 on the timeline,
    // the gate's current non-zero value for a gated scene.
    virtual void render(float time, float level) = 0;
};
