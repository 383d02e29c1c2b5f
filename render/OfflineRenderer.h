// OfflineRenderer: the show, or one of its other scenes, frame by frame into
// PNG files or a video, at frame times set by the frame rate instead of the
// wall clock, steered by a recorded OSC performance or by the levels of a
// sound track (or both). Each frame goes through the show's
// own frame sequence (timeline, fade, off-screen stage, shaken final pass)
// into a framebuffer of the output size that stands in for the window.
// Main thread, with a GL context current from construction to destruction.
#pragma once

#include <memory>
#include <vector>

#include "control/OscRecording.h"
#include "frame/Timeline.h"
#include "frame/Transport.h"
#include "render/FrameOutput.h"
#include "render/RenderSettings.h"

struct DecodedSound;
class FboStage;
class FrameBufferObject;
class ProgressBar;
class Scene;
class Texture;

class OfflineRenderer {
public:
    // Settings that passed their check. Sets up the show's GL state, the
    // window's stand-in, the stage and the timeline with the chosen scene,
    // reads the recording (reporting the lines it cannot read) and the sound
    // files, adds the sound's levels to the recording, and opens the outputs.
    // A sound file that cannot be decoded ends the process with code 2, an
    // output that cannot be opened with code 1, after one line.
    explicit OfflineRenderer(const RenderSettings& settings);
    virtual ~OfflineRenderer();

    OfflineRenderer(const OfflineRenderer&) = delete;
    OfflineRenderer& operator=(const OfflineRenderer&) = delete;

    // Draws every frame from 0 s on (the pre-roll, which writes nothing) and
    // writes each from --from to --to. The process exit code: 0, or 1 when a
    // frame could not be written (after one line saying so), or 130 after
    // Ctrl-C, once what was written is complete (after one line saying how
    // many frames it holds).
    int run();

    // One frame at clock time `clock` (seconds since the first frame): the
    // recording's messages up to then, then the frame sequence, at the frame
    // time the transport makes of the clock, into the window's stand-in.
    // Without seeks or loops in the recording the frame time is the clock.
    // Both this and writeFrame leave the default framebuffer bound, so a
    // window in the same context draws as before.
    void drawFrame(double clock);
    // Reads the last frame back, bottom row first, in the given byte order:
    // width * height * 3 or 4 bytes into out.
    void readFrame(FrameOutput::Pixels pixels, unsigned char* out);
    // Reads the last frame back and hands it to each output as written
    // frame k. False when an earlier frame could not be written.
    bool writeFrame(int k);
    // Completes the outputs (the PNG files first, then the video); false
    // (after one line saying what and why) when something could not be
    // written, leaving the outputs not yet completed unfinished.
    bool finishWriting();

private:
    void setUpGl();
    Scene* makeScene();
    void loadSounds();
    void addTrackLevels();
    void openOutputs();
    void drawPreroll(ProgressBar& progress);
    int drawWritten(ProgressBar& progress);
    int finishInterrupted(const ProgressBar& progress, int written);
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
    // The video's sound track and the sound whose levels steer the input;
    // one object when both are the same file.
    std::shared_ptr<const DecodedSound> soundTrack_;
    std::shared_ptr<const DecodedSound> reactSound_;
    std::vector<std::unique_ptr<FrameOutput>> outputs_;
};
