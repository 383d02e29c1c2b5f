#include "render/OfflineRenderer.h"

#include <GL/glew.h>

#include <cstdio>
#include <sys/stat.h>

#include "frame/FrameSequence.h"
#include "frame/ShowGl.h"
#include "gfx/FboStage.h"
#include "gfx/FrameBufferObject.h"
#include "gfx/Texture.h"
#include "gfx/WindowGlobals.h"
#include "render/BoundTextureScene.h"
#include "render/FrameWriter.h"
#include "render/ProgressBar.h"
#include "render/RenderConsole.h"
#include "scenes/ImageSequenceScene.h"
#include "scenes/TiledDiscScene.h"
#include "scenes/landscape/LandscapeScene.h"

OfflineRenderer::OfflineRenderer(const RenderSettings& settings)
    : settings_(settings), writer_(std::make_unique<FrameWriter>(settings.width, settings.height))
{
    setUpGl();
    scene_.reset(makeScene());
    timeline_.addTimelineEntry(scene_.get(), 0.0f, kShowEnd);
    if (!settings_.oscFile.empty())
        recording_.load(settings_.oscFile.c_str());
}

OfflineRenderer::~OfflineRenderer()
{
    writer_.reset();
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

// The recording's seeks and loops move the frame time as they moved the
// show's, from the first frame after them.
void OfflineRenderer::drawFrame(double clock)
{
    recording_.applyUntil(clock);
    const float t = transport_.frameTime(static_cast<float>(clock));
    window_->bind();
    drawFrameSequence(timeline_, *stage_, t);
    window_->unbind();
}

bool OfflineRenderer::writeFrame(int k)
{
    std::vector<unsigned char> rgb = writer_->buffer();
    window_->bind();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, settings_.width, settings_.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    window_->unbind();
    return writer_->write(settings_.framePath(k), std::move(rgb));
}

bool OfflineRenderer::finishWriting()
{
    if (writer_->finish())
        return true;
    reportFrameNotWritten(writer_->failedPath(), writer_->failure());
    return false;
}

int OfflineRenderer::run()
{
    ProgressBar progress(stderr);
    drawPreroll(progress);
    drawWritten(progress);
    if (!finishWriting())
        return 1;
    warnOfStaleFrames();
    return 0;
}

// The frames before --from are drawn in full, for the state they leave to
// later frames (the landscape's smoothing, the shake's random numbers, the
// window's image under a translucent stage); only the read-back is spared.
void OfflineRenderer::drawPreroll(ProgressBar& progress)
{
    const int n = settings_.prerollFrames();
    progress.start("pre-roll", n);
    for (int j = 0; j < n; ++j) {
        drawFrame(settings_.prerollFrameTime(j));
        progress.update(j + 1);
    }
}

// Stops at the first frame the writer thread could not write.
void OfflineRenderer::drawWritten(ProgressBar& progress)
{
    const int n = settings_.writtenFrames();
    progress.start("render", n);
    for (int k = 0; k < n; ++k) {
        drawFrame(settings_.writtenFrameTime(k));
        if (!writeFrame(k))
            return;
        progress.update(k + 1);
    }
}

// Numbered frames after the last one written are an earlier render's.
void OfflineRenderer::warnOfStaleFrames() const
{
    const std::string next = settings_.framePath(settings_.writtenFrames());
    struct stat st;
    if (stat(next.c_str(), &st) == 0)
        reportStaleFrames(settings_.outDir, next.substr(next.size() - 9));
}
