// ImageSequenceScene: a numbered series of JPEG pictures from one folder,
// played as a full-screen flip-book blended over what the frame already
// holds, more opaque as the entry's level rises. Main thread only, with the
// GL context current from construction to deletion.
#pragma once

#include <string>

#include "scenes/Scene.h"

class Texture;

class ImageSequenceScene : public Scene {
public:
    static constexpr int kMaxFrames = 64;

    // Loads folder/01.jpg, folder/02.jpg, ... (count of them) as 512 x 512
    // textures, each with the image loader's load line; a missing or broken
    // file ends the process with exit code 1. A count above the table's 64
    // loads the first 64 and refuses the rest with one line on standard
    // error; a count of 0 or less loads nothing.
    ImageSequenceScene(const char* folder, int count);
    // Deletes every loaded frame's texture.
    ~ImageSequenceScene() override;

    ImageSequenceScene(const ImageSequenceScene&) = delete;
    ImageSequenceScene& operator=(const ImageSequenceScene&) = delete;

    // Loads one more frame as above. On a full table the file is refused
    // with one line on standard error, untouched, and false is returned.
    bool addFrame(const char* fileName);

    // Draws the frame for this time over the whole viewport with opacity
    // 0.8 x level + 0.6; with no frames loaded it draws nothing.
    void render(float time, float level) override;

    int frameCount() const { return frameCount_; }

    // The file of frame number n (from 1) in a folder: at least two digits.
    static std::string frameFileName(const char* folder, int number);

private:
    int frameIndex(float time) const;

    Texture* frames_[kMaxFrames];
    int frameCount_ = 0;
};
