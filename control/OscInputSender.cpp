#include "control/OscInputSender.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>
#include <exception>

#include <ip/IpEndpointName.h>
#include <ip/UdpSocket.h>
#include <osc/OscOutboundPacketStream.h>

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

// A dotted IPv4 address, or a name looked up once (IPv4 only: oscpack's
// endpoints are IPv4). Host byte order.
bool resolveHost(const std::string& host, unsigned long& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, host.c_str(), &parsed) == 1) {
        address = ntohl(parsed.s_addr);
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
    return true;
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
    if (!parsePort(port, out.port)) {
        error = "PORT must be a number from 1 to 65535 in '" + text + "'";
        return false;
    }
    if (host.empty() || !resolveHost(host, out.address)) {
        error = "unknown host '" + host + "'";
        return false;
    }
    out.name = host + ":" + port;
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
        std::string f = sendDatagram(kInputAddress, {id, value});
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
