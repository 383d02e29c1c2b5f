#include "render/OfflineRenderer.h"

#include <GL/glew.h>

#include <osc/OscOutboundPacketStream.h>

#include <cstdio>
#include <sys/stat.h>

#include "audio/DecodedSound.h"
#include "control/OscControlReceiver.h"
#include "frame/FrameSequence.h"
#include "frame/ShowGl.h"
#include "gfx/FboErrors.h"
#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "gfx/WindowGlobals.h"
#include "levels/TrackLevels.h"
#include "render/BoundTextureScene.h"
#include "render/PngFrameOutput.h"
#include "render/ProgressBar.h"
#include "render/RenderConsole.h"
#include "render/StopRequest.h"
#include "render/VideoWriter.h"
#include "scenes/ImageSequenceScene.h"
#include "scenes/TiledDiscScene.h"
#include "scenes/landscape/LandscapeScene.h"

OfflineRenderer::OfflineRenderer(const RenderSettings& settings)
    : settings_(settings)
{
    loadSounds();
    setUpGl();
    scene_.reset(makeScene());
    timeline_.addTimelineEntry(scene_.get(), 0.0f, kShowEnd);
    if (!settings_.oscFile.empty())
        recording_.load(settings_.oscFile.c_str());
    addTrackLevels();
    openOutputs();
}

OfflineRenderer::~OfflineRenderer()
{
    outputs_.clear();
    scene_.reset();
    wrapped_.reset();
    picture_.reset();
    delete stage_;
    delete window_;
}

// The window's start-up as the show makes it, with a framebuffer of the
// output size in place of the window: the globals, projection and GL state,
// the extension loader, a black start, then the stage.
void OfflineRenderer::setUpGl()
{
    const int w = settings_.width, h = settings_.height;
    setWindowGlobals(w, h, 32);
    setShowProjection(w, h);
    setShowStartupState();
    // Without a window system GLEW reports an error for its GLX part, but
    // it has loaded the GL part the stage needs; the stage checks for it.
    glewInit();

    window_ = new FrameBufferObject;
    window_->create(w, h, 0);
    if (!window_->isComplete())
        failFramebufferIncompleteAtStartup();
    window_->bind();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    window_->unbind();

    // The stage's texture starts undefined; the flip-book blends over what
    // it holds, so it starts black here, as the window does, for the same
    // bytes on every run.
    stage_ = new FboStage(w, h);
    stage_->begin();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stage_->end();
}

// The disc gets its picture at the size the show's floor texture has.
Scene* OfflineRenderer::makeScene()
{
    switch (settings_.scene) {
    case RenderSettings::SceneKind::Disc:
        picture_ = std::make_unique<Texture>(settings_.texture.c_str(), 512, 512);
        wrapped_ = std::make_unique<TiledDiscScene>();
        return new BoundTextureScene(wrapped_.get(), picture_.get());
    case RenderSettings::SceneKind::Sequence:
        return new ImageSequenceScene(settings_.framesDir.c_str(), settings_.count);
    case RenderSettings::SceneKind::Landscape:
        break;
    }
    return new LandscapeScene();
}

// Each sound file is decoded once, whole, before anything else is done.
void OfflineRenderer::loadSounds()
{
    const auto load = [](const char* option, const std::string& path) {
        auto sound = std::make_shared<DecodedSound>();
        const SoundResult result = decodeSoundFile(path.c_str(), *sound);
        if (result != SOUND_OK)
            failRenderSetup(std::string(option) + ": cannot read the sound file " + path + ": " +
                            soundErrorString(result));
        return std::shared_ptr<const DecodedSound>(std::move(sound));
    };
    if (!settings_.reactFile.empty())
        reactSound_ = load("--react", settings_.reactFile);
    if (settings_.videoFile.empty() || settings_.soundTrack().empty())
        return;
    soundTrack_ = settings_.soundTrack() == settings_.reactFile ? reactSound_
                                                                 : load("--audio", settings_.soundTrack());
}

// The levels the audio tool would have sent while the track played, as the
// same "/driftmeadow ID value" messages, one of each mapping every 20 ms up
// to the last written frame, among the recording's messages by time.
void OfflineRenderer::addTrackLevels()
{
    if (!reactSound_)
        return;
    TrackLevels levels(*reactSound_, settings_.audioOffset,
                       settings_.mappings.empty() ? defaultLevelMappings() : settings_.mappings);
    ProgressBar progress(stderr);
    const std::vector<TrackLevelStep> steps =
        levels.stepsUntil(settings_.to, [&progress](int done, int total) {
            if (done == 0)
                progress.start("levels", total);
            progress.update(done);
        });
    std::vector<std::pair<double, std::vector<char>>> messages;
    for (const TrackLevelStep& step : steps) {
        for (const auto& [id, value] : step.values) {
            char buffer[64];
            osc::OutboundPacketStream packet(buffer, sizeof buffer);
            packet << osc::BeginMessage(kInputAddress) << osc::int32(id) << osc::int32(value) << osc::EndMessage;
            messages.emplace_back(step.time, std::vector<char>(packet.Data(), packet.Data() + packet.Size()));
        }
    }
    recording_.add(std::move(messages));
}

