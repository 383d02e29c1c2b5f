// Timeline: the two tables that decide which scenes draw in a frame: entries
// with a fixed window of frame time, and gated entries that draw while a
// control value is non-zero. Main thread only; gate values may be written by
// the OSC thread and are read whole, whenever the frame reaches them.
#pragma once

#include <atomic>

class Scene;

struct TimelineEntry {
    float start;  // first second of frame time that draws, inclusive
    float end;    // last second of frame time that draws, inclusive
    Scene* scene;
};

struct GatedEntry {
    const std::atomic<float>* gate;  // opens the gate while non-zero
    Scene* scene;
};

class Timeline {
public:
    static constexpr int kCapacity = 256;

    Timeline();
    virtual ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    // Both refuse a 257th entry with one line on standard error. addTimelineEntry
    // returns false then; addGatedScene returns the new count, or -1 when refused.
    bool addTimelineEntry(Scene* scene, float start, float end);
    int addGatedScene(Scene* scene, const std::atomic<float>* gate);

    // Takes every entry of `scene` out of both tables, keeping the order of
    // the rest: for an owner that deletes a scene while the window lives on.
    void removeScene(const Scene* scene);

    // Renders every active scene for frame time t, each inside a push and pop
    // of all GL attributes.
    void drawScenes(float t);

    int timelineCount() const { return timelineCount_; }
    int gatedCount() const { return gatedCount_; }

private:
    TimelineEntry* timeline_[kCapacity];
    int timelineCount_ = 0;
    GatedEntry* gated_[kCapacity];
    int gatedCount_ = 0;
    // Per gated slot, the frame time at which its gate opened; 0 means closed.
    float gateStart_[kCapacity];
};

// The show's length: the landscape draws from 0 s to this frame time.
constexpr float kShowEnd = 850.0f;

// Alpha of the black fade quad at frame time t: 0 before 420 s (no quad is
// drawn then), rising to 1.0 at 430 s and staying there.
bool fadeActive(float t);
float fadeAlpha(float t);
