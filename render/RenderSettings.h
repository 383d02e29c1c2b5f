// RenderSettings: what one offline render draws and where it writes, as the
// render tool's options give them, with the checks made before anything is
// drawn. Main thread.
#pragma once

#include <string>
#include <vector>

#include "levels/LevelMapping.h"

struct RenderSettings {
    enum class SceneKind { Landscape, Disc, Sequence };

    SceneKind scene = SceneKind::Landscape;
    double from = 0.0;  // seconds of frame time, the first written frame
    double to = 0.0;    // seconds, inclusive
    double fps = 30.0;
    std::string outDir;     // empty: no PNG files
    std::string videoFile;  // empty: no video; else .mp4 or .mkv
    int crf = 18;           // the .mp4's H.264 quality, 0 (lossless) to 51
    std::string preset = "superfast";  // the .mp4's libx264 speed
    std::string audioFile;  // the video's sound track; empty: none
    double audioOffset = 0.0;  // sound seconds at frame time 0
    std::string reactFile;  // sound whose levels steer the input; empty: none
    std::vector<LevelMappingRule> mappings;  // for reactFile; empty: the defaults
    std::string oscFile;  // empty: no recorded input
    int width = 800;
    int height = 600;
    std::string framesDir;  // the sequence's folder of 01.jpg, 02.jpg, ...
    int count = 0;          // the sequence's number of pictures
    std::string texture = "images/floor01.jpg";  // the disc's picture

    // The most frames one render draws, pre-roll included.
    static constexpr double kMaxFrames = 1e7;
    // The largest output side: the stage doubles it up to a power of two.
    static constexpr int kMaxSide = 4096;
    // The last frame time that --react reaches: its levels, 50 a second,
    // are all computed before the first frame.
    static constexpr double kMaxReactSeconds = 4 * 3600.0;

    // Frames written: from, from + 1/fps, ... up to to.
    int writtenFrames() const;
    // Frames drawn before the first written one: 0, 1/fps, ... below from.
    int prerollFrames() const;
    // Frame time of written frame k and of pre-roll frame j.
    double writtenFrameTime(int k) const;
    double prerollFrameTime(int j) const;
    // The file of written frame k: 00000.png, 00001.png, ... in outDir.
    std::string framePath(int k) const;

    // The video's sound track: --audio, or else the --react sound.
    const std::string& soundTrack() const { return audioFile.empty() ? reactFile : audioFile; }

    // Checks the values and the files they name, makes the output folder if
    // it is missing and makes sure a file can be written in it. Empty when
    // the render can start; otherwise one line saying what is wrong.
    std::string check() const;

    // "WxH" with both sides positive decimal numbers; false otherwise.
    static bool parseSize(const std::string& text, int& width, int& height);
};
