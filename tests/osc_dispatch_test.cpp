// The four OSC messages as a sender sees them over loopback UDP: each
// accepted message prints its status line byte for byte and stores its
// scaled values; argument errors and indexes outside the tables print one
// error line and change nothing; only exact addresses count; bundles apply
// their messages in order; the queries read what was stored.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/AppGlobals.h"
#include "control/ControlLevel.h"
#include "control/ControlState.h"
#include "control/OscControlReceiver.h"
#include "support/OscTestPeer.h"

namespace {

float ctl(int channel, int controller) { return controllerValue[channel * 128 + controller].load(); }
float vel(int channel, int note) { return noteVelocity[channel * 128 + note].load(); }

class OscDispatch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { live = new LiveReceiver; }
    static void TearDownTestSuite()
    {
        delete live;
        live = nullptr;
    }
    void SetUp() override { resetControlState(); }
    static LiveReceiver* live;
};
LiveReceiver* OscDispatch::live = nullptr;

struct AcceptedCase {
    const char* what;
    std::string datagram;
    std::string statusLine;
    std::function<bool()> stored;
};

TEST_F(OscDispatch, EachAcceptedMessagePrintsItsStatusLineAndStoresItsScaledValues)
{
    const AcceptedCase cases[] = {
        {"input 2 at full scale", intMessage("/driftmeadow", {2, 32765}),
         "inputValue:  ID: 2\tval: 32765                 \r", [] { return inputValue[2] == 1.0f; }},
        {"input 0 at half scale, by 1/32765", intMessage("/driftmeadow", {0, 16383}),
         "inputValue:  ID: 0\tval: 16383                 \r", [] { return inputValue[0] == 0.50001526f; }},
        {"input beyond the usual range, unclamped", intMessage("/driftmeadow", {254, -32765}),
         "inputValue:  ID: 254\tval: -32765                 \r", [] { return inputValue[254] == -1.0f; }},
        {"controller at full scale", intMessage("/CTL", {0, 7, 127}),
         "CTL:  ch: 0\tid: 7\tval: 127        \r", [] { return ctl(0, 7) == 1.0f; }},
        {"controller at 64/127", intMessage("/CTL", {15, 127, 64}),
         "CTL:  ch: 15\tid: 127\tval: 64        \r", [] { return ctl(15, 127) == 0.503937f; }},
        {"controller beyond 127, unclamped", intMessage("/CTL", {3, 1, 254}),
         "CTL:  ch: 3\tid: 1\tval: 254        \r", [] { return ctl(3, 1) == 2.0f; }},
        {"note on", intMessage("/NOTE", {1, 60, 100}), "NOTE: ch: 1\tnum: 60\tvel: 100        \r",
         [] { return lastNoteNumber == 60 && vel(1, 60) == 0.78740156f && lastNoteVelocity == 0.78740156f; }},
        {"bend at the bottom", intMessage("/BEND", {3, 0}), "BEND: ch: 3\tval: 0        \r",
         [] { return pitchBend[3] == -1.0f && lastPitchBend == -1.0f; }},
        {"bend in the centre", intMessage("/BEND", {4, 8192}), "BEND: ch: 4\tval: 8192        \r",
         [] { return pitchBend[4] == 0.0f && lastPitchBend == 0.0f; }},
        {"bend above the centre, by 1/8191", intMessage("/BEND", {5, 12288}), "BEND: ch: 5\tval: 12288        \r",
         [] { return pitchBend[5] == 0.50006104f && lastPitchBend == 0.50006104f; }},
        {"bend at the top", intMessage("/BEND", {15, 16383}), "BEND: ch: 15\tval: 16383        \r",
         [] { return pitchBend[15] == 1.0f && lastPitchBend == 1.0f; }},
        {"bend below the centre, by 1/8192", intMessage("/BEND", {0, 4096}), "BEND: ch: 0\tval: 4096        \r",
         [] { return pitchBend[0] == -0.5f; }},
        {"bend far outside the range, without overflow", intMessage("/BEND", {0, INT32_MIN}),
         "BEND: ch: 0\tval: -2147483648        \r",
         [] { return pitchBend[0] == static_cast<float>((double(INT32_MIN) - 8192.0) / 8192.0); }},
    };
    for (const AcceptedCase& c : cases) {
        EXPECT_EQ(live->deliver(c.datagram), c.statusLine) << c.what;
        EXPECT_TRUE(c.stored()) << c.what;
    }
}

TEST_F(OscDispatch, ANoteWithVelocityZeroIsANoteOffThatKeepsTheLastNoteNumber)
{
    EXPECT_EQ(lastNoteNumber, -1);
    live->deliver(intMessage("/NOTE", {1, 60, 100}));
    EXPECT_EQ(live->deliver(intMessage("/NOTE", {1, 60, 0})), "NOTE: ch: 1\tnum: 60\tvel: 0        \r");
    EXPECT_EQ(vel(1, 60), 0.0f);
    EXPECT_EQ(lastNoteVelocity, 0.0f);
    EXPECT_EQ(lastNoteNumber, 60);
}

struct RejectedCase {
    const char* what;
    std::string datagram;
    std::string errorLine;
};

