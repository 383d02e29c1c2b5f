// The bridge's two parsers: the mapping language (what each text becomes,
// the reason each unsound text is refused, and that every rule's text reads
// back as itself) and the MIDI byte stream (running status across pieces,
// real-time bytes anywhere, SysEx and system common messages passed over).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bridge/BridgeConsole.h"
#include "bridge/MappingRule.h"
#include "bridge/MidiParser.h"

void PrintTo(const MidiMessage& m, std::ostream* os)
{
    *os << "{" << m.kind << ", ch " << m.channel << ", " << m.number << ", " << m.value << "}";
}

namespace {

struct GoodMapping {
    const char* text;
    int id;
    MappingSource::Kind kind;
    int channel, number;
    const char* address;
    int argument, min, max;
    bool invert;
    double smoothMs;
};

TEST(MappingParser, ReadsEverySourceAndOption)
{
    using S = MappingSource;
    const GoodMapping table[] = {
        {"2=midi:cc:1:74", 2, S::ControlChange, 0, 74, "", 1, 0, 32765, false, 0},
        {"255=midi:cc:16:127", 255, S::ControlChange, 15, 127, "", 1, 0, 32765, false, 0},
        {"0=midi:note:10:36,invert", 0, S::Note, 9, 36, "", 1, 0, 32765, true, 0},
        {"7=midi:bend:3,min=100,max=200", 7, S::PitchBend, 2, 0, "", 1, 100, 200, false, 0},
        {"2=osc:/1/fader1,smooth=250", 2, S::Osc, 0, 0, "/1/fader1", 1, 0, 32765, false, 250},
        {"0=osc:/1/xy1:2,smooth=0.5,invert,max=8191", 0, S::Osc, 0, 0, "/1/xy1", 2, 0, 8191, true, 0.5},
    };
    for (const GoodMapping& g : table) {
        MappingRule rule;
        std::string error;
        ASSERT_TRUE(parseMapping(g.text, rule, error)) << g.text << ": " << error;
        EXPECT_EQ(rule.id, g.id) << g.text;
        EXPECT_EQ(rule.source.kind, g.kind) << g.text;
        EXPECT_EQ(rule.source.channel, g.channel) << g.text;
        EXPECT_EQ(rule.source.number, g.number) << g.text;
        EXPECT_EQ(rule.source.address, g.address) << g.text;
        EXPECT_EQ(rule.source.argument, g.argument) << g.text;
        EXPECT_EQ(rule.min, g.min) << g.text;
        EXPECT_EQ(rule.max, g.max) << g.text;
        EXPECT_EQ(rule.invert, g.invert) << g.text;
        EXPECT_DOUBLE_EQ(rule.smoothMs, g.smoothMs) << g.text;
        MappingRule again;
        ASSERT_TRUE(parseMapping(mappingText(rule), again, error)) << mappingText(rule);
        EXPECT_EQ(mappingText(again), mappingText(rule));
    }
}

TEST(MappingParser, RefusesWithItsReason)
{
    const std::pair<const char*, std::string> table[] = {
        {"midi:cc:1:1", mappingError::kNoEquals},
        {"256=midi:cc:1:1", mappingError::kBadId},
        {"-1=midi:cc:1:1", mappingError::kBadId},
        {"=midi:cc:1:1", mappingError::kBadId},
        {"2=midi:cc:0:1", mappingError::kBadChannel},
        {"2=midi:cc:17:1", mappingError::kBadChannel},
        {"2=midi:cc:1:128", mappingError::kBadController},
        {"2=midi:note:1:x", mappingError::kBadNote},
        {"2=midi:cc:1", mappingError::kUnknownSource},
        {"2=midi:bend:1:5", mappingError::kUnknownSource},
        {"2=midi:pc:1:5", mappingError::kUnknownSource},
        {"2=fader1", mappingError::kUnknownSource},
        {"2=osc:1/fader1", mappingError::kBadAddress},
        {"2=osc:/", mappingError::kBadAddress},
        {"2=osc:/a b", mappingError::kBadAddress},
        {"2=osc:/a#b", mappingError::kBadAddress},
        {"2=osc:/xy:0", mappingError::kBadArgument},
        {"2=osc:/xy:17", mappingError::kBadArgument},
        {"2=osc:/xy:", mappingError::kBadArgument},
        {"2=midi:cc:1:1,min=32766", mappingError::kBadRange},
        {"2=midi:cc:1:1,max=-1", mappingError::kBadRange},
        {"2=midi:cc:1:1,min=500,max=500", mappingError::kMinNotBelowMax},
        {"2=midi:cc:1:1,smooth=nan", mappingError::kBadSmooth},
        {"2=midi:cc:1:1,smooth=60001", mappingError::kBadSmooth},
        {"2=midi:cc:1:1,smooth=", mappingError::kBadSmooth},
        {"2=midi:cc:1:1,invert=1", mappingError::unknownOption("invert=1")},
        {"2=midi:cc:1:1,", mappingError::unknownOption("")},
        {"2=midi:cc:1:1,invert,invert", mappingError::optionTwice("invert")},
    };
    for (const auto& [text, reason] : table) {
        MappingRule rule;
        std::string error;
        EXPECT_FALSE(parseMapping(text, rule, error)) << text;
        EXPECT_EQ(error, reason) << text;
    }
}

TEST(MappingParser, FileLinesAndComments)
{
    char path[] = "/tmp/bridge-maps-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    FILE* f = fdopen(fd, "w");
    fputs("# knobs\n\n  2=midi:cc:1:74   # filter\n0=osc:/1/fader2\n2=midi:cc:1:200\n", f);
    fclose(f);
    std::vector<MappingRule> rules;
    std::string error;
    EXPECT_FALSE(readMappingFile(path, rules, error));
    EXPECT_EQ(error, std::string(path) + ":5: " + mappingError::kBadController);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(mappingText(rules[0]), "2=midi:cc:1:74");
    EXPECT_EQ(mappingText(rules[1]), "0=osc:/1/fader2");
    remove(path);
    EXPECT_FALSE(readMappingFile(path, rules, error));
    EXPECT_EQ(error, mappingError::unreadableFile(path));
}

TEST(MappingParser, ValuesAndTheirInverse)
{
    MappingRule rule;
    std::string error;
    ASSERT_TRUE(parseMapping("2=osc:/f,min=1000,max=3000,invert", rule, error));
    const std::pair<double, int> table[] = {{0.0, 3000}, {1.0, 1000}, {0.25, 2500}, {-5, 3000}, {7, 1000}};
    for (const auto& [level, value] : table) {
        EXPECT_EQ(mappedValue(rule, level), value) << level;
        EXPECT_NEAR(levelForValue(rule, value), std::min(1.0, std::max(0.0, level)), 1e-9) << level;
    }
    EXPECT_EQ(mappedValue(rule, std::nan("")), 3000);
}

struct MidiCase {
    const char* what;
    std::vector<std::vector<unsigned char>> pieces;
    std::vector<MidiMessage> expected;
};

TEST(MidiParser, ChannelMessagesFromAnyStream)
{
    using M = MidiMessage;
    const MidiCase table[] = {
        {"control change", {{0xB0, 74, 127}}, {{M::ControlChange, 0, 74, 127}}},
        {"note on, then note off as 0x80 and as velocity 0",
         {{0x95, 60, 100, 0x85, 60, 64, 0x95, 60, 0}},
         {{M::Note, 5, 60, 100}, {M::Note, 5, 60, 0}, {M::Note, 5, 60, 0}}},
        {"bend, 14 bits", {{0xEF, 0x7F, 0x7F, 0xE0, 0, 64}}, {{M::PitchBend, 15, 0, 16383}, {M::PitchBend, 0, 0, 8192}}},
        {"running status within a piece", {{0xB1, 1, 10, 1, 11, 7, 12}},
         {{M::ControlChange, 1, 1, 10}, {M::ControlChange, 1, 1, 11}, {M::ControlChange, 1, 7, 12}}},
        {"running status across pieces, a message split", {{0xB2, 1}, {5}, {1, 6}},
         {{M::ControlChange, 2, 1, 5}, {M::ControlChange, 2, 1, 6}}},
        {"real time bytes inside a message", {{0xB0, 0xF8, 1, 0xFE, 99}, {0xFA}}, {{M::ControlChange, 0, 1, 99}}},
        {"SysEx passed over, running status ended", {{0xB0, 1, 2, 0xF0, 0x7E, 1, 2, 3, 0xF7, 4, 5}},
         {{M::ControlChange, 0, 1, 2}}},
        {"system common passed over", {{0xF2, 10, 20, 0xF1, 3, 0xF3, 1, 0x90, 1, 2}}, {{M::Note, 0, 1, 2}}},
        {"data without status", {{5, 6, 7}}, {}},
        {"program change and aftertouch consumed, not passed on", {{0xC0, 5, 6, 0xA0, 1, 2, 0xD0, 9, 0xB0, 1, 3}},
         {{M::ControlChange, 0, 1, 3}}},
        {"a status ends an unfinished message", {{0xB0, 1, 0x90, 60, 70}}, {{M::Note, 0, 60, 70}}},
    };
    for (const MidiCase& c : table) {
        MidiParser parser;
        std::vector<MidiMessage> got;
        for (const auto& piece : c.pieces)
            parser.feed(piece.data(), piece.size(), got);
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

}  // namespace
