// Transport: maps the show's clock (seconds since its first frame, which
// nothing moves) to the frame time the frame sequence draws, following the
// seeks and loops requested over OSC. The show and the offline renderer apply
// the same rule: a request takes effect at the first frame drawn after it
// came in. Main thread only.
//
// A seek makes the frame time continue from its target. A loop sends the
// frame time from its start again whenever it reaches the loop's end; one set
// while the frame time is at or past its end sends it to the start at once.
// A seek to or past the end of a running loop lets the frame time run on from
// there (the loop sent again catches it). Ending the loop (0 0) lets the
// frame time run on from where it is.
#pragma once

#include <cstdint>

#include "control/TransportRequests.h"

class Transport {
public:
    // Requests made already count as applied: a transport starts with the
    // frame time equal to the clock and no loop.
    Transport();

    // The frame time for clock time `clock` (never less than at the last
    // call), after applying the requests made since the last call.
    float frameTime(float clock);

    // The rule itself, at clock time `clock`.
    void seek(double clock, double to);
    void loop(double clock, double start, double end);  // end <= start: no loop
    double map(double clock) const;

private:
    void takeRequests(double clock);

    // The frame time runs as frameAnchor_ + (clock - clockAnchor_) until a loop
    // catches it.
    double clockAnchor_ = 0.0;
    double frameAnchor_ = 0.0;
    bool looping_ = false;
    double loopStart_ = 0.0;
    double loopEnd_ = 0.0;
    TransportRequests seen_;
};
