#include "audio/SoundChannel.h"

#include <algorithm>

#include "audio/Sound.h"
#include "audio/SoundStream.h"

SoundChannel::SoundChannel(const SpectrumAnalyser& analyser) : analyser_(analyser) {}

SoundResult SoundChannel::setVolume(float volume)
{
    if (!(volume >= 0.0f && volume <= 1.0f))
        return SOUND_ERR_INVALID_PARAM;
    volume_.store(volume, std::memory_order_relaxed);
    return SOUND_OK;
}

SoundResult SoundChannel::getSpectrum(float* values, int count, int channelOffset, SpectrumWindow window)
{
    if (!values || count != SpectrumAnalyser::kBins || channelOffset < 0 || channelOffset > 1 ||
        window != SPECTRUM_WINDOW_HANN)
        return SOUND_ERR_INVALID_PARAM;
    if (!sound_.load(std::memory_order_acquire))
        return SOUND_ERR_CHANNEL_FREE;
    if (fileFailed_.load(std::memory_order_relaxed))
        return SOUND_ERR_FILE_READ;
    analyser_.analyse(sides_[channelOffset], scratch_, values);
    return SOUND_OK;
}

void SoundChannel::start(Sound* sound)
{
    sides_[0].clear();
    sides_[1].clear();
    volume_.store(1.0f, std::memory_order_relaxed);
    from_[0] = from_[1] = to_[0] = to_[1] = 0.0f;
    phase_ = 2.0;  // the first two frames are taken before anything plays
    fileDraining_ = fileEnded_ = false;
    fileFailed_.store(false, std::memory_order_relaxed);
    playedFrame_ = 0;
    following_ = false;
    sound_.store(sound, std::memory_order_release);
}

void SoundChannel::renderFile(const Sound& sound, float* stereo, int count, int outputRate)
{
    SoundStream& stream = *sound.stream_;
    // Linear interpolation between the two frames around the position.
    const double step = double(sound.frequency_) / outputRate;
    for (int i = 0; i < count; ++i) {
        if (!catchUp(stream)) {
            stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
            continue;
        }
        const float t = float(phase_);
        for (int side = 0; side < 2; ++side)
            stereo[2 * i + side] = from_[side] + (to_[side] - from_[side]) * t;
        phase_ += step;
    }
    if (fileEnded_ && stream.failed())
        fileFailed_.store(true, std::memory_order_relaxed);
    sides_[0].push(stereo, count, 2);
    sides_[1].push(stereo + 1, count, 2);
}

bool SoundChannel::catchUp(SoundStream& stream)
{
    while (phase_ >= 1.0) {
        float next[2];
        if (fileEnded_ || !takeFrame(stream, next))
            return false;
        from_[0] = to_[0];
        from_[1] = to_[1];
        to_[0] = next[0];
        to_[1] = next[1];
        phase_ -= 1.0;
    }
    return true;
}

// The next frame as left and right (a mono file plays on both); after the
// last, one frame of silence to fall to. False while the stream is behind,
// and once that silence is played.
bool SoundChannel::takeFrame(SoundStream& stream, float* side)
{
    float frame[2];
    if (stream.take(frame)) {
        side[0] = frame[0];
        side[1] = frame[stream.channels() - 1];
        return true;
    }
    if (!stream.ended())
        return false;
    if (fileDraining_) {
        fileEnded_ = true;
        return false;
    }
    fileDraining_ = true;
    side[0] = side[1] = 0.0f;
    return true;
}

void SoundChannel::renderRecorded(const Sound& sound, float* stereo, int count)
{
    const uint64_t recorded = sound.recordedFrames_.load(std::memory_order_acquire);
    const uint64_t lag = uint64_t(sound.bufferFrames_ / 2);
    // Start trailing the record position, and start again when the two
    // clocks have drifted so far that the recording would overtake us.
    if (!following_ || playedFrame_ > recorded || recorded - playedFrame_ > uint64_t(sound.bufferFrames_) * 3 / 4) {
        playedFrame_ = recorded > lag ? recorded - lag : 0;
        following_ = true;
    }
    const int last = sound.channels_ - 1;
    for (int i = 0; i < count; ++i) {
        if (playedFrame_ >= recorded) {  // caught up: silence until more comes in
            stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
            continue;
        }
        const uint64_t at = (playedFrame_ % uint64_t(sound.bufferFrames_)) * sound.channels_;
        for (int side = 0; side < 2; ++side)
            stereo[2 * i + side] =
                sound.buffer_[at + std::min(side, last)].load(std::memory_order_relaxed) / 32768.0f;
        ++playedFrame_;
    }
}
