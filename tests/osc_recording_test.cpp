// Recorded OSC input as liblo's oscdump writes it: every line oscdump prints
// reads back into the message that was sent, a line that cannot be read is
// reported with its number and left out, and the replay applies each message
// through the live dispatch (same console lines) at its time after the first,
// or after the first frame that a take of the show marks. A take is written
// from the first frame on, in the same format, never over another file, and
// stops with one line when its queue overflows, keeping what came before.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <osc/OscReceivedElements.h>

#include "control/OscRecorder.h"
#include "control/OscRecording.h"
#include "support/OscTestPeer.h"

using namespace testing::internal;
using namespace std::string_literals;

namespace {

const std::string T = "eec0816e.80000000 ";  // 4005593454.5 s

struct OscRecordingTest : ::testing::Test {
    OscRecordingTest() { resetControlState(); }
    ~OscRecordingTest() override { resetControlState(); }
};

TEST_F(OscRecordingTest, EveryLineOscdumpPrintsReadsBackWithItsTypeTags)
{
    const struct {
        std::string line, typeTags;
    } cases[] = {
        {T + "/driftmeadow ii 2 32765", "ii"},
        {T + "/empty ", ""},
        {T + "/x s \"hello world\"", "s"},
        {T + "/x sS \"a\"b\" 'sym", "sS"},
        {T + "/CTL iif 1 2 0.500000", "iif"},
        {T + "/t TFNI #T #F Nil Infinitum", "TFNI"},
        {T + "/h hdc 123456789012 3.250000 'A'", "hdc"},
        {T + "/m m MIDI [0x01 0x02 0x03 0x04]", "m"},
        {T + "/BEND ii -2147483648 2147483647", "ii"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        double seconds = 0;
        std::vector<char> packet;
        ASSERT_EQ(OscRecording::parseLine(c.line, seconds, packet), nullptr);
        EXPECT_EQ(seconds, 4005593454.5);
        const osc::ReceivedMessage m(osc::ReceivedPacket(packet.data(), packet.size()));
        EXPECT_EQ(std::string(m.ArgumentCount() ? m.TypeTags() : ""), c.typeTags);
    }
    double seconds = 0;
    std::vector<char> packet;
    OscRecording::parseLine(T + "/driftmeadow ii 2 32765", seconds, packet);
    EXPECT_EQ(std::string(packet.begin(), packet.end()), intMessage("/driftmeadow", {2, 32765}));
}

TEST_F(OscRecordingTest, ALineThatCannotBeReadSaysWhy)
{
    const struct {
        std::string line, reason;
    } cases[] = {
        {"garbage", "no time tag"},
        {"eec0816e.8g000000 /driftmeadow ii 2 3", "no time tag"},
        {"eec0816e.80000000", "no address"},
        {T + "driftmeadow ii 2 3", "does not begin with /"},
        {T + "/driftmeadow ii 2", "fewer values than type tags"},
        {T + "/driftmeadow ii 2 3 4", "more values than type tags"},
        {T + "/driftmeadow ii 2 x", "not a 32-bit integer"},
        {T + "/driftmeadow ii 2 2147483648", "not a 32-bit integer"},
        {T + "/x s unquoted", "not a quoted string"},
        {T + "/x b [3 byte blob]", "cannot be read back"},
        {T + "/x s \"" + std::string(5000, 'a') + "\"", "longer than a datagram"},
        {T + "/driftmeadow\0/x ii 2 32765"s, "a NUL byte"},
        {T + "/x s \"a\0b\""s, "a NUL byte"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 60));
        double seconds = 0;
        std::vector<char> packet;
        const char* reason = OscRecording::parseLine(c.line, seconds, packet);
        ASSERT_NE(reason, nullptr);
        EXPECT_NE(std::string(reason).find(c.reason), std::string::npos) << reason;
    }
}

TEST_F(OscRecordingTest, TheReplayAppliesEachMessageAtItsTimeThroughTheLiveDispatch)
{
    std::istringstream text("eec0816e.00000000 /driftmeadow ii 2 32765\n"
                            "\n"
                            "eec0816e.00000000 driftmeadow ii 2 0\n"
                            "eec0816e.00000000 /driftmeadow\0 ii 2 0\n"s
                            "eec0816e.80000000 /CTL ii 1 2\r\n"
                            "eec0816f.00000000 /driftmeadow ii 0 8191\n"
                            "eec0816e.40000000 /NOTE iii 1 60 100\n");
    OscRecording recording;
    CaptureStderr();
    recording.read(text, "take1.osc");
    EXPECT_EQ(GetCapturedStderr(), "take1.osc:3: the address does not begin with /; line skipped\n"
                                   "take1.osc:4: a NUL byte in the line; line skipped\n");
    EXPECT_EQ(recording.messageCount(), 4u);

    // Per step: the time applied up to, what the console shows, what is set.
    const struct {
        double until;
        std::string console;
        float input2, input0, noteVelocity;
    } steps[] = {
        {0.0, "inputValue:  ID: 2\tval: 32765                 \r", 1.0f, 0.0f, 0.0f},
        {0.3, "NOTE: ch: 1\tnum: 60\tvel: 100        \r", 1.0f, 0.0f, 0.78740156f},
        {0.99, "error while parsing message: /CTL: missing argument\n", 1.0f, 0.0f, 0.78740156f},
        {1.0, "inputValue:  ID: 0\tval: 8191                 \r", 1.0f, 0.24999237f, 0.78740156f},
        {5.0, "", 1.0f, 0.24999237f, 0.78740156f},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.until);
        CaptureStdout();
        recording.applyUntil(s.until);
        EXPECT_EQ(GetCapturedStdout(), s.console);
        EXPECT_EQ(inputValue[2], s.input2);
        EXPECT_EQ(inputValue[0], s.input0);
        EXPECT_EQ(noteVelocity[1 * 128 + 60], s.noteVelocity);
    }
    EXPECT_EQ(recording.appliedCount(), 4u);
    EXPECT_FALSE(OscRecording().load("no/such/recording.osc"));
}

