#include "audio/SoundFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
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
    if (descriptor_ >= 0)
        close(descriptor_);
}

// The file is opened once, here, and handed to libsndfile: a FIFO opened
// twice would lose its writer in between.
SoundResult SoundFile::open(const char* name)
{
    const int descriptor = ::open(name, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return SOUND_ERR_FILE_NOT_FOUND;
    SF_INFO format{};
    SNDFILE* file = sf_open_fd(descriptor, SFM_READ, &format, SF_FALSE);
    if (!file || format.channels < 1 || format.samplerate < 1) {
        if (file)
            sf_close(file);
        close(descriptor);
        return SOUND_ERR_FORMAT;
    }
    try {
        block_.resize(size_t(std::max<long>(kBlockSamples, format.channels)));
    } catch (const std::bad_alloc&) {
        sf_close(file);
        close(descriptor);
        return SOUND_ERR_MEMORY;
    }
    descriptor_ = descriptor;
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