// The PNG files first, so that they are completed before the video.
void OfflineRenderer::openOutputs()
{
    if (!settings_.outDir.empty())
        outputs_.push_back(std::make_unique<PngFrameOutput>(settings_));
    if (settings_.videoFile.empty())
        return;
    VideoSettings video;
    video.path = settings_.videoFile;
    video.width = settings_.width;
    video.height = settings_.height;
    video.fps = settings_.fps;
    video.crf = settings_.crf;
    video.preset = settings_.preset;
    video.sound = soundTrack_.get();
    video.soundStart = settings_.audioOffset + settings_.from;
    auto writer = std::make_unique<VideoWriter>(video);
    if (!writer->failure().empty())
        failRenderOutput(writer->failure());
    outputs_.push_back(std::move(writer));
}

// The recording's seeks and loops move the frame time as they moved the
// show's, from the first frame after them.
void OfflineRenderer::drawFrame(double clock)
{
    recording_.applyUntil(clock);
    const float t = transport_.frameTime(static_cast<float>(clock));
    window_->bind();
    drawFrameSequence(timeline_, *stage_, t);
    window_->unbind();
    if (glRanOutOfMemory())
        failRenderOutOfMemory();
}

// Rows packed without padding for the read-back; the caller's packing is
// given back.
void OfflineRenderer::readFrame(FrameOutput::Pixels pixels, unsigned char* out)
{
    GLint packing = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packing);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    window_->bind();
    const GLenum format = pixels == FrameOutput::Pixels::Rgb ? GL_RGB : GL_BGRA;
    glReadPixels(0, 0, settings_.width, settings_.height, format, GL_UNSIGNED_BYTE, out);
    window_->unbind();
    glPixelStorei(GL_PACK_ALIGNMENT, packing);
}

// Each output reads the frame back in the byte order it encodes from.
bool OfflineRenderer::writeFrame(int k)
{
    bool ok = true;
    for (const auto& output : outputs_) {
        std::vector<unsigned char> pixels = output->buffer();
        readFrame(output->pixels(), pixels.data());
        ok = output->write(k, std::move(pixels)) && ok;
    }
    return ok;
}

bool OfflineRenderer::finishWriting()
{
    for (const auto& output : outputs_) {
        if (!output->finish()) {
            reportNotWritten(output->failure());
            return false;
        }
    }
    return true;
}

int OfflineRenderer::run()
{
    ProgressBar progress(stderr);
    catchStopRequest();
    drawPreroll(progress);
    const int written = drawWritten(progress);
    if (stopRequested())
        return finishInterrupted(progress, written);
    if (!finishWriting())
        return 1;
    warnOfStaleFrames();
    return 0;
}

// Ctrl-C: what was handed over is completed (the video closed properly, so
// it plays), unless nothing was; then the unfinished video is removed.
int OfflineRenderer::finishInterrupted(const ProgressBar& progress, int written)
{
    if (progress.enabled())
        fputs("\n", stderr);
    if (written == 0) {
        outputs_.clear();
        reportInterrupted("", false, 0);
        return 130;
    }
    if (!finishWriting())
        return 1;
    std::string where;
    for (const auto& output : outputs_)
        where += (where.empty() ? "" : " and ") + output->name();
    reportInterrupted(where, outputs_.size() > 1, written);
    return 130;
}

// The frames before --from are drawn in full, for the state they leave to
// later frames (the landscape's smoothing, the shake's random numbers, the
// window's image under a translucent stage); only the read-back is spared.
void OfflineRenderer::drawPreroll(ProgressBar& progress)
{
    const int n = settings_.prerollFrames();
    progress.start("pre-roll", n);
    for (int j = 0; j < n && !stopRequested(); ++j) {
        drawFrame(settings_.prerollFrameTime(j));
        progress.update(j + 1);
    }
}

// Stops at the first frame an output could not write, or at Ctrl-C.
// Returns the number of frames handed over.
int OfflineRenderer::drawWritten(ProgressBar& progress)
{
    const int n = settings_.writtenFrames();
    progress.start("render", n);
    for (int k = 0; k < n; ++k) {
        if (stopRequested())
            return k;
        drawFrame(settings_.writtenFrameTime(k));
        if (!writeFrame(k))
            return k;
        progress.update(k + 1);
    }
    return n;
}

// Numbered frames after the last one written are an earlier render's.
void OfflineRenderer::warnOfStaleFrames() const
{
    if (settings_.outDir.empty())
        return;
    const std::string next = settings_.framePath(settings_.writtenFrames());
    struct stat st;
    if (stat(next.c_str(), &st) == 0)
        reportStaleFrames(settings_.outDir, next.substr(next.size() - 9));
}
