#include "audio/SoundResult.h"

const char* soundErrorString(SoundResult result)
{
    switch (result) {
    case SOUND_OK: return "no error";
    case SOUND_ERR_INVALID_PARAM: return "an argument is out of range or does not fit the call";
    case SOUND_ERR_BACKEND: return "the audio back end could not be started";
    case SOUND_ERR_NOT_INITIALIZED: return "the sound system is not initialised";
    case SOUND_ERR_INITIALIZED: return "the sound system is already initialised";
    case SOUND_ERR_OUTPUT: return "the playback driver could not be opened";
    case SOUND_ERR_RECORD: return "the record driver could not be opened";
    case SOUND_ERR_FILE_NOT_FOUND: return "the sound file could not be opened";
    case SOUND_ERR_FORMAT: return "the file is not a sound file that can be decoded";
    case SOUND_ERR_FILE_READ: return "the sound file could not be decoded to its end";
    case SOUND_ERR_MEMORY: return "not enough memory for the sound";
    case SOUND_ERR_NO_FREE_CHANNEL: return "every channel is busy";
    case SOUND_ERR_CHANNEL_FREE: return "the channel plays no sound";
    case SOUND_ERR_RECORDING: return "a recording is already running";
    case SOUND_ERR_UNSUPPORTED: return "the sound system does not offer this";
    }
    return "unknown sound result";
}
