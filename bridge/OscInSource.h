// OscInSource: OSC from any app, on a UDP port of the bridge's own. Every
// message, alone or out of a bundle, at any address, goes to the engine
// with its numbers (int32, float, double, int64, true and false); the
// datagram's structure is checked first, and what is unsound, like a NaN
// argument, is said once per sender or address and passed over. The same
// socket sends the feedback to the apps, through the OscFeedback it owns.
// The main thread constructs, starts and stops it; the receive thread runs
// the packet and message handlers; the engine's thread calls sendTo.
#pragma once

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <ip/UdpSocket.h>
#include <osc/OscPacketListener.h>

#include "bridge/BridgeEngine.h"
#include "bridge/OscFeedback.h"

class OscInSource : public osc::OscPacketListener {
public:
    // "[HOST:]PORT": HOST is the local address to listen on (every local
    // interface without it). False with a one-line reason when it is unsound.
    static bool parseListenAddress(const std::string& text, IpEndpointName& out, std::string& error);

    // Binds the socket; isBound() is false and bindError() says why when the
    // port cannot be had. Receives nothing until start().
    OscInSource(const IpEndpointName& local, BridgeEngine& engine, BridgeEngine::LineSink lines);
    ~OscInSource() override;
    OscInSource(const OscInSource&) = delete;
    OscInSource& operator=(const OscInSource&) = delete;

    bool isBound() const { return socket_ != nullptr; }
    const std::string& bindError() const { return bindError_; }
    int bindErrno() const { return bindErrno_; }
    FeedbackListener& feedback() { return feedback_; }

    void start();
    void stop();

    void ProcessPacket(const char* data, int size, const IpEndpointName& remote) override;

protected:
    void ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName& remote) override;

private:
    void sendTo(const IpEndpointName& to, const char* data, std::size_t size);
    // Says `line` unless `key` was said before (the set stays bounded).
    void sayOnce(std::set<std::string>& said, const std::string& key, const std::string& line);

    BridgeEngine& engine_;
    BridgeEngine::LineSink lines_;
    OscFeedback feedback_;
    UdpListeningReceiveSocket* socket_ = nullptr;
    std::string bindError_;
    int bindErrno_ = 0;
    std::thread thread_;
    std::atomic<bool> loopEnded_{false};
    std::set<std::string> unsoundSenders_;   // receive thread only
    std::set<std::string> notANumber_;        // receive thread only
};
