// FeedbackListener: what the bridge's engine tells of every change of an
// input: OSC clients now, any other kind of listener (a page in a browser)
// later. Its calls come on the engine's thread only and must not block.
#pragma once

#include <chrono>
#include <string>

// Who made a change: the client ("midi", "HOST:PORT" for an OSC app, or
// whatever a source names itself) and, for OSC, the address it used.
struct EventOrigin {
    std::string client;
    std::string address;
};

struct InputChange {
    int id = 0;
    int value = 0;  // the value the input is going to, 0 to 32765
    EventOrigin origin;
};

class FeedbackListener {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~FeedbackListener() = default;

    // An input was set to a new value (smoothing may still be on its way).
    virtual void inputChanged(const InputChange& change, Clock::time_point now) = 0;
    // Called on every pass of the engine: sends what the listener's own
    // pacing held back, and returns when it next wants to be called
    // (Clock::time_point::max() for no time of its own).
    virtual Clock::time_point flushHeld(Clock::time_point now) = 0;
};
