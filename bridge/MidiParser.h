// MidiParser: turns a MIDI byte stream, in whatever pieces it arrives, into
// Control Change, Note On/Off and Pitch Bend messages. Running status is
// kept across pieces; real-time bytes (clock, active sensing, ...) may come
// anywhere and are passed over; SysEx and the other system messages are
// skipped with their data, as are the channel messages not passed on
// (program change, aftertouch). One thread at a time (the MIDI input's).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bridge/MidiMessage.h"

class MidiParser {
public:
    // Appends the messages that `bytes` complete to `out`.
    void feed(const unsigned char* bytes, std::size_t size, std::vector<MidiMessage>& out);

private:
    void takeData(uint8_t data, std::vector<MidiMessage>& out);

    // Running status; 0 while there is none, which also passes over the
    // data of SysEx and system common messages.
    uint8_t status_ = 0;
    uint8_t data_[2] = {};
    int have_ = 0;  // data bytes of the current message so far
};
