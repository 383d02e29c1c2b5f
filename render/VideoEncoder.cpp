#include "render/VideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}
#include <libyuv/convert.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include "render/AvError.h"
#include "render/SoundStreamEncoder.h"

namespace {

bool endsWith(const std::string& path, const char* ending)
{
    const size_t n = strlen(ending);
    return path.size() > n && strcasecmp(path.c_str() + path.size() - n, ending) == 0;
}

}  // namespace

bool VideoEncoder::isMp4(const std::string& path)
{
    return endsWith(path, ".mp4");
}

bool VideoEncoder::isMkv(const std::string& path)
{
    return endsWith(path, ".mkv");
}

VideoEncoder::VideoEncoder(const VideoSettings& settings)
    : settings_(settings), partial_(settings.path + ".part"), mp4_(isMp4(settings.path))
{
    // The libraries' own log lines stay off: every failure is one line of ours.
    av_log_set_level(AV_LOG_QUIET);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) {
        fail("cannot encode " + settings_.path, AVERROR(ENOMEM));
        return;
    }
    if (!openMuxer() || !openVideoCodec())
        return;
    if (settings_.sound) {
        sound_ = std::make_unique<SoundStreamEncoder>(muxer_, settings_.path, *settings_.sound,
                                                      settings_.soundStart, mp4_);
        if (!sound_->error().empty()) {
            error_ = sound_->error();
            return;
        }
    }
    openFile();
}

