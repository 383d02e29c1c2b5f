// The four OSC messages as a sender sees them over loopback UDP: status
// lines byte for byte, scaled stores, one error line and no change for bad
// arguments or indexes, exact addresses only, bundles in order, and queries
// that agree with what was stored.
#include <functional>

#include "app/AppGlobals.h"
#include "app/ControlLevel.h"
#include "support/OscTestPeer.h"

namespace {

float ctl(int channel, int controller) { return controllerValue[channel * 128 + controller]; }
float vel(int channel, int note) { return noteVelocity[channel * 128 + note]; }

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
