#include "render/SoundStreamEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

#include "audio/DecodedSound.h"
#include "render/AvError.h"

namespace {
constexpr int kAacBitRate = 192000;
constexpr int kFallbackRate = 48000;  // for a file rate AAC does not offer
constexpr int kPiece = 4096;          // sound frames converted at a time
}  // namespace

SoundStreamEncoder::SoundStreamEncoder(AVFormatContext* muxer, const std::string& path, const DecodedSound& sound,
                                       double start, bool aac)
    : muxer_(muxer), path_(path), sound_(sound), start_(start)
{
    fed_ = std::llround(start * sound.frequency);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_)
        fail("cannot encode the sound track", AVERROR(ENOMEM));
    else if (openCodec(aac))
        openResampler();
}

SoundStreamEncoder::~SoundStreamEncoder()
{
    av_audio_fifo_free(fifo_);
    swr_free(&resampler_);
    avcodec_free_context(&codec_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
}

const char* SoundStreamEncoder::codecName() const
{
    return codec_ ? codec_->codec->name : "";
}

bool SoundStreamEncoder::fail(const std::string& what, int code)
{
    if (error_.empty())
        error_ = what + ": " + avErrorText(code);
    return false;
}

// AAC at the sound's own rate when AAC offers it; FLAC at any rate, in 24
// of its 32-bit samples (libsndfile's floats hold 24-bit sound exactly).
bool SoundStreamEncoder::openCodec(bool aac)
{
    const AVCodec* codec = avcodec_find_encoder(aac ? AV_CODEC_ID_AAC : AV_CODEC_ID_FLAC);
    if (!codec)
        return fail(std::string("no ") + (aac ? "AAC" : "FLAC") + " encoder", AVERROR_ENCODER_NOT_FOUND);
    codec_ = avcodec_alloc_context3(codec);
    if (!codec_)
        return fail("cannot encode the sound track", AVERROR(ENOMEM));
    int rate = sound_.frequency;
    if (aac && codec->supported_samplerates) {
        const int* r = codec->supported_samplerates;
        while (*r && *r != rate)
            ++r;
        if (!*r)
            rate = kFallbackRate;
    }
    codec_->sample_rate = rate;
    codec_->time_base = AVRational{1, rate};
    codec_->sample_fmt = aac ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S32;
    if (aac)
        codec_->bit_rate = kAacBitRate;
    else
        codec_->bits_per_raw_sample = 24;
    av_channel_layout_default(&codec_->ch_layout, sound_.channels);
    codec_->flags |= AV_CODEC_FLAG_BITEXACT;
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER)
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int ret = avcodec_open2(codec_, codec, nullptr);
    if (ret < 0)
        return fail(std::string("cannot open the ") + codec->name + " encoder", ret);
    stream_ = avformat_new_stream(muxer_, nullptr);
    if (!stream_)
        return fail("cannot add the sound track", AVERROR(ENOMEM));
    stream_->time_base = codec_->time_base;
    ret = avcodec_parameters_from_context(stream_->codecpar, codec_);
    if (ret < 0)
        return fail("cannot add the sound track", ret);
    const int frameSize = codec_->frame_size > 0 ? codec_->frame_size : 1024;
    fifo_ = av_audio_fifo_alloc(codec_->sample_fmt, sound_.channels, frameSize * 2);
    return fifo_ ? true : fail("cannot encode the sound track", AVERROR(ENOMEM));
}

bool SoundStreamEncoder::openResampler()
{
    AVChannelLayout in;
    av_channel_layout_default(&in, sound_.channels);
    int ret = swr_alloc_set_opts2(&resampler_, &codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate, &in,
                                  AV_SAMPLE_FMT_FLT, sound_.frequency, 0, nullptr);
    if (ret >= 0)
        ret = swr_init(resampler_);
    return ret < 0 ? fail("cannot convert the sound track", ret) : true;
}

