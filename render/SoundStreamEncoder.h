// SoundStreamEncoder: the sound track of a video file: a decoded sound,
// converted and resampled with libswresample, encoded (AAC in MP4, FLAC in
// Matroska) and written into the file's muxer as its second stream, a piece
// at a time as the video grows. Used by VideoEncoder on whichever single
// thread owns it.
#pragma once

#include <string>

struct AVCodecContext;
struct AVAudioFifo;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;
struct DecodedSound;
struct SwrContext;

class SoundStreamEncoder {
public:
    // sound: must outlive this; video time v plays the sound at start + v
    // seconds, silence before its beginning. Adds the stream to `muxer`
    // (before its header is written); error() says why when it cannot.
    // `path` names the file in error lines.
    SoundStreamEncoder(AVFormatContext* muxer, const std::string& path, const DecodedSound& sound, double start,
                       bool aac);
    ~SoundStreamEncoder();
    SoundStreamEncoder(const SoundStreamEncoder&) = delete;
    SoundStreamEncoder& operator=(const SoundStreamEncoder&) = delete;

    const std::string& error() const { return error_; }
    const char* codecName() const;

    // Encodes and writes the sound up to video time `seconds` (never past
    // the sound's end). False with error() set when that fails.
    bool encodeUntil(double seconds);
    // Encodes what is left up to `seconds` and drains the encoder.
    bool finish(double seconds);

private:
    bool openCodec(bool aac);
    bool openResampler();
    bool convertUntil(double seconds);
    bool encodeFrames(bool all);
    bool send(AVFrame* frame);
    bool fail(const std::string& what, int code);

    AVFormatContext* muxer_;
    std::string path_;
    const DecodedSound& sound_;
    double start_;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    SwrContext* resampler_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    long long fed_ = 0;     // sound frames given to the resampler (negative: silence before it)
    long long encoded_ = 0; // samples encoded, at the codec's rate
    bool flushed_ = false;
    std::string error_;
};
