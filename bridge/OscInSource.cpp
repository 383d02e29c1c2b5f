#include "bridge/OscInSource.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <exception>

#include <osc/OscReceivedElements.h>

#include "bridge/BridgeConsole.h"
#include "control/OscInputSender.h"
#include "control/OscPacketCheck.h"

namespace {

constexpr std::size_t kMaxSaid = 256;

std::string endpointText(const IpEndpointName& e)
{
    char text[IpEndpointName::ADDRESS_AND_PORT_STRING_LENGTH];
    e.AddressAndPortAsString(text);
    return text;
}

std::string withoutLineEnd(std::string s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

// The number an argument carries, if any.
OscInArgument readArgument(const osc::ReceivedMessageArgument& a)
{
    OscInArgument out;
    switch (a.TypeTag()) {
    case osc::INT32_TYPE_TAG: out = {double(a.AsInt32Unchecked()), false, true}; break;
    case osc::INT64_TYPE_TAG: out = {double(a.AsInt64Unchecked()), false, true}; break;
    case osc::FLOAT_TYPE_TAG: out = {double(a.AsFloatUnchecked()), true, true}; break;
    case osc::DOUBLE_TYPE_TAG: out = {a.AsDoubleUnchecked(), true, true}; break;
    case osc::TRUE_TYPE_TAG: out = {1.0, true, true}; break;
    case osc::FALSE_TYPE_TAG: out = {0.0, true, true}; break;
    default: return out;
    }
    out.isNumber = std::isfinite(out.value);
    return out;
}

}  // namespace

bool OscInSource::parseListenAddress(const std::string& text, IpEndpointName& out, std::string& error)
{
    const std::size_t colon = text.rfind(':');
    OscInputSender::Destination d;
    if (!OscInputSender::parseDestination(text, d, error))
        return false;
    out = IpEndpointName(colon == std::string::npos ? IpEndpointName::ANY_ADDRESS : d.address, d.port);
    return true;
}

OscInSource::OscInSource(const IpEndpointName& local, BridgeEngine& engine, BridgeEngine::LineSink lines)
    : engine_(engine), lines_(std::move(lines)),
      feedback_(engine.mappings(), [this](const IpEndpointName& to, const char* data, std::size_t size) {
          sendTo(to, data, size);
      })
{
    try {
        socket_ = new UdpListeningReceiveSocket(local, this);
    } catch (const std::exception& e) {
        bindErrno_ = errno;
        bindError_ = withoutLineEnd(e.what());
    }
}

OscInSource::~OscInSource()
{
    stop();
    delete socket_;
}

void OscInSource::start()
{
    if (!socket_)
        return;
    thread_ = std::thread([this] {
        // Run returns when the loop is broken; datagrams never end it (their
        // failures are handled inside).
        try {
            socket_->Run();
        } catch (const std::exception& e) {
            lines_(unsoundDatagramLine("the receive loop", withoutLineEnd(e.what())));
        }
        loopEnded_.store(true);
    });
}

void OscInSource::stop()
{
    if (!thread_.joinable())
        return;
    // oscpack's Run clears its break flag when it starts: a break that comes
    // before the loop runs would be lost, so it is repeated until the loop ends.
    while (!loopEnded_.load()) {
        socket_->AsynchronousBreak();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread_.join();
}

void OscInSource::sendTo(const IpEndpointName& to, const char* data, std::size_t size)
{
    try {
        socket_->SendTo(to, data, size);
    } catch (const std::exception&) {
        // Feedback is a courtesy to the app: one that is gone is simply not told.
    }
}

void OscInSource::sayOnce(std::set<std::string>& said, const std::string& key, const std::string& line)
{
    if (said.size() >= kMaxSaid || !said.insert(key).second)
        return;
    lines_(line);
}

void OscInSource::ProcessPacket(const char* data, int size, const IpEndpointName& remote)
{
    const char* fault = size < 0 ? "empty datagram" : checkOscPacket(data, std::size_t(size));
    if (!fault) {
        try {
            osc::OscPacketListener::ProcessPacket(data, size, remote);
            return;
        } catch (const std::exception& e) {
            fault = e.what();
        }
    }
    const std::string sender = endpointText(remote);
    sayOnce(unsoundSenders_, sender, unsoundDatagramLine(sender, withoutLineEnd(fault)));
}

void OscInSource::ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName& remote)
{
    OscInMessage m;
    m.address = message.AddressPattern();
    m.sender = endpointText(remote);
    for (auto a = message.ArgumentsBegin(); a != message.ArgumentsEnd(); ++a) {
        m.arguments.push_back(readArgument(*a));
        const char tag = a->TypeTag();
        if (!m.arguments.back().isNumber && (tag == osc::FLOAT_TYPE_TAG || tag == osc::DOUBLE_TYPE_TAG))
            sayOnce(notANumber_, m.address, notANumberLine(m.address, m.sender, int(m.arguments.size())));
    }
    feedback_.heard(remote, m, std::chrono::steady_clock::now());
    engine_.post(std::move(m));
}
