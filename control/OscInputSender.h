// OscInputSender: sends input values to a show's OSC port, each as one
// "/driftmeadow" ID value message in a UDP datagram (oscpack); frames of
// values are kept to at most 50 in any second, single messages are paced by
// the caller. UDP has no connection: a send that fails (nobody listening, no
// route) is reported once on standard error, and sending simply goes on.
// The owner's thread only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class UdpSocket;

class OscInputSender {
public:
    // Where to send: an IPv4 address in host byte order and a port.
    struct Destination {
        // As shown to the performer: the address used, "A.B.C.D:PORT", and
        // after it " (HOST)" when it was looked up by a name.
        std::string name;
        unsigned long address = 0;
        int port = 0;
    };
    // "[HOST:]PORT", or empty for 127.0.0.1:55550; HOST is an IPv4 address
    // as a dotted quad (four numbers from 0 to 255 without leading zeros,
    // which older parsers read as octal) or a host name, looked up here.
    // False with a one-line reason when it is unsound; `out` is then left
    // as it was.
    static bool parseDestination(const std::string& text, Destination& out, std::string& error);

    explicit OscInputSender(Destination destination);
    ~OscInputSender();
    OscInputSender(const OscInputSender&) = delete;
    OscInputSender& operator=(const OscInputSender&) = delete;

    const std::string& destinationName() const { return destination_.name; }

    // One frame of (ID, value) pairs, IDs distinct, at `nowMs` (a monotonic
    // millisecond clock); values are sent clamped to 0..32765. Held back whole when it would be the 51st frame
    // within 1000 ms. Returns true when this call printed the failure line,
    // so that a console display can start again below it.
    bool sendFrame(const std::vector<std::pair<int, int>>& values, uint32_t nowMs);

    // One message of int32 arguments at any address ("/driftmeadow",
    // "/CTL", ...), sent at once. Returns true when this call printed the
    // failure line.
    bool sendMessage(const char* address, std::initializer_list<int> arguments);

private:
    bool mayStartFrame(uint32_t nowMs);
    // Errno's text for the first failure; empty when all went out.
    std::string sendAll(const std::vector<std::pair<int, int>>& values);
    // Errno's text when the datagram could not go out; empty when it did.
    std::string sendDatagram(const char* address, std::initializer_list<int> arguments);
    bool reportOnce(const std::string& failure);

    static constexpr int kFramesPerSecond = 50;
    Destination destination_;
    std::unique_ptr<UdpSocket> socket_;  // connected; null until that works
    uint32_t frameTimes_[kFramesPerSecond] = {};  // start times of the last frames
    int oldest_ = 0;                              // ring position of the oldest
    bool ringFull_ = false;
    bool failureReported_ = false;
};
