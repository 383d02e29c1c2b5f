// The values that the sound layer's calls take: sample formats, mode flags,
// the description of a sound made from memory, and the spectrum window.
// Plain constants and records; any thread.
#pragma once

// Sample format of a sound or of the mixer.
enum SoundFormat {
    SOUND_FORMAT_PCM16 = 2,  // signed 16-bit, interleaved
};

// How the mixer converts a sound's rate to its own.
enum SoundResampler {
    SOUND_RESAMPLER_LINEAR = 1,
};

// Window applied to the samples before a spectrum read-out.
enum SpectrumWindow {
    SPECTRUM_WINDOW_HANN = 3,
};

// init flags: no special behaviour.
constexpr unsigned SOUND_INIT_NORMAL = 0;

// playSound's channel argument: take any channel that plays nothing.
constexpr int SOUND_CHANNEL_FREE = -1;

// createSound mode flags. Every sound is mixed in software as a plain
// two-channel (2D) sound, so SOUND_MODE_2D and SOUND_MODE_SOFTWARE only state
// that; SOUND_MODE_LOOP makes a file sound play endlessly; SOUND_MODE_USER
// makes an empty sound in memory from a SoundExInfo (no file name), which a
// recording fills.
constexpr unsigned SOUND_MODE_LOOP = 0x002;
constexpr unsigned SOUND_MODE_2D = 0x008;
constexpr unsigned SOUND_MODE_SOFTWARE = 0x040;
constexpr unsigned SOUND_MODE_USER = 0x400;

// The description of a sound made in memory. Clear it to zero, then set
// structSize to sizeof(SoundExInfo) and the rest.
struct SoundExInfo {
    int structSize;
    unsigned lengthBytes;  // the buffer's size in bytes, whole frames
    int channels;          // 1 or 2
    int frequency;         // frames per second
    SoundFormat format;
};
