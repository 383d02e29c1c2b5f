// The control page's parsing and access rules: page messages taken or
// refused, tokens and listening addresses checked, the QR code's shape.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge/PageMessage.h"
#include "bridge/WebAccess.h"

TEST(PageMessage, TakesOnlySoundMessages)
{
    struct Case {
        const char* text;
        PageMessage::Kind kind;
        int input;
        double level;
    };
    const Case cases[] = {
        {"set 2 0.734", PageMessage::Set, 2, 0.734},
        {"set 0 1", PageMessage::Set, 0, 1.0},
        {"set 255 .5", PageMessage::Set, 255, 0.5},
        {"set 2 1.0000", PageMessage::Set, 2, 1.0},
        {"restart", PageMessage::Restart, 0, 0},
        {"hold", PageMessage::Hold, 0, 0},
        {"fade", PageMessage::Fade, 0, 0},
        {"set 2 1.0001", PageMessage::Invalid, 0, 0},
        {"set 256 0", PageMessage::Invalid, 0, 0},
        {"set 02 0", PageMessage::Invalid, 0, 0},
        {"set -1 0", PageMessage::Invalid, 0, 0},
        {"set 2 -0.5", PageMessage::Invalid, 0, 0},
        {"set 2 nan", PageMessage::Invalid, 0, 0},
        {"set 2 1e0", PageMessage::Invalid, 0, 0},
        {"set 2 0.5.", PageMessage::Invalid, 0, 0},
        {"set 2 .", PageMessage::Invalid, 0, 0},
        {"set 2  0.5", PageMessage::Invalid, 0, 0},
        {"set 2 0.5 ", PageMessage::Invalid, 0, 0},
        {"set 2", PageMessage::Invalid, 0, 0},
        {"Restart", PageMessage::Invalid, 0, 0},
        {"restart ", PageMessage::Invalid, 0, 0},
        {"", PageMessage::Invalid, 0, 0},
    };
    for (const Case& c : cases) {
        const PageMessage m = parsePageMessage(c.text, std::strlen(c.text));
        EXPECT_EQ(m.kind, c.kind) << c.text;
        if (m.kind == PageMessage::Set) {
            EXPECT_EQ(m.input, c.input) << c.text;
            EXPECT_DOUBLE_EQ(m.level, c.level) << c.text;
        }
    }
    // A frame is taken by its size, never by a terminating zero.
    EXPECT_EQ(parsePageMessage("holdx", 4).kind, PageMessage::Hold);
    EXPECT_EQ(parsePageMessage("hold\0", 5).kind, PageMessage::Invalid);
    EXPECT_EQ(pageValueMessage(2, 0.5, 16383), "value 2 0.5000 16383");
}

TEST(WebAccess, TokensAndAddresses)
{
    const std::string token = makeWebToken();
    std::string error;
    EXPECT_EQ(token.size(), 22u);
    EXPECT_TRUE(checkWebToken(token, error));
    EXPECT_NE(makeWebToken(), token);
    EXPECT_TRUE(tokenMatches(token, token));
    for (const std::string& other : {std::string(), token.substr(1), token + "x", "x" + token.substr(1)})
        EXPECT_FALSE(tokenMatches(other, token)) << other;
    for (const char* bad : {"short", "has blank inside", "slash/token", "\xc3\xa9t\xc3\xa9t\xc3\xa9t\xc3\xa9"})
        EXPECT_FALSE(checkWebToken(bad, error)) << bad;

    std::string host;
    int port = 0;
    EXPECT_TRUE(parseWebAddress("", host, port, error));
    EXPECT_EQ(host + ":" + std::to_string(port), "0.0.0.0:8550");
    EXPECT_TRUE(parseWebAddress("127.0.0.1:9000", host, port, error));
    EXPECT_EQ(host + ":" + std::to_string(port), "127.0.0.1:9000");
    for (const char* bad : {"0", "65536", "x", "localhost:80", "1.2.3:80", "127.0.0.1:", "-1"})
        EXPECT_FALSE(parseWebAddress(bad, host, port, error)) << bad;
    EXPECT_EQ(pageAddresses("127.0.0.1", 9000, "abcdefgh"),
              std::vector<std::string>{"http://127.0.0.1:9000/?token=abcdefgh"});
}

TEST(WebAccess, QrCodeIsSquareWithQuietZone)
{
    const std::vector<std::string> lines = qrCodeLines("http://192.168.1.20:8550/?token=TwplKpsLe284uBN8DZpb5P");
    ASSERT_FALSE(lines.empty());
    // Version 3 at the lowest correction: 29 modules, 4 of quiet zone each
    // side, two rows a line; the first line is all quiet zone.
    EXPECT_EQ(lines.size(), std::size_t((29 + 8 + 1) / 2));
    EXPECT_EQ(lines.front(), "\033[30;47m" + std::string(37, ' ') + "\033[0m");
}
