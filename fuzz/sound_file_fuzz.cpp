// libFuzzer target for the sound layer's file reading: whatever bytes stand
// in a sound file, decoding must end with a result code, never a crash, an
// out-of-bounds access or a hang. The bytes go through a real file, as the
// audio tool's --file does. Built and run by tools/fuzz.sh.
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
    DecodedSound decoded;
    const SoundResult result = decodeSoundFile(path.c_str(), decoded);
    if (result == SOUND_OK && decoded.frames.size() % decoded.channels != 0)
        __builtin_trap();  // frames must come whole
    return 0;
}
