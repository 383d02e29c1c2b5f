#include "support/OscTestPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "control/ControlState.h"
#include "control/OscControlReceiver.h"

OscBytes& OscBytes::str(const std::string& s)
{
    bytes_ += s;
    bytes_.append(4 - s.size() % 4, '\0');
    return *this;
}

OscBytes& OscBytes::u32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    bytes_.append(b, 4);
    return *this;
}

OscBytes& OscBytes::i32(int32_t v)
{
    return u32(static_cast<uint32_t>(v));
}

OscBytes& OscBytes::f32(float v)
{
    uint32_t bits;
    memcpy(&bits, &v, 4);
    return u32(bits);
}

OscBytes& OscBytes::raw(const std::string& bytes)
{
    bytes_ += bytes;
    return *this;
}

std::string intMessage(const std::string& address, std::initializer_list<int32_t> args)
{
    OscBytes m;
    m.str(address).str("," + std::string(args.size(), 'i'));
    for (int32_t a : args)
        m.i32(a);
    return m.bytes();
}

std::string bundle(std::initializer_list<std::string> elements)
{
    OscBytes b;
    b.str("#bundle").u32(0).u32(1);
    for (const std::string& e : elements)
        b.u32(static_cast<uint32_t>(e.size())).raw(e);
    return b.bytes();
}

unsigned short freeUdpPort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        throw std::runtime_error("no free UDP port");
    close(fd);
    return ntohs(a.sin_port);
}

UdpSender::UdpSender(unsigned short port, const char* host)
    : fd_(socket(AF_INET, SOCK_DGRAM, 0)), port_(port), host_(host)
{
}

UdpSender::~UdpSender()
{
    close(fd_);
}

void UdpSender::send(const std::string& datagram)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port_);
    inet_pton(AF_INET, host_.c_str(), &to.sin_addr);
    if (sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) !=
        static_cast<ssize_t>(datagram.size()))
        throw std::runtime_error("sendto failed");
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

ControlSnapshot snapshotControlState()
{
    ControlSnapshot s;
    for (auto& v : inputValue)
        s.values.push_back(v.load());
    for (auto& v : controllerValue)
        s.values.push_back(v.load());
    for (auto& v : noteVelocity)
        s.values.push_back(v.load());
    for (auto& v : pitchBend)
        s.values.push_back(v.load());
    s.values.push_back(lastNoteVelocity.load());
    s.values.push_back(lastPitchBend.load());
    s.lastNote = lastNoteNumber.load();
    return s;
}

void resetControlState()
{
    for (auto& v : inputValue)
        v.store(0.0f);
    for (auto& v : controllerValue)
        v.store(0.0f);
    for (auto& v : noteVelocity)
        v.store(0.0f);
    for (auto& v : pitchBend)
        v.store(0.0f);
    lastNoteVelocity.store(0.0f);
    lastPitchBend.store(0.0f);
    lastNoteNumber.store(-1);
}

namespace {

// Binds a receiver on a port that was free a moment ago; another test
// program may take it in between, hence the few tries.
OscControlReceiver* bindFreeReceiver(unsigned short& port)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        port = freeUdpPort();
        auto* r = new OscControlReceiver(port, nullptr);
        if (r->isBound())
            return r;
        delete r;
    }
    throw std::runtime_error("no UDP port could be bound");
}

}  // namespace

LiveReceiver::LiveReceiver()
    : receiver_(bindFreeReceiver(port_)), sender_(port_)
{
    receiver_->start(true);
}

LiveReceiver::~LiveReceiver()
{
    receiver_->stop();
    delete receiver_;
}

std::string LiveReceiver::deliver(const std::string& datagram)
{
    testing::internal::CaptureStdout();
    sender_.send(datagram);
    const int n = ++probes_;
    sender_.send(intMessage("/driftmeadow", {255, n}));
    const float applied = static_cast<float>(n * (1.0 / 32765));
    const bool landed = waitUntil([&] { return inputValue[255].load() == applied; });
    std::string out = testing::internal::GetCapturedStdout();
    inputValue[255].store(0.0f);
    if (!landed)
        return out + "[the message after it was not applied within a second]";
    const std::string probeLine =
        "inputValue:  ID: 255\tval: " + std::to_string(n) + "                 \r";
    if (out.size() < probeLine.size() || out.compare(out.size() - probeLine.size(), probeLine.size(), probeLine) != 0)
        return out + "[the message after it printed no status line]";
    out.resize(out.size() - probeLine.size());
    return out;
}
