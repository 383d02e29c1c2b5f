#include "audio/SoundFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <new>

namespace {
constexpr sf_count_t kDecodeFrames = 4096;  // frames read per call
}

SoundResult decodeSoundFile(const char* name, DecodedSound& out)
{
    out = DecodedSound();
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
    const int kept = std::min(format.channels, 2);
    SoundResult result = SOUND_OK;
    try {
        std::vector<float> block(size_t(kDecodeFrames) * format.channels);
        sf_count_t got;
        while ((got = sf_readf_float(file, block.data(), kDecodeFrames)) > 0)
            for (sf_count_t f = 0; f < got; ++f)
                out.frames.insert(out.frames.end(), &block[f * format.channels],
                                  &block[f * format.channels] + kept);
        if (sf_error(file) != SF_ERR_NO_ERROR)
            result = SOUND_ERR_FILE_READ;
    } catch (const std::bad_alloc&) {
        result = SOUND_ERR_MEMORY;
    }
    sf_close(file);
    if (result != SOUND_OK) {
        out = DecodedSound();
        return result;
    }
    out.channels = kept;
    out.frequency = format.samplerate;
    return SOUND_OK;
}
