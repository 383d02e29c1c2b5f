// libFuzzer target for the sound layer's file reading: whatever bytes stand
// in a sound file, reading it to its end must end with a result, never a
// crash, an out-of-bounds access or a hang, and every sample read must be
// fit to play (finite, within -1 to 1). The bytes go through a real file, as
// the audio tool's --file does. Built and run by tools/fuzz.sh.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "audio/SoundFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/dev/shm/driftmeadow-sound-fuzz-" + std::to_string(getpid());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    SoundFile sound;
    if (sound.open(path.c_str()) != SOUND_OK)
        return 0;
    if (sound.channels() < 1 || sound.channels() > 2 || sound.frequency() < 1)
        __builtin_trap();
    float frames[1024 * 2];
    // A header may claim far more frames than the bytes hold; a million is
    // more than any input of the size allowed can give.
    for (long total = 0, got; total < 1000000 && (got = sound.read(frames, 1024)) > 0; total += got)
        for (long i = 0; i < got * sound.channels(); ++i)
            if (!(std::fabs(frames[i]) <= 1.0f))
                __builtin_trap();
    return 0;
}
