// SoundResult: what every call of the sound layer returns, and a readable
// text for each code (for error lines). Any thread.
#pragma once

enum SoundResult {
    SOUND_OK = 0,
    SOUND_ERR_INVALID_PARAM,   // an argument out of range or not fitting the call
    SOUND_ERR_BACKEND,         // the audio back end could not be started
    SOUND_ERR_NOT_INITIALIZED, // the call needs init first
    SOUND_ERR_INITIALIZED,     // the call must come before init
    SOUND_ERR_OUTPUT,          // the playback driver could not be opened or started
    SOUND_ERR_RECORD,          // the record driver could not be opened or started
    SOUND_ERR_FILE_NOT_FOUND,  // the sound file could not be opened
    SOUND_ERR_FORMAT,          // the file is no sound this layer can decode
    SOUND_ERR_FILE_READ,       // the file could not be decoded to its end
    SOUND_ERR_MEMORY,          // no memory for the decoded sound
    SOUND_ERR_NO_FREE_CHANNEL, // every channel is busy
    SOUND_ERR_CHANNEL_FREE,    // the channel plays no sound
    SOUND_ERR_RECORDING,       // a recording is already running
    SOUND_ERR_UNSUPPORTED,     // a valid request this layer does not offer
};

// A short English text for the code; "unknown sound result" for a value
// outside the enumeration.
const char* soundErrorString(SoundResult result);
