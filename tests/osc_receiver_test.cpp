// The receiver's socket and thread over real loopback UDP: unsound
// datagrams are dropped with one error line while receiving goes on, the
// largest datagram arrives whole, datagrams wait in the bound socket until
// the loop starts, every interface is heard, and stop ends the thread.
#include "support/OscTestPeer.h"

namespace {

const std::string kGood = intMessage("/CTL", {0, 7, 127});

std::string bundleWithElementSize(uint32_t size) { return oscStr("#bundle") + be32(0) + be32(1) + be32(size) + kGood; }
std::string blobMessage(uint32_t size, const std::string& data) { return oscStr("/x") + oscStr(",b") + be32(size) + data; }

TEST(OscReceiver, AnUnsoundDatagramIsDroppedWithOneErrorLineAndTheNextMessageStillTakesEffect)
{
    const struct {
        std::string datagram;
        const char* reason;  // null: skipped without a line
    } cases[] = {
        {"", nullptr},
        {kGood + std::string(2, '\0'), "datagram size must be a multiple of four"},
        {std::string(4100, '\0'), "datagram longer than 4096 bytes"},
        {kGood + std::string(60000, '\0'), "datagram longer than 4096 bytes"},
        {oscStr("/CTL"), "missing type tags"},
        {oscStr("/CTL") + oscStr("iii") + be32(0) + be32(7) + be32(1), "missing type tags"},
        {"/CTLabcd", "unterminated address pattern"},
        {std::string("/a\0b", 4) + oscStr(","), "unterminated address pattern"},
        {oscStr("/CTL") + ",iii", "unterminated type tags"},
        {oscStr("/BEND") + oscStr(",s") + "abcd", "unterminated string argument"},
        {oscStr("/CTL") + oscStr(",iii") + be32(0), "message too short for its arguments"},
        {oscStr("/CTL") + oscStr(",iXi") + be32(0) + be32(7) + be32(1), "unknown type tag"},
        {oscStr("/x") + oscStr(",b"), "message too short for its arguments"},
        {blobMessage(0x7FFFFFFF, "abcd"), "blob size exceeds the message"},
        {blobMessage(0xFFFFFFFF, ""), "blob size exceeds the message"},
        {bundle({bundle({bundle({blobMessage(1000, "")})})}), "blob size exceeds the message"},
        {bundleWithElementSize(0xFFFFFFFC), "bundle element size exceeds the bundle"},
        {bundleWithElementSize(64), "bundle element size exceeds the bundle"},
        {bundleWithElementSize(6), "bundle element size must be a multiple of four"},
        {bundleWithElementSize(0), "empty bundle element"},
        {bundle({kGood, bundleWithElementSize(0xFFFFFFFC)}), "bundle element size exceeds the bundle"},
        {"#bun", "malformed bundle header"},
        {oscStr("#bundle"), "malformed bundle header"},
        {intMessage("#CTL", {0, 7, 127}), "malformed bundle header"},
    };
    OscTestPeer peer;
    const std::vector<float> before = controlSnapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason ? c.reason : "empty datagram");
        EXPECT_EQ(peer.deliver(c.datagram), c.reason ? "error while parsing message: " + std::string(c.reason) + "\n" : "");
        EXPECT_TRUE(controlSnapshot() == before);
    }
}

TEST(OscReceiver, ADatagramOfTheLargestSizeTheLoopTakesArrivesWhole)
{
    std::string datagram = oscStr("#bundle") + be32(0) + be32(1), expected;
    for (int id = 0; id < 127; ++id) {
        const std::string m = intMessage("/driftmeadow", {id, 32765});
        datagram += be32(uint32_t(m.size())) + m;
        expected += "inputValue:  ID: " + std::to_string(id) + "\tval: 32765                 \r";
    }
    datagram += be32(12) + intMessage("/xy", {0});
    ASSERT_EQ(datagram.size(), 4096u);
    EXPECT_EQ(OscTestPeer().deliver(datagram), expected);
}

TEST(OscReceiver, DatagramsSentBeforeStartWaitInTheBoundSocket)
{
    resetControlState();
    const unsigned short port = freeUdpPort();
    OscControlReceiver receiver(port, nullptr);
    ASSERT_TRUE(receiver.isBound());
    sendUdp(port, intMessage("/driftmeadow", {10, 32765}));
    sendUdp(port, intMessage("/BEND", {1, 16383}));
    receiver.start(true);
    EXPECT_TRUE(waitUntil([] { return inputValue[10] == 1.0f && pitchBend[1] == 1.0f; }));
}

TEST(OscReceiver, WithoutAnAddressItHearsEveryLocalInterface)
{
    resetControlState();
    OscTestPeer peer;
    sendUdp(peer.port(), intMessage("/driftmeadow", {11, 32765}), "127.0.0.2");
    EXPECT_TRUE(waitUntil([] { return inputValue[11] == 1.0f; }));
}

TEST(OscReceiver, StopPrintsNothingWithoutAThreadAndOtherwiseEndsItEvenRightAfterStart)
{
    OscControlReceiver idle(freeUdpPort(), nullptr);
    testing::internal::CaptureStdout();
    idle.stop();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Stopping at once races the loop's start, which clears a pending break.
    for (int i = 0; i < 10; ++i) {
        OscControlReceiver receiver(freeUdpPort(), nullptr);
        ASSERT_TRUE(receiver.isBound());
        receiver.start(true);
        testing::internal::CaptureStdout();
        const auto begin = std::chrono::steady_clock::now();
        receiver.stop();
        EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(100)) << "the thread's pause";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Signaling thread to quit... thread quitted.\n");
    }
}

}  // namespace
