// The input value sender against a plain UDP socket: every frame offered
// faster than 50 a second, across the wrap of the millisecond clock, arrives
// at most 50 to any second and no fewer than the window allows.
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/OscInputSender.h"

TEST(OscInputSender, SendsAtMostFiftyFramesInAnySecond)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), len), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len), 0);
    int rcvbuf = 1 << 20;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    OscInputSender::Destination to;
    std::string error;
    ASSERT_TRUE(OscInputSender::parseDestination(std::to_string(ntohs(a.sin_port)), to, error)) << error;
    OscInputSender sender(to);

    const uint32_t start = 0xFFFFFFFFu - 1500;  // the clock wraps 1.5 s in
    for (int ms = 0; ms < 3000; ms += 7)  // offered at about 143 a second
        EXPECT_FALSE(sender.sendFrame({{2, ms}}, start + uint32_t(ms)));

    std::vector<int> sentAt;  // the value is the offer's time
    unsigned char d[64];
    while (recv(fd, d, sizeof d, MSG_DONTWAIT) == 28)
        sentAt.push_back(d[24] << 24 | d[25] << 16 | d[26] << 8 | d[27]);
    close(fd);
    ASSERT_GE(sentAt.size(), 150u) << "three full windows of 50";
    for (size_t i = 50; i < sentAt.size(); ++i)
        ASSERT_GE(sentAt[i] - sentAt[i - 50], 1000) << "51 frames within a second, ending at " << sentAt[i];
}

TEST(OscInputSender, TakesDottedQuadsAndHostNamesAndShowsTheAddressUsed)
{
    const struct {
        const char *text, *shown;  // shown: null when refused
    } cases[] = {
        {"", "127.0.0.1:55550"},
        {"9000", "127.0.0.1:9000"},
        {"10.1.2.3:9000", "10.1.2.3:9000"},
        {"localhost:9000", "127.0.0.1:9000 (localhost)"},
        {"127.0.0.010:9000", nullptr},  // octal to the old parser: 127.0.0.8
        {"1.2.3:9000", nullptr},        // 1.2.0.3 to the old parser
        {"0x7f000001:9000", nullptr},
        {"2130706433:9000", nullptr},
        {"256.1.1.1:9000", nullptr},
        {"[::1]:9000", nullptr},
        {"bad host:9000", nullptr},
        {"bad\nhost:9000", nullptr},
        {"nosuchhost.invalid:9000", nullptr},
        {"127.0.0.1:0", nullptr},
        {"127.0.0.1:65536", nullptr},
        {"127.0.0.1:", nullptr},
    };
    for (const auto& c : cases) {
        OscInputSender::Destination to;
        std::string error;
        const bool taken = OscInputSender::parseDestination(c.text, to, error);
        EXPECT_EQ(taken, c.shown != nullptr) << c.text << ": " << error;
        if (taken && c.shown)
            EXPECT_EQ(to.name, c.shown) << c.text;
        if (!taken)
            EXPECT_TRUE(!error.empty() && error.find('\n') == std::string::npos) << c.text;
    }
}
