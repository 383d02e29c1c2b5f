#include "audio/DecodedSound.h"

#include <new>

#include "audio/SoundFile.h"

SoundResult decodeSoundFile(const char* name, DecodedSound& out)
{
    out = DecodedSound();
    SoundFile file;
    const SoundResult opened = file.open(name);
    if (opened != SOUND_OK)
        return opened;
    DecodedSound sound;
    sound.channels = file.channels();
    sound.frequency = file.frequency();
    try {
        const long block = 65536;
        std::vector<float> piece(size_t(block) * size_t(sound.channels));
        long n;
        while ((n = file.read(piece.data(), block)) > 0)
            sound.frames.insert(sound.frames.end(), piece.begin(), piece.begin() + n * sound.channels);
    } catch (const std::bad_alloc&) {
        return SOUND_ERR_MEMORY;
    }
    if (file.failed())
        return SOUND_ERR_FILE_READ;
    out = std::move(sound);
    return SOUND_OK;
}
