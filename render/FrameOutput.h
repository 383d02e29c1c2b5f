// FrameOutput: where the renderer's written frames go (numbered PNG files, a
// video file), behind one interface, so that the drawing loop reads each
// frame back and hands it over the same way whatever becomes of it. The main
// thread calls it; each output encodes on a thread of its own.
#pragma once

#include <string>
#include <vector>

class FrameOutput {
public:
    // The byte order the output wants the GL to read back: GL_RGB or
    // GL_BGRA, bottom row first in either case.
    enum class Pixels { Rgb, Bgra };

    virtual ~FrameOutput() = default;

    virtual Pixels pixels() const = 0;
    // A buffer to read a frame into, handed back through write.
    virtual std::vector<unsigned char> buffer() = 0;
    // Queues written frame k (frames come in order from 0). False when an
    // earlier frame could not be written: nothing is queued then.
    virtual bool write(int k, std::vector<unsigned char> pixels) = 0;
    // Writes what is queued and completes the output; false when something
    // could not be written.
    virtual bool finish() = 0;
    // What could not be written and why, as one line; empty before.
    virtual std::string failure() const = 0;
    // What the frames went into, for the console ("out.mp4", "frames/").
    virtual std::string name() const = 0;
};
