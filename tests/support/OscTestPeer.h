// OscTestPeer: a running OscControlReceiver on a free loopback port and a
// sender that talks to it, plus OSC bytes built by hand (sound or broken)
// and the ControlState as one comparable list. Test thread only.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "control/ControlState.h"
#include "control/OscControlReceiver.h"

// A big-endian 32-bit word, and a string with its zero padding to four bytes.
inline std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
inline std::string oscStr(const std::string& s) { return s + std::string(4 - s.size() % 4, '\0'); }

inline std::string intMessage(const std::string& address, std::initializer_list<int32_t> args)
{
    std::string m = oscStr(address) + oscStr("," + std::string(args.size(), 'i'));
    for (int32_t a : args)
        m += be32(uint32_t(a));
    return m;
}

// A bundle with time tag "immediately", each element preceded by its size.
inline std::string bundle(std::initializer_list<std::string> elements)
{
    std::string b = oscStr("#bundle") + be32(0) + be32(1);
    for (const std::string& e : elements)
        b += be32(uint32_t(e.size())) + e;
    return b;
}

inline unsigned short freeUdpPort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0;
    close(fd);
    if (!ok)
        throw std::runtime_error("no free UDP port");
    return ntohs(a.sin_port);
}

inline void sendUdp(unsigned short port, const std::string& datagram, const char* host = "127.0.0.1")
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{AF_INET, htons(port), {}, {}};
    inet_pton(AF_INET, host, &to.sin_addr);
    const ssize_t sent = sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    close(fd);
    if (sent != ssize_t(datagram.size()))
        throw std::runtime_error("sendto failed");
}

// Polls every millisecond for at most a second.
template <class Done>
bool waitUntil(Done done)
{
    using Clock = std::chrono::steady_clock;
    for (const auto end = Clock::now() + std::chrono::seconds(1); !done();
         std::this_thread::sleep_for(std::chrono::milliseconds(1)))
        if (Clock::now() > end)
            return false;
    return true;
}

template <class F>
void forEachControlValue(F f)
{
    for (auto& v : inputValue)
        f(v);
    for (auto& v : controllerValue)
        f(v);
    for (auto& v : noteVelocity)
        f(v);
    for (auto& v : pitchBend)
        f(v);
    f(lastNoteVelocity);
    f(lastPitchBend);
}

inline std::vector<float> controlSnapshot()
{
    std::vector<float> s{float(lastNoteNumber)};
    forEachControlValue([&](std::atomic<float>& v) { s.push_back(v); });
    return s;
}

inline void resetControlState()
{
    forEachControlValue([](std::atomic<float>& v) { v = 0.0f; });
    lastNoteNumber = -1;
}

class OscTestPeer {
public:
    // Binds a port that was free a moment ago (another program may take it
    // in between, hence the tries) and receives on the receiver's thread
    // until destroyed (the receiver's destructor ends the thread quietly).
    OscTestPeer()
    {
        for (int attempt = 0; attempt < 20 && !receiver_; ++attempt) {
            port_ = freeUdpPort();
            receiver_ = std::make_unique<OscControlReceiver>(port_, nullptr);
            if (!receiver_->isBound())
                receiver_.reset();
        }
        if (!receiver_)
            throw std::runtime_error("no UDP port could be bound");
        receiver_->start(true);
    }

    OscControlReceiver& receiver() { return *receiver_; }
    unsigned short port() const { return port_; }

    // Sends the datagram and then a probe ("/driftmeadow" on input 255) that
    // must take effect within a second: by then the datagram has been dealt
    // with and the loop still runs. Returns what the datagram printed.
    std::string deliver(const std::string& datagram)
    {
        const int n = ++probes_;
        testing::internal::CaptureStdout();
        sendUdp(port_, datagram);
        sendUdp(port_, intMessage("/driftmeadow", {255, n}));
        const bool landed = waitUntil([&] { return inputValue[255] == float(n * (1.0 / 32765)); });
        std::string out = testing::internal::GetCapturedStdout();
        inputValue[255] = 0.0f;
        const std::string probeLine = "inputValue:  ID: 255\tval: " + std::to_string(n) + "                 \r";
        if (!landed || out.size() < probeLine.size() || out.substr(out.size() - probeLine.size()) != probeLine)
            return out + "[the message after it took no effect within a second]";
        return out.substr(0, out.size() - probeLine.size());
    }

private:
    std::unique_ptr<OscControlReceiver> receiver_;
    unsigned short port_ = 0;
    int probes_ = 0;
};
