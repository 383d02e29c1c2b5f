// The OSC receiver's socket and thread against real loopback UDP: datagrams
// that are not sound OSC are dropped with one error line and the loop keeps
// receiving (the next message is applied within a second), the largest
// datagram the loop can take arrives whole, datagrams wait in the bound
// socket until the loop starts, and the thread starts and stops as promised.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "control/ControlState.h"
#include "control/OscControlReceiver.h"
#include "support/OscTestPeer.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

const std::string kGood = intMessage("/CTL", {0, 7, 127});

std::string elementsAfterHeader(uint32_t size, const std::string& rest)
{
    return OscBytes().str("#bundle").u32(0).u32(1).u32(size).raw(rest).bytes();
}

struct MalformedCase {
    const char* what;
    std::string datagram;
    const char* reason;
};

TEST(OscReceiver, ADatagramThatIsNotSoundOscIsDroppedWithOneErrorLineAndReceivingGoesOn)
{
    const MalformedCase cases[] = {
        {"size not a multiple of four", kGood + std::string(2, '\0'), "datagram size must be a multiple of four"},
        {"one byte", std::string(1, '/'), "datagram size must be a multiple of four"},
        {"longer than the receive buffer", std::string(4100, '\0'), "datagram longer than 4096 bytes"},
        {"far longer than the receive buffer", kGood + std::string(60000, '\0'), "datagram longer than 4096 bytes"},
        {"no type tags", OscBytes().str("/CTL").bytes(), "missing type tags"},
        {"type tags without their comma", OscBytes().str("/CTL").str("iii").i32(0).i32(7).i32(1).bytes(),
         "missing type tags"},
        {"address without its terminator", OscBytes().raw("/CTLabcd").bytes(), "unterminated address pattern"},
        {"address padded with other bytes", OscBytes().raw(std::string("/a\0b", 4)).str(",").bytes(),
         "unterminated address pattern"},
        {"type tags without their terminator", OscBytes().str("/CTL").raw(",iii").bytes(), "unterminated type tags"},
        {"string argument without its terminator", OscBytes().str("/BEND").str(",s").raw("abcd").bytes(),
         "unterminated string argument"},
        {"arguments cut short", OscBytes().str("/CTL").str(",iii").i32(0).bytes(),
         "message too short for its arguments"},
        {"unknown type tag", OscBytes().str("/CTL").str(",iXi").i32(0).i32(7).i32(1).bytes(), "unknown type tag"},
        {"blob tag without blob", OscBytes().str("/x").str(",b").bytes(), "message too short for its arguments"},
        {"blob size past the message", OscBytes().str("/x").str(",b").u32(0x7FFFFFFF).raw("abcd").bytes(),
         "blob size exceeds the message"},
        {"blob size of all ones", OscBytes().str("/x").str(",b").u32(0xFFFFFFFF).bytes(),
         "blob size exceeds the message"},
        {"bundle element size that wraps the walk", elementsAfterHeader(0xFFFFFFFC, kGood),
         "bundle element size exceeds the bundle"},
        {"bundle element size past the bundle", elementsAfterHeader(64, kGood),
         "bundle element size exceeds the bundle"},
        {"bundle element size not a multiple of four", elementsAfterHeader(6, kGood),
         "bundle element size must be a multiple of four"},
        {"empty bundle element", elementsAfterHeader(0, kGood), "empty bundle element"},
        {"nested bundle with a wrapping element size", bundle({kGood, elementsAfterHeader(0xFFFFFFFC, kGood)}),
         "bundle element size exceeds the bundle"},
        {"bundle three levels deep with a blob past its end",
         bundle({bundle({bundle({OscBytes().str("/x").str(",b").u32(1000).bytes()})})}),
         "blob size exceeds the message"},
        {"bundle header cut short", OscBytes().raw("#bun").bytes(), "malformed bundle header"},
        {"bundle without time tag", OscBytes().str("#bundle").bytes(), "malformed bundle header"},
        {"message address taken for a bundle", intMessage("#CTL", {0, 7, 127}), "malformed bundle header"},
    };
    LiveReceiver live;
    const ControlSnapshot before = snapshotControlState();
    for (const MalformedCase& c : cases) {
        EXPECT_EQ(live.deliver(c.datagram), std::string("error while parsing message: ") + c.reason + "\n")
            << c.what;
        EXPECT_TRUE(snapshotControlState() == before) << c.what << ": nothing of the datagram may take effect";
    }
}

TEST(OscReceiver, AnEmptyDatagramIsSkippedByTheLoopWithoutOutputAndReceivingGoesOn)
{
    LiveReceiver live;
    const ControlSnapshot before = snapshotControlState();
    EXPECT_EQ(live.deliver(""), "");
    EXPECT_TRUE(snapshotControlState() == before);
}

