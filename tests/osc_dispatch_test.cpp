// The four OSC messages as a sender sees them over loopback UDP: status
// lines byte for byte, scaled stores, one error line and no change for bad
// arguments or indexes, exact addresses only, bundles in order, and queries
// that agree with what was stored.
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "app/AppGlobals.h"
#include "app/ControlLevel.h"
#include "control/TransportRequests.h"
#include "support/OscTestPeer.h"

namespace {

float ctl(int channel, int controller) { return controllerValue[channel * 128 + controller]; }
float vel(int channel, int note) { return noteVelocity[channel * 128 + note]; }

// A message whose arguments are given as type tags and 32-bit words.
std::string typedMessage(const std::string& address, const std::string& tags, std::initializer_list<uint32_t> words)
{
    std::string m = oscStr(address) + oscStr("," + tags);
    for (uint32_t w : words)
        m += be32(w);
    return m;
}

uint32_t f32(float f)
{
    uint32_t b;
    memcpy(&b, &f, sizeof b);
    return b;
}

TransportRequests transportRequests()
{
    TransportRequests r;
    while (!readTransportRequests(r)) {
    }
    return r;
}

struct OscDispatch : ::testing::Test {
    OscDispatch() { resetControlState(); }
    OscTestPeer peer;
};

TEST_F(OscDispatch, EachAcceptedMessagePrintsItsStatusLineAndStoresItsScaledValues)
{
    const struct {
        std::string datagram, statusLine;
        std::function<bool()> stored;
    } cases[] = {
        {intMessage("/driftmeadow", {2, 32765}), "inputValue:  ID: 2\tval: 32765                 \r",
         [] { return inputValue[2] == 1.0f; }},
        {intMessage("/driftmeadow", {0, 16383}), "inputValue:  ID: 0\tval: 16383                 \r",
         [] { return inputValue[0] == 0.50001526f; }},
        {intMessage("/CTL", {15, 127, 64}), "CTL:  ch: 15\tid: 127\tval: 64        \r",
         [] { return ctl(15, 127) == 0.503937f; }},
        {intMessage("/CTL", {3, 1, 254}), "CTL:  ch: 3\tid: 1\tval: 254        \r",
         [] { return ctl(3, 1) == 2.0f; }},  // not clamped
        {intMessage("/NOTE", {1, 60, 100}), "NOTE: ch: 1\tnum: 60\tvel: 100        \r",
         [] { return lastNoteNumber == 60 && vel(1, 60) == 0.78740156f && lastNoteVelocity == 0.78740156f; }},
        {intMessage("/NOTE", {1, 60, 0}), "NOTE: ch: 1\tnum: 60\tvel: 0        \r",  // note off
         [] { return lastNoteNumber == 60 && vel(1, 60) == 0.0f && lastNoteVelocity == 0.0f; }},
        {intMessage("/BEND", {5, 12288}), "BEND: ch: 5\tval: 12288        \r",
         [] { return pitchBend[5] == 0.50006104f && lastPitchBend == 0.50006104f; }},
        {intMessage("/BEND", {15, 16383}), "BEND: ch: 15\tval: 16383        \r",
         [] { return pitchBend[15] == 1.0f && lastPitchBend == 1.0f; }},
        {intMessage("/BEND", {0, 4096}), "BEND: ch: 0\tval: 4096        \r",
         [] { return pitchBend[0] == -0.5f && lastPitchBend == -0.5f; }},
        {intMessage("/BEND", {0, INT32_MIN}), "BEND: ch: 0\tval: -2147483648        \r",  // no overflow
         [] { return pitchBend[0] == float((double(INT32_MIN) - 8192.0) / 8192.0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statusLine);
        EXPECT_EQ(peer.deliver(c.datagram), c.statusLine);
        EXPECT_TRUE(c.stored());
    }
}

TEST_F(OscDispatch, WrongArgumentsOrAnIndexOutsideItsTablePrintOneErrorLineAndChangeNothing)
{
    const std::string wrongTypes = oscStr("/CTL") + oscStr(",ifi") + be32(0) + be32(0x40E00000 /* 7.0f */) + be32(1);
    const std::string surplusString = oscStr("/BEND") + oscStr(",iis") + be32(0) + be32(1) + oscStr("x");
    const struct {
        std::string datagram;
        const char* error;
    } cases[] = {
        {intMessage("/CTL", {0, 7}), "/CTL: missing argument"},
        {intMessage("/NOTE", {}), "/NOTE: missing argument"},
        {wrongTypes, "/CTL: wrong argument type"},
        {intMessage("/BEND", {0, 1, 2}), "/BEND: too many arguments"},
        {surplusString, "/BEND: too many arguments"},
        {intMessage("/driftmeadow", {-1, 5}), "/driftmeadow: argument out of range"},
        {intMessage("/driftmeadow", {256, 5}), "/driftmeadow: argument out of range"},
        {intMessage("/CTL", {16, 0, 1}), "/CTL: argument out of range"},
        {intMessage("/CTL", {0, 128, 1}), "/CTL: argument out of range"},
        {intMessage("/CTL", {0, -1, 1}), "/CTL: argument out of range"},
        {intMessage("/NOTE", {-1, 60, 1}), "/NOTE: argument out of range"},
        {intMessage("/NOTE", {0, 128, 1}), "/NOTE: argument out of range"},
        {intMessage("/BEND", {16, 0}), "/BEND: argument out of range"},
        {intMessage("/BEND", {INT32_MIN, 8192}), "/BEND: argument out of range"},
    };
    const std::vector<float> before = controlSnapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(peer.deliver(c.datagram), std::string("error while parsing message: ") + c.error + "\n");
        EXPECT_TRUE(controlSnapshot() == before);
    }
}

// Seek and loop times are int32 or float seconds, finite and 0 or more; a
// loop ends after its start, or is 0 0. Each accepted one makes one request.
TEST_F(OscDispatch, TheTransportTakesSecondsAsInt32OrFloatAndRefusesAnythingElseWithOneLine)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const struct {
        std::string datagram, console;
        int seeks, loops;  // requests it adds
        float a, b;        // the seek's target, or the loop's start and end
    } cases[] = {
        {typedMessage("/driftmeadow/seek", "i", {425}), "SEEK: to: 425.000        \r", 1, 0, 425, 0},
        {typedMessage("/driftmeadow/seek", "f", {f32(10.25f)}), "SEEK: to: 10.250        \r", 1, 0, 10.25f, 0},
        {typedMessage("/driftmeadow/seek", "i", {0}), "SEEK: to: 0.000        \r", 1, 0, 0, 0},
        {typedMessage("/driftmeadow/loop", "if", {419, f32(420.5f)}), "LOOP: from: 419.000\tto: 420.500        \r",
         0, 1, 419, 420.5f},
        {typedMessage("/driftmeadow/loop", "ii", {0, 0}), "LOOP: off        \r", 0, 1, 0, 0},
        {typedMessage("/driftmeadow/seek", "", {}), "error while parsing message: /driftmeadow/seek: missing argument\n"},
        {typedMessage("/driftmeadow/loop", "i", {1}), "error while parsing message: /driftmeadow/loop: missing argument\n"},
        {typedMessage("/driftmeadow/seek", "h", {0, 5}),
         "error while parsing message: /driftmeadow/seek: wrong argument type\n"},
        {typedMessage("/driftmeadow/seek", "ii", {1, 2}),
         "error while parsing message: /driftmeadow/seek: too many arguments\n"},
        {typedMessage("/driftmeadow/seek", "i", {uint32_t(-1)}),
         "error while parsing message: /driftmeadow/seek: a time must be a finite number of seconds, 0 or more\n"},
        {typedMessage("/driftmeadow/seek", "f", {f32(nan)}),
         "error while parsing message: /driftmeadow/seek: a time must be a finite number of seconds, 0 or more\n"},
        {typedMessage("/driftmeadow/loop", "ff", {f32(0), f32(inf)}),
         "error while parsing message: /driftmeadow/loop: a time must be a finite number of seconds, 0 or more\n"},
        {typedMessage("/driftmeadow/loop", "ii", {5, 5}),
         "error while parsing message: /driftmeadow/loop: the loop's end must be after its start (0 0 ends the loop)\n"},
        {typedMessage("/driftmeadow/loop", "ii", {5, 4}),
         "error while parsing message: /driftmeadow/loop: the loop's end must be after its start (0 0 ends the loop)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.console);
        const TransportRequests before = transportRequests();
        EXPECT_EQ(peer.deliver(c.datagram), c.console);
        const TransportRequests after = transportRequests();
        EXPECT_EQ(after.seeks - before.seeks, unsigned(c.seeks));
        EXPECT_EQ(after.loops - before.loops, unsigned(c.loops));
        if (c.seeks)
            EXPECT_EQ(after.seekTo, c.a);
        if (c.loops)
            EXPECT_TRUE(after.loopStart == c.a && after.loopEnd == c.b);
    }
}

TEST_F(OscDispatch, OnlyTheExactAddressesCountAndAnyOtherIsIgnoredSilently)
{
    const std::vector<float> before = controlSnapshot();
    for (const char* address : {"/note", "/ctl", "/CTL/1", "/driftmeadow/x", "/driftmeadowx", "/CT", "CTL",
                                "/BEND ", "/*", "/CT?", ""}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(peer.deliver(intMessage(address, {0, 7, 127})), "");
        EXPECT_TRUE(controlSnapshot() == before);
    }
}

TEST_F(OscDispatch, ABundleAppliesItsMessagesInOrderNestedBundlesAndErrorsIncluded)
{
    const std::string nested = bundle({intMessage("/BEND", {2, 16383}), intMessage("/CTL", {0, 7})});
    EXPECT_EQ(peer.deliver(bundle({intMessage("/CTL", {0, 7, 127}), nested, intMessage("/NOTE", {1, 60, 100})})),
              "CTL:  ch: 0\tid: 7\tval: 127        \r"
              "BEND: ch: 2\tval: 16383        \r"
              "error while parsing message: /CTL: missing argument\n"
              "NOTE: ch: 1\tnum: 60\tvel: 100        \r");
    EXPECT_EQ(ctl(0, 7), 1.0f);
    EXPECT_EQ(pitchBend[2], 1.0f);
    EXPECT_EQ(lastNoteNumber, 60);
}

TEST_F(OscDispatch, TheQueriesReadTheStoredLevelsWithMaskedIndexesAndControllerLevelAgrees)
{
    peer.deliver(intMessage("/CTL", {2, 5, 64}));
    peer.deliver(intMessage("/NOTE", {3, 40, 127}));
    const OscControlReceiver& r = peer.receiver();
    EXPECT_EQ(r.getController(2, 5), 0.503937f);
    EXPECT_EQ(r.getController(2 + 16, 5 + 128), 0.503937f);
    EXPECT_EQ(r.getNoteVelocity(3 - 16, 40 + 256), 1.0f);
    EXPECT_EQ(r.getLastNoteNumber(), 40);

    EXPECT_EQ(controllerLevel(2, 5), 0.0) << "without a receiver";
    gOscReceiver = &peer.receiver();
    EXPECT_EQ(controllerLevel(2, 5), double(0.503937f));
    gOscReceiver = nullptr;
}

}  // namespace
