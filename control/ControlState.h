// ControlState: the process-wide values through which live input steers the
// pictures. Only the OSC receive thread writes them; the main thread reads
// them whenever it draws. Every value is a relaxed atomic: a reader sees the
// old or the new value of a field, never a torn one, and no ordering between
// fields is promised (values one message sets together may be seen apart).
// The audio side of these values, spectrumData, is kept by the audio input
// (audio/SpectrumData.h), which knows nothing of this module.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int kInputValueCount = 256;
// The "/driftmeadow" value that stands for an input value of 1.
constexpr int kInputFullScale = 32765;
constexpr int kMidiChannels = 16;
constexpr int kMidiKeys = 128;

// "/driftmeadow": value / 32765 by input ID.
extern std::atomic<float> inputValue[kInputValueCount];
// "/CTL": value / 127, channel-major (channel * 128 + controller).
extern std::atomic<float> controllerValue[kMidiChannels * kMidiKeys];
// "/NOTE": velocity / 127, channel-major (channel * 128 + note).
extern std::atomic<float> noteVelocity[kMidiChannels * kMidiKeys];
extern std::atomic<int16_t> lastNoteNumber;  // -1 until the first note
extern std::atomic<float> lastNoteVelocity;
// "/BEND": -1 .. +1 per channel.
extern std::atomic<float> pitchBend[kMidiChannels];
extern std::atomic<float> lastPitchBend;

// Reads one input value (relaxed); out-of-range IDs read 0.
inline float readInput(int id)
{
    if (id < 0 || id >= kInputValueCount)
        return 0.0f;
    return inputValue[id].load(std::memory_order_relaxed);
}
