#include "bridge/MidiParser.h"

namespace {

int dataBytes(uint8_t status)
{
    const uint8_t type = status & 0xF0;
    return type == 0xC0 || type == 0xD0 ? 1 : 2;
}

}  // namespace

void MidiParser::feed(const unsigned char* bytes, std::size_t size, std::vector<MidiMessage>& out)
{
    for (std::size_t i = 0; i < size; ++i) {
        const uint8_t b = bytes[i];
        if (b >= 0xF8)
            continue;  // real time: never interrupts anything
        if (b & 0x80) {
            // System common messages and SysEx cancel running status.
            status_ = b < 0xF0 ? b : 0;
            have_ = 0;
        } else {
            takeData(b, out);
        }
    }
}

void MidiParser::takeData(uint8_t data, std::vector<MidiMessage>& out)
{
    if (status_ == 0)
        return;
    data_[have_++] = data;
    if (have_ < dataBytes(status_))
        return;
    have_ = 0;
    const int channel = status_ & 0x0F;
    switch (status_ & 0xF0) {
    case 0x80:
        out.push_back({MidiMessage::Note, channel, data_[0], 0});
        break;
    case 0x90:
        out.push_back({MidiMessage::Note, channel, data_[0], data_[1]});
        break;
    case 0xB0:
        out.push_back({MidiMessage::ControlChange, channel, data_[0], data_[1]});
        break;
    case 0xE0:
        out.push_back({MidiMessage::PitchBend, channel, 0, data_[0] | (data_[1] << 7)});
        break;
    default:
        break;  // aftertouch, program change: not passed on
    }
}
