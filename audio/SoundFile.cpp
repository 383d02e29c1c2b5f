#include "audio/SoundFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace {
// Samples of all channels taken per libsndfile call, whatever their count.
constexpr long kBlockSamples = 16384;

float playable(float v)
{
    return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
}
}  // namespace

SoundFile::~SoundFile()
{
    if (file_)
        sf_close(file_);
}

SoundResult SoundFile::open(const char* name)
{
    if (FILE* probe = fopen(name, "rb"))
        fclose(probe);
    else
        return SOUND_ERR_FILE_NOT_FOUND;
    SF_INFO format{};
    SNDFILE* file = sf_open(name, SFM_READ, &format);
    if (!file)
        return SOUND_ERR_FORMAT;
    if (format.channels < 1 || format.samplerate < 1) {
        sf_close(file);
        return SOUND_ERR_FORMAT;
    }
    try {
        block_.resize(size_t(std::max<long>(kBlockSamples, format.channels)));
    } catch (const std::bad_alloc&) {
        sf_close(file);
        return SOUND_ERR_MEMORY;
    }
    file_ = file;
    fileChannels_ = format.channels;
    channels_ = std::min(format.channels, 2);
    frequency_ = format.samplerate;
    return SOUND_OK;
}

long SoundFile::read(float* out, long frames)
{
    if (!file_ || failed_)
        return 0;
    const long perCall = long(block_.size()) / fileChannels_;
    long done = 0;
    while (done < frames) {
        const sf_count_t want = std::min(perCall, frames - done);
        const sf_count_t got = sf_readf_float(file_, block_.data(), want);
        for (sf_count_t f = 0; f < got; ++f)
            for (int c = 0; c < channels_; ++c)
                out[(done + f) * channels_ + c] = playable(block_[size_t(f * fileChannels_ + c)]);
        done += long(got);
        if (got < want) {
            failed_ = sf_error(file_) != SF_ERR_NO_ERROR;
            break;
        }
    }
    return done;
}

bool SoundFile::rewind()
{
    return file_ && !failed_ && sf_seek(file_, 0, SEEK_SET) == 0;
}