// Hands the sound up to video time `seconds` to the resampler, a piece at a
// time, and keeps what comes out in the queue of samples to encode.
bool SoundStreamEncoder::convertUntil(double seconds)
{
    const long long total = (long long)(sound_.frames.size()) / sound_.channels;
    const long long until = std::min(std::llround((start_ + seconds) * sound_.frequency), total);
    const int channels = sound_.channels;
    std::vector<float> piece(size_t(kPiece) * channels);
    while (fed_ < until) {
        const int n = int(std::min<long long>(kPiece, until - fed_));
        for (int i = 0; i < n; ++i)
            for (int c = 0; c < channels; ++c)
                piece[size_t(i) * channels + c] =
                    fed_ + i < 0 ? 0.0f : sound_.frames[size_t((fed_ + i) * channels + c)];
        const uint8_t* in[] = {reinterpret_cast<const uint8_t*>(piece.data())};
        uint8_t** out = nullptr;
        const int room = swr_get_out_samples(resampler_, n);
        int ret = av_samples_alloc_array_and_samples(&out, nullptr, channels, room, codec_->sample_fmt, 0);
        if (ret < 0)
            return fail("cannot convert the sound track", ret);
        ret = swr_convert(resampler_, out, room, in, n);
        if (ret > 0 && av_audio_fifo_write(fifo_, reinterpret_cast<void**>(out), ret) < ret)
            ret = AVERROR(ENOMEM);
        av_freep(&out[0]);
        av_freep(&out);
        if (ret < 0)
            return fail("cannot convert the sound track", ret);
        fed_ += n;
    }
    return true;
}

// Whole frames of the encoder's size; with `all` the last, shorter one too.
bool SoundStreamEncoder::encodeFrames(bool all)
{
    const int frameSize = codec_->frame_size > 0 ? codec_->frame_size : 1024;
    while (av_audio_fifo_size(fifo_) >= frameSize || (all && av_audio_fifo_size(fifo_) > 0)) {
        const int n = std::min(frameSize, av_audio_fifo_size(fifo_));
        av_frame_unref(frame_);
        frame_->nb_samples = n;
        frame_->format = codec_->sample_fmt;
        frame_->sample_rate = codec_->sample_rate;
        int ret = av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
        if (ret >= 0)
            ret = av_frame_get_buffer(frame_, 0);
        if (ret >= 0 && av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), n) < n)
            ret = AVERROR_BUG;
        if (ret < 0)
            return fail("cannot encode the sound track", ret);
        frame_->pts = encoded_;
        encoded_ += n;
        if (!send(frame_))
            return false;
    }
    return true;
}

// One frame into the encoder (null drains it), every packet out into the file.
bool SoundStreamEncoder::send(AVFrame* frame)
{
    int ret = avcodec_send_frame(codec_, frame);
    if (ret < 0)
        return fail("cannot encode the sound track", ret);
    while ((ret = avcodec_receive_packet(codec_, packet_)) >= 0) {
        av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        ret = av_interleaved_write_frame(muxer_, packet_);
        if (ret < 0)
            return fail("cannot write " + path_, ret);
    }
    return ret == AVERROR(EAGAIN) || ret == AVERROR_EOF ? true : fail("cannot encode the sound track", ret);
}

bool SoundStreamEncoder::encodeUntil(double seconds)
{
    return error_.empty() && convertUntil(seconds) && encodeFrames(false);
}

bool SoundStreamEncoder::finish(double seconds)
{
    if (!error_.empty() || flushed_)
        return error_.empty();
    flushed_ = true;
    if (!convertUntil(seconds))
        return false;
    // What the resampler still holds.
    const int room = swr_get_out_samples(resampler_, 0);
    if (room > 0) {
        uint8_t** out = nullptr;
        int ret = av_samples_alloc_array_and_samples(&out, nullptr, sound_.channels, room, codec_->sample_fmt, 0);
        if (ret < 0)
            return fail("cannot convert the sound track", ret);
        ret = swr_convert(resampler_, out, room, nullptr, 0);
        if (ret > 0 && av_audio_fifo_write(fifo_, reinterpret_cast<void**>(out), ret) < ret)
            ret = AVERROR(ENOMEM);
        av_freep(&out[0]);
        av_freep(&out);
        if (ret < 0)
            return fail("cannot convert the sound track", ret);
    }
    return encodeFrames(true) && send(nullptr);
}