TEST_F(OscDispatch, AMessageWithWrongArgumentsOrAnIndexOutsideItsTablePrintsOneErrorLineAndChangesNothing)
{
    const std::string f = OscBytes().str("/CTL").str(",ifi").i32(0).f32(7.0f).i32(1).bytes();
    const std::string s = OscBytes().str("/BEND").str(",iis").i32(0).i32(1).str("x").bytes();
    const std::string none = OscBytes().str("/NOTE").str(",").bytes();
    const std::string input = OscBytes().str("/driftmeadow").str(",if").i32(2).f32(1.0f).bytes();
    const RejectedCase cases[] = {
        {"two arguments for three", intMessage("/CTL", {0, 7}),
         "error while parsing message: /CTL: missing argument\n"},
        {"a float argument", f, "error while parsing message: /CTL: wrong argument type\n"},
        {"a float value", input, "error while parsing message: /driftmeadow: wrong argument type\n"},
        {"three arguments for two", intMessage("/BEND", {0, 1, 2}),
         "error while parsing message: /BEND: too many arguments\n"},
        {"a string after two arguments", s, "error while parsing message: /BEND: too many arguments\n"},
        {"no arguments", none, "error while parsing message: /NOTE: missing argument\n"},
        {"negative input ID", intMessage("/driftmeadow", {-1, 5}),
         "error while parsing message: /driftmeadow: argument out of range\n"},
        {"input ID past the table", intMessage("/driftmeadow", {256, 5}),
         "error while parsing message: /driftmeadow: argument out of range\n"},
        {"controller channel 16", intMessage("/CTL", {16, 0, 1}),
         "error while parsing message: /CTL: argument out of range\n"},
        {"negative controller channel", intMessage("/CTL", {-1, 0, 1}),
         "error while parsing message: /CTL: argument out of range\n"},
        {"controller 128", intMessage("/CTL", {0, 128, 1}),
         "error while parsing message: /CTL: argument out of range\n"},
        {"negative controller", intMessage("/CTL", {0, -1, 1}),
         "error while parsing message: /CTL: argument out of range\n"},
        {"note channel 16", intMessage("/NOTE", {16, 60, 1}),
         "error while parsing message: /NOTE: argument out of range\n"},
        {"note 128", intMessage("/NOTE", {0, 128, 1}),
         "error while parsing message: /NOTE: argument out of range\n"},
        {"negative note", intMessage("/NOTE", {0, -128, 1}),
         "error while parsing message: /NOTE: argument out of range\n"},
        {"bend channel 16", intMessage("/BEND", {16, 0}),
         "error while parsing message: /BEND: argument out of range\n"},
        {"negative bend channel", intMessage("/BEND", {INT32_MIN, 8192}),
         "error while parsing message: /BEND: argument out of range\n"},
    };
    const ControlSnapshot before = snapshotControlState();
    for (const RejectedCase& c : cases) {
        EXPECT_EQ(live->deliver(c.datagram), c.errorLine) << c.what;
        EXPECT_TRUE(snapshotControlState() == before) << c.what << " changed the control state";
    }
}

TEST_F(OscDispatch, OnlyTheExactAddressesCountAndAnyOtherIsIgnoredSilently)
{
    const char* const others[] = {"/note", "/ctl", "/CTL/1", "/driftmeadow/x", "/driftmeadowx",
                                  "/CT", "CTL", "/BEND ", "/*", "/CT?", ""};
    const ControlSnapshot before = snapshotControlState();
    for (const char* address : others) {
        EXPECT_EQ(live->deliver(intMessage(address, {0, 7, 127})), "") << address;
        EXPECT_EQ(live->deliver(intMessage(address, {0, 7})), "") << address;
        EXPECT_TRUE(snapshotControlState() == before) << address;
    }
}

TEST_F(OscDispatch, ABundleAppliesItsMessagesInOrderNestedBundlesIncluded)
{
    EXPECT_EQ(live->deliver(bundle({intMessage("/CTL", {0, 7, 127}), intMessage("/NOTE", {1, 60, 100})})),
              "CTL:  ch: 0\tid: 7\tval: 127        \r"
              "NOTE: ch: 1\tnum: 60\tvel: 100        \r");
    EXPECT_EQ(ctl(0, 7), 1.0f);
    EXPECT_EQ(lastNoteNumber, 60);

    EXPECT_EQ(live->deliver(bundle({bundle({intMessage("/BEND", {2, 16383}), intMessage("/CTL", {0, 7})}),
                                    intMessage("/driftmeadow", {2, 32765})})),
              "BEND: ch: 2\tval: 16383        \r"
              "error while parsing message: /CTL: missing argument\n"
              "inputValue:  ID: 2\tval: 32765                 \r");
    EXPECT_EQ(pitchBend[2], 1.0f);
    EXPECT_EQ(inputValue[2], 1.0f);
}

TEST_F(OscDispatch, TheQueriesReadTheStoredLevelsWithTheirIndexesMaskedAndControllerLevelAgrees)
{
    live->deliver(intMessage("/CTL", {2, 5, 64}));
    live->deliver(intMessage("/NOTE", {3, 40, 127}));
    const OscControlReceiver& r = live->receiver();
    EXPECT_EQ(r.getController(2, 5), 0.503937f);
    EXPECT_EQ(r.getController(2 + 16, 5 + 128), 0.503937f);
    EXPECT_EQ(r.getController(-14, 5), 0.503937f);
    EXPECT_EQ(r.getNoteVelocity(3, 40), 1.0f);
    EXPECT_EQ(r.getNoteVelocity(3 + 32, 40 + 256), 1.0f);
    EXPECT_EQ(r.getLastNoteNumber(), 40);

    EXPECT_EQ(controllerLevel(2, 5), 0.0) << "without a receiver";
    gOscReceiver = &live->receiver();
    EXPECT_EQ(controllerLevel(2, 5), static_cast<double>(0.503937f));
    EXPECT_EQ(controllerLevel(2, 6), 0.0);
    gOscReceiver = nullptr;
}

}  // namespace
