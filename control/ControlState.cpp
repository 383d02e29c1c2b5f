#include "control/ControlState.h"

std::atomic<float> inputValue[kInputValueCount];
std::atomic<float> controllerValue[kMidiChannels * kMidiKeys];
std::atomic<float> noteVelocity[kMidiChannels * kMidiKeys];
std::atomic<int16_t> lastNoteNumber{-1};
std::atomic<float> lastNoteVelocity{0.0f};
std::atomic<float> pitchBend[kMidiChannels];
std::atomic<float> lastPitchBend{0.0f};
