// A sound file decoded whole into memory, for offline use (the renderer's
// sound track and its levels computed from a track), where every sample is
// wanted at once and in any order. Played sound streams instead (SoundFile).
// Any thread: it touches nothing shared.
#pragma once

#include <vector>

#include "audio/SoundResult.h"

struct DecodedSound {
    int channels = 0;   // 1 or 2: only the first two channels are ever played
    int frequency = 0;  // frames per second
    std::vector<float> frames;  // interleaved, finite, -1 to 1
};

// SOUND_OK with the whole file in `out`; otherwise SOUND_ERR_FILE_NOT_FOUND,
// SOUND_ERR_FORMAT, SOUND_ERR_FILE_READ or SOUND_ERR_MEMORY, and `out` empty.
SoundResult decodeSoundFile(const char* name, DecodedSound& out);
