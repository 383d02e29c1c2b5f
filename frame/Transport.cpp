#include "frame/Transport.h"

#include <cmath>
#include <thread>

Transport::Transport()
{
    // Nothing else writes requests while the show and the renderer make
    // their transport; a test that does is given time to finish.
    while (!readTransportRequests(seen_))
        std::this_thread::yield();
}

float Transport::frameTime(float clock)
{
    takeRequests(clock);
    return static_cast<float>(map(clock));
}

// A request being written just now is taken at the next frame. Of several
// made between two frames the latest seek and the latest loop count; the seek
// is applied first, so that a loop sent with it catches the time it set.
void Transport::takeRequests(double clock)
{
    TransportRequests r;
    if (!readTransportRequests(r))
        return;
    if (r.seeks != seen_.seeks)
        seek(clock, r.seekTo);
    if (r.loops != seen_.loops)
        loop(clock, r.loopStart, r.loopEnd);
    seen_ = r;
}

void Transport::seek(double clock, double to)
{
    clockAnchor_ = clock;
    frameAnchor_ = to;
}

void Transport::loop(double clock, double start, double end)
{
    const double now = map(clock);
    looping_ = end > start;
    loopStart_ = start;
    loopEnd_ = end;
    frameAnchor_ = looping_ && now >= end ? start : now;
    clockAnchor_ = clock;
}

double Transport::map(double clock) const
{
    const double t = frameAnchor_ + (clock - clockAnchor_);
    if (!looping_ || frameAnchor_ >= loopEnd_ || t < loopEnd_)
        return t;
    return loopStart_ + std::fmod(t - loopEnd_, loopEnd_ - loopStart_);
}
