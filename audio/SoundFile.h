// SoundFile: a sound file read with libsndfile block by block, as frames fit
// to play: interleaved floats of its first two channels, every sample finite
// and within -1 to 1 (a NaN or an infinity reads as silence, anything larger
// as full scale). One thread at a time.
#pragma once

#include <sndfile.h>

#include <vector>

#include "audio/SoundResult.h"

class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // SOUND_OK, or SOUND_ERR_FILE_NOT_FOUND, SOUND_ERR_FORMAT or
    // SOUND_ERR_MEMORY with nothing open.
    SoundResult open(const char* name);

    int channels() const { return channels_; }    // 1 or 2
    int frequency() const { return frequency_; }  // frames per second

    // Reads up to `frames` frames into out (channels() floats each); 0 at the
    // end of the file, and after a read error (failed() then tells).
    long read(float* out, long frames);
    // Back to the first frame; false when the file cannot seek (a pipe).
    bool rewind();
    bool failed() const { return failed_; }

private:
    int descriptor_ = -1;
    SNDFILE* file_ = nullptr;
    int fileChannels_ = 0;
    int channels_ = 0;
    int frequency_ = 0;
    bool failed_ = false;
    std::vector<float> block_;  // one read of every channel in the file
};
