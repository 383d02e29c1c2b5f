// The bridge's mapping language: one rule takes one control of a MIDI or OSC
// source to one input value of the show. Parsing, the defaults and the
// arithmetic of a rule (a control's level to the value sent, and back for
// feedback). Pure functions; any thread.
#pragma once

#include <string>
#include <vector>

// Where a rule's control comes from. MIDI channels are kept 0 to 15 here;
// the text form counts them 1 to 16.
struct MappingSource {
    enum Kind { ControlChange, Note, PitchBend, Osc };
    Kind kind = ControlChange;
    int channel = 0;      // MIDI: 0 to 15
    int number = 0;       // controller or note number, 0 to 127
    std::string address;  // OSC address, exact
    int argument = 1;     // OSC: which argument, from 1
    bool argumentGiven = false;  // written as osc:/ADDRESS:N
};

// "ID=SOURCE[,min=V][,max=V][,invert][,smooth=MS]".
struct MappingRule {
    int id = 0;  // the show's input ID, 0 to 255
    MappingSource source;
    int min = 0;  // the values sent at the two ends of the control's travel
    int max = 32765;
    bool invert = false;
    double smoothMs = 0;  // glide: 95 % of a change within this time; 0 jumps
};

// A rule's text; false with a one-line reason when it is unsound.
bool parseMapping(const std::string& text, MappingRule& rule, std::string& error);
// One rule a line, '#' starts a comment, blank lines pass. False with
// "FILE:LINE: reason" (or why the file cannot be read).
bool readMappingFile(const std::string& path, std::vector<MappingRule>& rules, std::string& error);

// The mapping's text form, as written on the command line.
std::string mappingText(const MappingRule& rule);
// The control alone, as shown and learned: "cc 1:74", "note 1:60", "bend 1",
// "osc /1/fader1", "osc /1/xy1:2".
std::string sourceText(const MappingSource& source);
// The source part of a rule: "midi:cc:1:74", "osc:/1/xy1:1".
std::string sourceSpec(const MappingSource& source);

// The rules used when none are given: the modulation wheel and the first
// two faders of the common generic layout (channel volume on channels 1 and
// 2), and the first two faders of a common phone layout.
std::vector<MappingRule> defaultMappings();

// The value sent for a control at `level` (0 to 1 of its travel, clamped).
int mappedValue(const MappingRule& rule, double level);
// Where the control stands (0 to 1) when the input holds `value`: the
// inverse of mappedValue, clamped, for feedback.
double levelForValue(const MappingRule& rule, int value);
