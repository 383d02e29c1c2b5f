// The transport's rule from the show's clock to frame time: seeks, loops
// that send the time back from their end, loops set past their end, seeks
// past a running loop, the end of a loop; and requests taken once each, at
// the first frame after them.
#include <gtest/gtest.h>

#include <vector>

#include "control/TransportRequests.h"
#include "frame/Transport.h"

namespace {

struct Step {
    enum Kind { Seek, Loop, Check } kind;
    double clock, a, b;  // Seek: a; Loop: a to b; Check: frame time a
};

TEST(Transport, EachRequestActsAtItsClockTimeAndTheFrameTimeFollowsTheRule)
{
    using S = Step;
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"nothing sent: the clock", {{S::Check, 0, 0, 0}, {S::Check, 12.5, 12.5, 0}}},
        {"seek", {{S::Seek, 3, 425, 0}, {S::Check, 3, 425, 0}, {S::Check, 4.5, 426.5, 0}}},
        {"loop ahead, reached later",
         {{S::Loop, 2, 419, 421}, {S::Check, 420.5, 420.5, 0}, {S::Check, 421, 419, 0},
          {S::Check, 422.5, 420.5, 0}, {S::Check, 427, 419, 0}}},
        {"seek into a loop",
         {{S::Seek, 5, 419, 0}, {S::Loop, 5, 419, 421}, {S::Check, 5, 419, 0}, {S::Check, 8.5, 420.5, 0}}},
        {"loop set past its end starts it at once",
         {{S::Loop, 430, 0, 415}, {S::Check, 430, 0, 0}, {S::Check, 845, 0, 0}}},
        {"seek past a running loop runs on, the loop sent again catches it",
         {{S::Loop, 0, 0, 415}, {S::Seek, 10, 420, 0}, {S::Check, 20, 430, 0}, {S::Loop, 20, 0, 415},
          {S::Check, 21, 1, 0}}},
        {"0 0 ends the loop where the time is",
         {{S::Loop, 0, 10, 12}, {S::Check, 13, 11, 0}, {S::Loop, 13, 0, 0}, {S::Check, 15, 13, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transport transport;
        for (const Step& s : c.steps) {
            if (s.kind == S::Seek)
                transport.seek(s.clock, s.a);
            else if (s.kind == S::Loop)
                transport.loop(s.clock, s.a, s.b);
            else
                EXPECT_DOUBLE_EQ(transport.map(s.clock), s.a) << "at clock " << s.clock;
        }
    }
}

TEST(Transport, RequestsAreTakenOnceEachAtTheNextFrameAndOnlyThoseMadeAfterItsStart)
{
    requestSeek(100.0f);
    Transport transport;
    EXPECT_EQ(transport.frameTime(1.0f), 1.0f) << "a request from before it";

    requestSeek(50.0f);
    EXPECT_EQ(transport.frameTime(2.0f), 50.0f);
    EXPECT_EQ(transport.frameTime(3.0f), 51.0f) << "taken once";
    requestSeek(50.0f);
    EXPECT_EQ(transport.frameTime(4.0f), 50.0f) << "the same seek again seeks again";

    // Between two frames: the loop comes first, the seek second; the seek
    // is applied first, so the loop catches the time it set.
    requestLoop(60.0f, 62.0f);
    requestSeek(61.0f);
    EXPECT_EQ(transport.frameTime(5.0f), 61.0f);
    EXPECT_EQ(transport.frameTime(6.5f), 60.5f);

    requestLoop(0.0f, 0.0f);
    EXPECT_EQ(transport.frameTime(7.0f), 61.0f);
    EXPECT_EQ(transport.frameTime(10.0f), 64.0f);
}

}  // namespace