// A folder of its own, removed with what it holds.
struct TakeFolder {
    TakeFolder() { dir = mkdtemp(&dir[0]); }
    ~TakeFolder() { std::filesystem::remove_all(dir); }
    std::string path(const char* name) const { return dir + "/" + name; }
    std::string dir = "/tmp/take-test-XXXXXX";
};

std::vector<std::string> linesOf(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void record(OscRecorder& take, const std::string& datagram)
{
    take.record(osc::ReceivedMessage(osc::ReceivedPacket(datagram.data(), datagram.size())));
}

TEST_F(OscRecordingTest, ATakeIsWrittenFromTheFirstFrameOnAndReplaysWithThatFrameAsTimeZero)
{
    TakeFolder folder;
    const std::string file = folder.path("take.osc");
    std::string why;
    std::unique_ptr<OscRecorder> take = OscRecorder::create(file, why);
    ASSERT_TRUE(take) << why;
    const std::string seek = oscStr("/driftmeadow/seek") + oscStr(",f") + be32(0x43D48000 /* 425.0f */);
    record(*take, intMessage("/driftmeadow", {2, 32765}));  // applied while the window opened
    struct stat st;
    EXPECT_NE(stat(file.c_str(), &st), 0) << "a file before the first frame";
    take->markOrigin();
    record(*take, seek);
    take.reset();

    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 3u);
    const std::string origin = lines[0].substr(0, 17);
    EXPECT_EQ(lines[0], origin + " /driftmeadow/origin ");
    EXPECT_EQ(lines[1], origin + " /driftmeadow ii 2 32765") << "time 0 for what came before";
    EXPECT_EQ(lines[2].substr(17), " /driftmeadow/seek f 425.000000");
    EXPECT_GE(lines[2].substr(0, 17), origin);

    OscRecording replay;
    ASSERT_TRUE(replay.load(file.c_str()));
    EXPECT_EQ(replay.messageCount(), 2u) << "the origin line is no message";
    CaptureStdout();
    replay.applyUntil(0.0);
    EXPECT_EQ(GetCapturedStdout(), "inputValue:  ID: 2\tval: 32765                 \r");

    std::ofstream(folder.path("other.osc")) << "kept\n";
    EXPECT_FALSE(OscRecorder::create(folder.path("other.osc"), why));
    EXPECT_EQ(why, "it exists already, and a take is never written over");
    EXPECT_EQ(linesOf(folder.path("other.osc")), std::vector<std::string>{"kept"});
}

TEST_F(OscRecordingTest, TheOriginLineWhereverItStandsIsTimeZeroOfTheReplay)
{
    std::istringstream text("eec0816f.00000000 /driftmeadow ii 2 32765\n"
                            "eec0816e.00000000 /driftmeadow/origin \n");
    OscRecording recording;
    recording.read(text, "take.osc");
    CaptureStdout();
    recording.applyUntil(0.99);
    EXPECT_EQ(GetCapturedStdout(), "");
    CaptureStdout();
    recording.applyUntil(1.0);
    GetCapturedStdout();
    EXPECT_EQ(inputValue[2], 1.0f);
}

TEST_F(OscRecordingTest, ATakeThatFallsBehindStopsWithOneLineAndKeepsEveryLineBeforeTheLoss)
{
    TakeFolder folder;
    const std::string file = folder.path("take.osc");
    const std::string line = " /driftmeadow ii 2 32765\n";
    auto take = std::make_unique<OscRecorder>(file, 2 * line.size() + 1);
    CaptureStderr();
    // Before the first frame nothing is written, so the queue only fills.
    for (int value : {1, 2, 3, 4})
        record(*take, intMessage("/driftmeadow", {2, value}));
    EXPECT_EQ(GetCapturedStderr(),
              "Recording to " + file + " stopped: the disk did not keep up; the take holds what came before\n");
    EXPECT_TRUE(take->stopped());
    take->markOrigin();
    take.reset();
    const std::vector<std::string> lines = linesOf(file);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(17), " /driftmeadow ii 2 1");
    EXPECT_EQ(lines[2].substr(17), " /driftmeadow ii 2 2");
}

}  // namespace
