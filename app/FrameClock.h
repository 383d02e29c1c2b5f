// FrameClock: the show's frame time, in float seconds since the first frame.
// Main thread only. The tick source is injectable so that timing can be
// tested without waiting; by default it is SDL_GetTicks.
#pragma once

#include <cstdint>
#include <functional>

class FrameClock {
public:
    using TickSource = std::function<uint32_t()>;

    FrameClock();
    explicit FrameClock(TickSource ticks);

    // The frame time of the frame being drawn. The first call starts the clock,
    // then reads the ticks again, so the first frame is at 0 or a few ms.
    float frameTime();

    bool started() const { return started_; }

private:
    TickSource ticks_;
    bool started_ = false;
    float start_ = 0.0f;
};
