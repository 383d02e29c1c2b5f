#include "frame/Timeline.h"

#include <GL/glew.h>

#include "frame/FrameErrors.h"
#include "scenes/Scene.h"

Timeline::Timeline()
{
    for (int i = 0; i < kCapacity; ++i) {
        timeline_[i] = nullptr;
        gated_[i] = nullptr;
        gateStart_[i] = 0.0f;
    }
}

// The entries are the timeline's own; the scenes they point to are not.
Timeline::~Timeline()
{
    for (int i = 0; i < timelineCount_; ++i)
        delete timeline_[i];
    for (int i = 0; i < gatedCount_; ++i)
        delete gated_[i];
}

bool Timeline::addTimelineEntry(Scene* scene, float start, float end)
{
    if (timelineCount_ >= kCapacity) {
        reportTableFull("timeline");
        return false;
    }
    timeline_[timelineCount_++] = new TimelineEntry{start, end, scene};
    return true;
}

int Timeline::addGatedScene(Scene* scene, const std::atomic<float>* gate)
{
    if (gatedCount_ >= kCapacity) {
        reportTableFull("gated");
        return -1;
    }
    gated_[gatedCount_++] = new GatedEntry{gate, scene};
    return gatedCount_;
}

void Timeline::removeScene(const Scene* scene)
{
    int kept = 0;
    for (int i = 0; i < timelineCount_; ++i) {
        if (timeline_[i]->scene == scene)
            delete timeline_[i];
        else
            timeline_[kept++] = timeline_[i];
    }
    for (int i = kept; i < timelineCount_; ++i)
        timeline_[i] = nullptr;
    timelineCount_ = kept;

    kept = 0;
    for (int i = 0; i < gatedCount_; ++i) {
        if (gated_[i]->scene == scene) {
            delete gated_[i];
            continue;
        }
        gated_[kept] = gated_[i];
        gateStart_[kept++] = gateStart_[i];
    }
    for (int i = kept; i < gatedCount_; ++i) {
        gated_[i] = nullptr;
        gateStart_[i] = 0.0f;
    }
    gatedCount_ = kept;
}

void Timeline::drawScenes(float t)
{
    for (int i = 0; i < timelineCount_; ++i) {
        const TimelineEntry* e = timeline_[i];
        if (e->start <= t && t <= e->end) {
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            e->scene->render(t - e->start, 0.0f);
            glPopAttrib();
        }
    }
    for (int i = 0; i < gatedCount_; ++i) {
        const GatedEntry* e = gated_[i];
        const float v = e->gate->load(std::memory_order_relaxed);
        if (v == 0.0f) {
            gateStart_[i] = 0.0f;
            continue;
        }
        // A gate opening at exactly t = 0 stores 0, which still reads as
        // closed, so its clock starts again on the next frame. A seek back to
        // before the gate opened starts it again too: no scene gets a
        // negative time.
        if (gateStart_[i] == 0.0f || t < gateStart_[i])
            gateStart_[i] = t;
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        e->scene->render(t - gateStart_[i], v);
        glPopAttrib();
    }
}

bool fadeActive(float t)
{
    return t >= 420.0f;
}

float fadeAlpha(float t)
{
    if (!fadeActive(t))
        return 0.0f;
    const float a = static_cast<float>((t - 420.0) * 0.1);
    return a > 1.0f ? 1.0f : a;
}
