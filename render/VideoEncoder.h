// VideoEncoder: a video file written with FFmpeg's libraries: H.264 (libx264,
// yuv420p, converted from RGB by libyuv) in MP4, or FFV1 (lossless RGB) in Matroska, chosen by the file's
// extension, with an optional sound track. The file is written under a
// temporary name (the final one with ".part" added) and renamed only once it
// is complete, so no file under the final name is ever a broken one. Both
// muxer and encoder are bit-exact: the same frames give the same bytes. Not
// thread-safe: one thread at a time (VideoWriter's encoder thread).
#pragma once

#include <memory>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct DecodedSound;
class SoundStreamEncoder;

struct VideoSettings {
    std::string path;  // ends in .mp4 or .mkv
    int width = 800;   // even for .mp4
    int height = 600;
    double fps = 30.0;
    int crf = 18;                        // H.264 quality: 0 (lossless) to 51
    std::string preset = "superfast";    // libx264's speed, ultrafast to veryslow
    const DecodedSound* sound = nullptr;  // the sound track, or none
    double soundStart = 0.0;             // sound seconds at video time 0
};

class VideoEncoder {
public:
    // Opens the encoders and the temporary file; error() says why not.
    explicit VideoEncoder(const VideoSettings& settings);
    // Removes the temporary file unless finish() completed it.
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Empty while all is well; else one line: what failed and why.
    const std::string& error() const { return error_; }
    static bool isMp4(const std::string& path);
    static bool isMkv(const std::string& path);

    // The next frame: width x height pixels as GL reads them back with
    // GL_BGRA (blue, green, red, alpha; bottom row first). False when it
    // cannot be encoded or written.
    bool addFrame(const unsigned char* bgra);
    // Drains the encoders, ends the sound track with the last frame, closes
    // the file and gives it its final name.
    bool finish();
    int frames() const { return frames_; }

private:
    bool openMuxer();
    bool openVideoCodec();
    bool openFile();
    bool fail(const std::string& what, int code);
    bool sendVideo(AVFrame* frame);
    void fillFrame(const unsigned char* bgra);

    VideoSettings settings_;
    std::string partial_;
    bool mp4_;
    AVFormatContext* muxer_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::unique_ptr<SoundStreamEncoder> sound_;
    int lock_ = -1;  // the temporary file, locked while this writes it
    bool fileOpen_ = false;
    bool finished_ = false;
    int frames_ = 0;
    std::string error_;
};
