#include "control/OscInputSender.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include <ip/IpEndpointName.h>
#include <ip/UdpSocket.h>
#include <osc/OscOutboundPacketStream.h>

#include "base/PrintableText.h"
#include "control/ControlState.h"
#include "control/OscConsole.h"
#include "control/OscControlReceiver.h"

namespace {

constexpr uint32_t kWindowMs = 1000;

// Digits only, 1 to 65535.
bool parsePort(const std::string& text, int& port)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port >= 1 && port <= 65535;
}

// A host name as DNS allows: dot-separated labels of letters, digits and
// hyphens (no hyphen at either end), 1 to 63 characters each, 253 in all,
// one final dot allowed.
bool isHostName(const std::string& host)
{
    std::string name = host;
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (name.empty() || name.size() > 253)
        return false;
    size_t start = 0;
    for (;;) {
        const size_t dot = std::min(name.find('.', start), name.size());
        const std::string label = name.substr(start, dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-' ||
            label.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-") !=
                std::string::npos)
            return false;
        if (dot == name.size())
            return true;
        start = dot + 1;
    }
}

// A name whose last label is all digits, or anything the C library's old
// parser reads as a number (127.0.0.010 as 127.0.0.8, 1.2.3 as 1.2.0.3,
// 0x7f000001), is an address written some other way than a dotted quad.
bool looksNumeric(const std::string& host)
{
    const size_t lastDot = host.find_last_of('.', host.size() - 2);
    const std::string last = host.substr(lastDot == std::string::npos ? 0 : lastDot + 1);
    in_addr legacy{};
    return last.find_first_not_of("0123456789.") == std::string::npos || inet_aton(host.c_str(), &legacy) != 0;
}

// A dotted quad, or a host name looked up once (IPv4 only: oscpack's
// endpoints are IPv4). Host byte order. False with the reason.
bool resolveHost(const std::string& host, unsigned long& address, std::string& error)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) == 1) {
        address = ntohl(parsed.s_addr);
        return true;
    }
    if (!isHostName(host) || looksNumeric(host)) {
        error = "HOST must be a dotted quad such as 127.0.0.1 (no leading zeros) or a host name, not '" +
                printableText(host) + "'";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int failure = getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (failure != 0 || !found) {
        error = "unknown host '" + printableText(host) + "': " + (failure != 0 ? gai_strerror(failure) : "no IPv4 address");
        return false;
    }
    address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
}

std::string dottedQuad(unsigned long address)
{
    in_addr a{};
    a.s_addr = htonl(uint32_t(address));
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

}  // namespace

bool OscInputSender::parseDestination(const std::string& text, Destination& out, std::string& error)
{
    std::string host = "127.0.0.1";
    std::string port = text.empty() ? std::to_string(kOscPort) : text;
    const size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    Destination parsed;
    if (!parsePort(port, parsed.port)) {
        error = "PORT must be a number from 1 to 65535 in '" + printableText(text) + "'";
        return false;
    }
    if (!resolveHost(host, parsed.address, error))
        return false;
    // The address used, and the name it was looked up by.
    parsed.name = dottedQuad(parsed.address) + ":" + std::to_string(parsed.port);
    if (host != dottedQuad(parsed.address))
        parsed.name += " (" + host + ")";
    out = parsed;
    return true;
}

OscInputSender::OscInputSender(Destination destination) : destination_(std::move(destination)) {}

OscInputSender::~OscInputSender() = default;

bool OscInputSender::sendFrame(const std::vector<std::pair<int, int>>& values, uint32_t nowMs)
{
    if (!mayStartFrame(nowMs))
        return false;
    return reportOnce(sendAll(values));
}

bool OscInputSender::sendMessage(const char* address, std::initializer_list<int> arguments)
{
    return reportOnce(sendDatagram(address, arguments));
}

bool OscInputSender::reportOnce(const std::string& failure)
{
    if (failure.empty() || failureReported_)
        return false;
    failureReported_ = true;
    reportSendFailure(destination_.name.c_str(), failure.c_str());
    return true;
}

// A sliding window over the last 50 frames: the next one may start only once
// the oldest of them is a full second old.
bool OscInputSender::mayStartFrame(uint32_t nowMs)
{
    if (ringFull_ && nowMs - frameTimes_[oldest_] < kWindowMs)
        return false;
    frameTimes_[oldest_] = nowMs;
    oldest_ = (oldest_ + 1) % kFramesPerSecond;
    ringFull_ = ringFull_ || oldest_ == 0;
    return true;
}

std::string OscInputSender::sendAll(const std::vector<std::pair<int, int>>& values)
{
    std::string failure;
    for (const auto& [id, value] : values) {
        std::string f = sendDatagram(kInputAddress, {id, std::clamp(value, 0, kInputFullScale)});
        if (failure.empty())
            failure = std::move(f);
    }
    return failure;
}

std::string OscInputSender::sendDatagram(const char* address, std::initializer_list<int> arguments)
{
    if (!socket_) {
        // Connecting a UDP socket only picks the route; without one (no
        // network yet) it fails, and the next message tries again.
        errno = 0;
        try {
            auto socket = std::make_unique<UdpSocket>();
            socket->Connect(IpEndpointName(destination_.address, destination_.port));
            socket_ = std::move(socket);
        } catch (const std::exception& e) {
            return errno != 0 ? strerror(errno) : e.what();
        }
    }
    char buffer[256];
    osc::OutboundPacketStream packet(buffer, sizeof buffer);
    try {
        packet << osc::BeginMessage(address);
        for (int a : arguments)
            packet << osc::int32(a);
        packet << osc::EndMessage;
    } catch (const osc::Exception& e) {
        return e.what();  // an address too long for one datagram
    }
    // oscpack's Send drops send()'s result; errno, cleared just before,
    // still tells whether the datagram went out.
    errno = 0;
    socket_->Send(packet.Data(), packet.Size());
    return errno != 0 ? strerror(errno) : std::string();
}
