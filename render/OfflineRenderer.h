// OfflineRenderer: the show, or one of its other scenes, frame by frame into
// PNG files, at frame times set by the frame rate instead of the wall clock,
// steered by a recorded OSC performance. Each frame goes through the show's
// own frame sequence (timeline, fade, off-screen stage, shaken final pass)
// into a framebuffer of the output size that stands in for the window.
// Main thread, with a GL context current from construction to destruction.
#pragma once

#include <memory>

#include "control/OscRecording.h"
#include "frame/Timeline.h"
#include "frame/Transport.h"
#include "render/RenderSettings.h"

class FboStage;
class FrameBufferObject;
class FrameWriter;
class ProgressBar;
class Scene;
class Texture;

class OfflineRenderer {
public:
    // Settings that passed their check. Sets up the show's GL state, the
    // window's stand-in, the stage and the timeline with the chosen scene,
    // and reads the recording (reporting the lines it cannot read).
    explicit OfflineRenderer(const RenderSettings& settings);
    virtual ~OfflineRenderer();

    OfflineRenderer(const OfflineRenderer&) = delete;
    OfflineRenderer& operator=(const OfflineRenderer&) = delete;

    // Draws every frame from 0 s on (the pre-roll, which writes nothing) and
    // writes each from --from to --to. The process exit code: 0, or 1 when a
    // frame could not be written (after one line saying so).
    int run();

    // One frame at clock time `clock` (seconds since the first frame): the
    // recording's messages up to then, then the frame sequence, at the frame
    // time the transport makes of the clock, into the window's stand-in.
    // Without seeks or loops in the recording the frame time is the clock.
    // Both this and writeFrame leave the default framebuffer bound, so a
    // window in the same context draws as before.
    void drawFrame(double clock);
    // Reads the last frame back and hands it to the writer thread as written
    // frame k. False when an earlier frame could not be written.
    bool writeFrame(int k);
    // Waits for the writer thread; false (after one line saying which frame
    // and why) when a frame could not be written.
    bool finishWriting();

private:
    void setUpGl();
    Scene* makeScene();
    void drawPreroll(ProgressBar& progress);
    void drawWritten(ProgressBar& progress);
    void warnOfStaleFrames() const;

    RenderSettings settings_;
    Timeline timeline_;
    OscRecording recording_;
    Transport transport_;
    FrameBufferObject* window_ = nullptr;
    FboStage* stage_ = nullptr;
    // The timeline's one entry, and for the disc the scene and picture it
    // wraps.
    std::unique_ptr<Texture> picture_;
    std::unique_ptr<Scene> wrapped_;
    std::unique_ptr<Scene> scene_;
    std::unique_ptr<FrameWriter> writer_;
};
