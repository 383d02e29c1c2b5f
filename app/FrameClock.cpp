#include "app/FrameClock.h"

#include <SDL.h>

FrameClock::FrameClock() : ticks_([] { return static_cast<uint32_t>(SDL_GetTicks()); }) {}

FrameClock::FrameClock(TickSource ticks) : ticks_(std::move(ticks)) {}

float FrameClock::frameTime()
{
    if (!started_) {
        start_ = static_cast<float>(ticks_() * 0.001);
        started_ = true;
    }
    return static_cast<float>(ticks_() * 0.001 - start_);
}