TEST(OscReceiver, ADatagramOfTheLargestSizeTheLoopTakesArrivesWholeWithAllItsMessages)
{
    resetControlState();
    OscBytes b;
    b.str("#bundle").u32(0).u32(1);
    std::string expected;
    for (int id = 0; id < 127; ++id) {
        const std::string m = intMessage("/driftmeadow", {id, 32765});
        b.u32(static_cast<uint32_t>(m.size())).raw(m);
        expected += "inputValue:  ID: " + std::to_string(id) + "\tval: 32765                 \r";
    }
    const std::string filler = intMessage("/xy", {0});
    b.u32(static_cast<uint32_t>(filler.size())).raw(filler);
    ASSERT_EQ(b.bytes().size(), 4096u);

    LiveReceiver live;
    EXPECT_EQ(live.deliver(b.bytes()), expected);
    for (int id = 0; id < 127; ++id)
        EXPECT_EQ(inputValue[id], 1.0f) << id;
}

TEST(OscReceiver, DatagramsSentBeforeStartWaitInTheBoundSocketAndAreAppliedOnceTheLoopRuns)
{
    resetControlState();
    const unsigned short port = freeUdpPort();
    OscControlReceiver receiver(port, nullptr);
    ASSERT_TRUE(receiver.isBound());
    UdpSender sender(port);
    sender.send(intMessage("/driftmeadow", {10, 32765}));
    sender.send(intMessage("/BEND", {1, 16383}));
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(inputValue[10], 0.0f) << "nothing reads before start";

    testing::internal::CaptureStdout();
    receiver.start(true);
    EXPECT_TRUE(waitUntil([] { return inputValue[10] == 1.0f && pitchBend[1] == 1.0f; }));
    receiver.stop();
    testing::internal::GetCapturedStdout();
}

TEST(OscReceiver, WithoutAnAddressItReceivesOnEveryLocalInterfaceAndWithOneOnlyThere)
{
    resetControlState();
    LiveReceiver any;
    testing::internal::CaptureStdout();
    UdpSender(any.port(), "127.0.0.2").send(intMessage("/driftmeadow", {11, 32765}));
    EXPECT_TRUE(waitUntil([] { return inputValue[11] == 1.0f; })) << "sent to 127.0.0.2";
    testing::internal::GetCapturedStdout();

    const unsigned short port = freeUdpPort();
    OscControlReceiver one(port, "127.0.0.1");
    ASSERT_TRUE(one.isBound());
    one.start(true);
    testing::internal::CaptureStdout();
    UdpSender(port, "127.0.0.2").send(intMessage("/driftmeadow", {12, 32765}));
    UdpSender(port, "127.0.0.1").send(intMessage("/driftmeadow", {13, 32765}));
    EXPECT_TRUE(waitUntil([] { return inputValue[13] == 1.0f; }));
    EXPECT_EQ(inputValue[12], 0.0f) << "127.0.0.2 is not the bound address";
    one.stop();
    testing::internal::GetCapturedStdout();
}

TEST(OscReceiver, APortHeldByAnotherProgramLeavesTheReceiverUnboundWithTheSocketsReason)
{
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t len = sizeof a;
    ASSERT_EQ(bind(holder, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(getsockname(holder, reinterpret_cast<sockaddr*>(&a), &len), 0);

    OscControlReceiver receiver(ntohs(a.sin_port), nullptr);
    EXPECT_FALSE(receiver.isBound());
    EXPECT_STREQ(receiver.bindError(), "unable to bind udp socket");
    close(holder);
}

TEST(OscReceiver, StopPrintsNothingWithoutAThreadAndOtherwiseItsTwoTextsAfterTheThreadsPause)
{
    const unsigned short port = freeUdpPort();
    OscControlReceiver idle(port, nullptr);
    testing::internal::CaptureStdout();
    idle.stop();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    LiveReceiver live;
    live.deliver(kGood);
    testing::internal::CaptureStdout();
    const auto begin = steady_clock::now();
    live.receiver().stop();
    const auto took = steady_clock::now() - begin;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Signaling thread to quit... thread quitted.\n");
    EXPECT_GE(took, milliseconds(100));
}

TEST(OscReceiver, StopRightAfterStartEndsTheThreadEvenBeforeItsLoopRuns)
{
    testing::internal::CaptureStdout();
    for (int i = 0; i < 10; ++i) {
        OscControlReceiver receiver(freeUdpPort(), nullptr);
        ASSERT_TRUE(receiver.isBound());
        receiver.start(true);
        receiver.stop();
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
