// One channel message of the kinds the bridge passes on, as MidiParser
// finds it in a MIDI byte stream. A plain value; any thread.
#pragma once

struct MidiMessage {
    enum Kind { ControlChange, Note, PitchBend };
    Kind kind = ControlChange;
    int channel = 0;  // 0 to 15
    int number = 0;   // controller or note number (0 for a bend)
    int value = 0;    // controller value, velocity (0 for a note off), or bend 0 to 16383

    bool operator==(const MidiMessage& o) const
    {
        return kind == o.kind && channel == o.channel && number == o.number && value == o.value;
    }
};
