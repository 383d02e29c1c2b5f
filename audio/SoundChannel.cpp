#include "audio/SoundChannel.h"

#include <algorithm>
#include <cmath>

#include "audio/Sound.h"

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
    analyser_.analyse(sides_[channelOffset], scratch_, values);
    return SOUND_OK;
}

void SoundChannel::start(Sound* sound)
{
    sides_[0].clear();
    sides_[1].clear();
    volume_.store(1.0f, std::memory_order_relaxed);
    filePosition_ = 0.0;
    playedFrame_ = 0;
    following_ = false;
    sound_.store(sound, std::memory_order_release);
}

void SoundChannel::renderFile(const Sound& sound, float* stereo, int count, int outputRate)
{
    const long total = sound.fileFrames();
    const double step = double(sound.frequency_) / outputRate;
    const int last = sound.channels_ - 1;
    for (int i = 0; i < count; ++i) {
        if (filePosition_ >= total && sound.loop_ && total > 0)
            filePosition_ = std::fmod(filePosition_, double(total));
        if (filePosition_ >= total) {
            stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
            continue;
        }
        // Linear interpolation between the frame at the position and the next.
        const long a = long(filePosition_);
        const float t = float(filePosition_ - a);
        const long b = a + 1 < total ? a + 1 : (sound.loop_ ? 0 : -1);
        for (int side = 0; side < 2; ++side) {
            const int c = std::min(side, last);
            const float va = sound.frames_[a * sound.channels_ + c];
            const float vb = b >= 0 ? sound.frames_[b * sound.channels_ + c] : 0.0f;
            stereo[2 * i + side] = va + (vb - va) * t;
        }
        filePosition_ += step;
    }
    sides_[0].push(stereo, count, 2);
    sides_[1].push(stereo + 1, count, 2);
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
