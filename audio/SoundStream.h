// SoundStream: a sound file played from disk. A decoder thread of its own
// reads the file ahead into a ring of about 1.5 s of frames; the output
// callback takes them out one by one and never waits. Memory stays the same
// whatever the file's length, and a pipe that never ends is read as it
// comes. Made and deleted on the main thread; one reader (the output
// callback) at a time.
#pragma once

#include <memory>
#include <thread>

#include "audio/SoundResult.h"

class SoundStream {
public:
    // Opens the file and reads its first frames before it returns, so that
    // playing starts at once. With loop the file starts again at its end
    // (a file that cannot seek, such as a pipe, ends instead).
    static SoundResult open(const char* name, bool loop, std::unique_ptr<SoundStream>& out);

    // Stops the decoder. One blocked on a pipe that has stalled is left to
    // end on its own (it owns what it works on).
    ~SoundStream();
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    int channels() const;   // 1 or 2
    int frequency() const;  // frames per second

    // Reader: the next frame into frame[channels()]; false when none is
    // ready, either not yet (the decoder is behind) or no more (ended()).
    bool take(float* frame);
    // Reader: the file has ended and every frame of it was taken.
    bool ended() const;
    // The file could not be read to its end (it ends there).
    bool failed() const;

    struct Shared;

private:
    explicit SoundStream(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    std::thread decoder_;
};
