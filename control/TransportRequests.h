// The transport's requests: where the frame time should continue from
// ("/driftmeadow/seek") and which stretch of it should repeat
// ("/driftmeadow/loop"), as process-wide values. Only the thread that
// dispatches OSC writes them (the receive thread, or the main thread replaying
// a recording); the main thread reads them once a frame and applies them
// (frame/Transport.h). Every value is an atomic; a version count that is odd
// while a request is being written lets the reader see whole requests only.
#pragma once

#include <cstdint>

// The requests made so far: counts tell a new request from one already
// applied (the same seek sent twice seeks twice).
struct TransportRequests {
    uint32_t seeks = 0;
    float seekTo = 0.0f;  // seconds of frame time
    uint32_t loops = 0;
    float loopStart = 0.0f;  // 0 0: no loop
    float loopEnd = 0.0f;
};

// The dispatching thread: a finite time of 0 or more; for the loop end > start,
// or 0 0 to end it.
void requestSeek(float to);
void requestLoop(float start, float end);

// The requests as they stand. False, with `out` untouched, when one was being
// written at that very moment: the caller tries again later (the next frame).
bool readTransportRequests(TransportRequests& out);
