#include "scenes/ImageSequenceScene.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>

#include "gfx/RenderState.h"
#include "gfx/Texture.h"
#include "scenes/SceneErrors.h"

ImageSequenceScene::ImageSequenceScene(const char* folder, int count)
{
    for (Texture*& frame : frames_)
        frame = nullptr;
    if (count > kMaxFrames) {
        reportFramesRefused(folder, count, kMaxFrames);
        count = kMaxFrames;
    }
    for (int i = 1; i <= count; ++i)
        addFrame(frameFileName(folder, i).c_str());
}

ImageSequenceScene::~ImageSequenceScene()
{
    for (int i = 0; i < frameCount_; ++i)
        delete frames_[i];
}

bool ImageSequenceScene::addFrame(const char* fileName)
{
    if (frameCount_ >= kMaxFrames) {
        reportFrameTableFull(fileName, kMaxFrames);
        return false;
    }
    frames_[frameCount_++] = new Texture(fileName, 512, 512);
    return true;
}

std::string ImageSequenceScene::frameFileName(const char* folder, int number)
{
    const char* format = "%s/%.2i.jpg";
    const int length = std::snprintf(nullptr, 0, format, folder, number);
    std::string name(size_t(length) + 1, '\0');
    std::snprintf(&name[0], name.size(), format, folder, number);
    name.resize(size_t(length));
    return name;
}

// The table plays through once every frameCount / 50 seconds. The factor is
// frameCount - 1, so the last frame never shows (with one or two frames the
// first always does). A time outside the cycle's reach (negative, not a
// number) falls back into the table instead of past either end.
int ImageSequenceScene::frameIndex(float time) const
{
    double phase = std::fmod(time * 50.0 / frameCount_, 1.0);
    if (phase < 0.0)
        phase += 1.0;
    if (!(phase >= 0.0 && phase < 1.0))
        phase = 0.0;
    return int(phase * (frameCount_ - 1));
}

void ImageSequenceScene::render(float time, float level)
{
    if (frameCount_ == 0)
        return;
    // Premultiplied over the frame: image + (1 - alpha) x what was there.
    // Blending itself is on from start-up; the entry's attribute pop puts
    // the previous function back.
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    frames_[frameIndex(time)]->bind();
    glColor4f(1, 1, 1, float(0.8 * level + 0.6));
    // Upright: the files' first row (t = 0) at the top.
    drawTexturedScreenQuad(0, 1, 1, 0);
}