VideoEncoder::~VideoEncoder()
{
    sound_.reset();
    if (muxer_ && fileOpen_)
        avio_closep(&muxer_->pb);
    if (!finished_ && lock_ >= 0)
        remove(partial_.c_str());
    if (lock_ >= 0)
        close(lock_);
    avcodec_free_context(&codec_);
    avformat_free_context(muxer_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
}

bool VideoEncoder::fail(const std::string& what, int code)
{
    if (error_.empty())
        error_ = what + ": " + avErrorText(code);
    return false;
}

// The container by the extension; bit-exact, so no date or random ID.
bool VideoEncoder::openMuxer()
{
    const int ret = avformat_alloc_output_context2(&muxer_, nullptr, mp4_ ? "mp4" : "matroska", partial_.c_str());
    if (ret < 0)
        return fail("cannot make " + settings_.path, ret);
    muxer_->flags |= AVFMT_FLAG_BITEXACT;
    return true;
}

// H.264 at the chosen quality and speed, tagged as what libyuv's conversion
// from the GL's sRGB makes (BT.601 matrix, limited range); or FFV1 on the
// RGB bytes themselves.
bool VideoEncoder::openVideoCodec()
{
    const AVCodec* codec = mp4_ ? avcodec_find_encoder_by_name("libx264") : avcodec_find_encoder(AV_CODEC_ID_FFV1);
    if (!codec)
        return fail(std::string("cannot encode ") + settings_.path, AVERROR_ENCODER_NOT_FOUND);
    codec_ = avcodec_alloc_context3(codec);
    if (!codec_)
        return fail("cannot encode " + settings_.path, AVERROR(ENOMEM));
    const AVRational rate = av_d2q(settings_.fps, 1001000);
    codec_->width = settings_.width;
    codec_->height = settings_.height;
    codec_->time_base = av_inv_q(rate);
    codec_->framerate = rate;
    codec_->flags |= AV_CODEC_FLAG_BITEXACT;
    if (muxer_->oformat->flags & AVFMT_GLOBALHEADER)
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (mp4_) {
        codec_->pix_fmt = AV_PIX_FMT_YUV420P;
        codec_->color_range = AVCOL_RANGE_MPEG;
        codec_->colorspace = AVCOL_SPC_SMPTE170M;
        codec_->color_primaries = AVCOL_PRI_BT709;
        codec_->color_trc = AVCOL_TRC_IEC61966_2_1;
        av_dict_set(&options, "preset", settings_.preset.c_str(), 0);
        // libx264's own frame threads: a single one falls behind at 1920x1080.
        codec_->thread_count = 0;
        av_dict_set_int(&options, "crf", settings_.crf, 0);
    } else {
        codec_->pix_fmt = AV_PIX_FMT_BGR0;
        codec_->gop_size = 1;
        // On the encoder thread alone: FFmpeg 5.1's FFV1 slice threads clear
        // one shared block from two threads at once.
        codec_->thread_count = 1;
        codec_->level = 3;
        av_dict_set_int(&options, "slicecrc", 1, 0);
    }
    int ret = avcodec_open2(codec_, codec, &options);
    av_dict_free(&options);
    if (ret < 0)
        return fail(std::string("cannot open the ") + codec->name + " encoder for " + settings_.path, ret);
    stream_ = avformat_new_stream(muxer_, nullptr);
    if (!stream_)
        return fail("cannot make " + settings_.path, AVERROR(ENOMEM));
    stream_->time_base = codec_->time_base;
    stream_->avg_frame_rate = rate;
    ret = avcodec_parameters_from_context(stream_->codecpar, codec_);
    if (ret < 0)
        return fail("cannot make " + settings_.path, ret);
    frame_->format = codec_->pix_fmt;
    frame_->width = settings_.width;
    frame_->height = settings_.height;
    ret = av_frame_get_buffer(frame_, 0);
    return ret < 0 ? fail("cannot encode " + settings_.path, ret) : true;
}

// The temporary file and the header; MP4 puts its index at the front when
// the file is complete, so that a player can start before it has all. The
// temporary file is locked first: a second render of the same file is
// refused instead of writing into it, and one that was killed leaves no lock.
bool VideoEncoder::openFile()
{
    lock_ = open(partial_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (lock_ < 0)
        return fail("cannot write " + settings_.path, AVERROR(errno));
    if (flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        close(lock_);
        lock_ = -1;
        if (code == EWOULDBLOCK) {
            error_ = "cannot write " + settings_.path + ": another render is writing it";
            return false;
        }
        return fail("cannot write " + settings_.path, AVERROR(code));
    }
    int ret = avio_open(&muxer_->pb, partial_.c_str(), AVIO_FLAG_WRITE);
    if (ret < 0)
        return fail("cannot write " + settings_.path, ret);
    fileOpen_ = true;
    AVDictionary* options = nullptr;
    if (mp4_)
        av_dict_set(&options, "movflags", "+faststart", 0);
    ret = avformat_write_header(muxer_, &options);
    av_dict_free(&options);
    return ret < 0 ? fail("cannot write " + settings_.path, ret) : true;
}

// The frame upright: GL's rows come bottom first. libyuv's "ARGB" is the
// bytes B, G, R, A in memory, as GL_BGRA reads them back.
void VideoEncoder::fillFrame(const unsigned char* bgra)
{
    const int stride = settings_.width * 4;
    const unsigned char* top = bgra + size_t(stride) * (settings_.height - 1);
    if (mp4_) {
        libyuv::ARGBToI420(top, -stride, frame_->data[0], frame_->linesize[0], frame_->data[1], frame_->linesize[1],
                           frame_->data[2], frame_->linesize[2], settings_.width, settings_.height);
        return;
    }
    for (int y = 0; y < settings_.height; ++y)
        memcpy(frame_->data[0] + size_t(frame_->linesize[0]) * y, top - size_t(stride) * y, size_t(stride));
}

bool VideoEncoder::sendVideo(AVFrame* frame)
{
    int ret = avcodec_send_frame(codec_, frame);
    if (ret < 0)
        return fail("cannot encode " + settings_.path, ret);
    while ((ret = avcodec_receive_packet(codec_, packet_)) >= 0) {
        av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        ret = av_interleaved_write_frame(muxer_, packet_);
        if (ret < 0)
            return fail("cannot write " + settings_.path, ret);
    }
    return ret == AVERROR(EAGAIN) || ret == AVERROR_EOF ? true : fail("cannot encode " + settings_.path, ret);
}

bool VideoEncoder::addFrame(const unsigned char* bgra)
{
    if (!error_.empty())
        return false;
    int ret = av_frame_make_writable(frame_);
    if (ret < 0)
        return fail("cannot encode " + settings_.path, ret);
    fillFrame(bgra);
    frame_->pts = frames_;
    if (!sendVideo(frame_))
        return false;
    ++frames_;
    // The sound goes along with the picture, so the muxer can interleave
    // the two without holding much back.
    if (sound_ && !sound_->encodeUntil(frames_ / settings_.fps)) {
        error_ = sound_->error();
        return false;
    }
    return true;
}

bool VideoEncoder::finish()
{
    if (!error_.empty())
        return false;
    if (!sendVideo(nullptr))
        return false;
    if (sound_ && !sound_->finish(frames_ / settings_.fps)) {
        error_ = sound_->error();
        return false;
    }
    int ret = av_write_trailer(muxer_);
    if (ret < 0)
        return fail("cannot write " + settings_.path, ret);
    fileOpen_ = false;
    ret = avio_closep(&muxer_->pb);
    if (ret < 0) {
        remove(partial_.c_str());
        return fail("cannot write " + settings_.path, ret);
    }
    if (rename(partial_.c_str(), settings_.path.c_str()) != 0) {
        const int code = AVERROR(errno);
        remove(partial_.c_str());
        return fail("cannot write " + settings_.path, code);
    }
    finished_ = true;
    return true;
}
