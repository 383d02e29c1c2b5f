// OscFeedback: the OSC apps that steer the bridge are told where their
// controls should stand. Every app heard from in the last minute gets, after
// each change of an input, the value at each OSC address mapped to that
// input, to the address and port it sent from, as float arguments 0 to 1
// (an address with several mapped arguments, like an XY pad, gets them
// all). An app is not told back the change it made itself at the address it
// used, so a fader under a finger is never pulled. At most 30 messages a
// second go to one app; the latest value always goes. heard() is called on
// the OSC receive thread, the listener calls on the engine's thread.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <ip/IpEndpointName.h>

#include "bridge/FeedbackListener.h"
#include "bridge/MappingRule.h"
#include "bridge/OscInMessage.h"

class OscFeedback : public FeedbackListener {
public:
    static constexpr int kMessagesPerSecond = 30;
    static constexpr int kClientSeconds = 60;
    // Apps remembered at once; the one heard from longest ago gives way.
    static constexpr std::size_t kMaxClients = 64;

    // Sends one datagram to an app (from the port the apps send to).
    using SendTo = std::function<void(const IpEndpointName& to, const char* data, std::size_t size)>;

    OscFeedback(const std::vector<MappingRule>& rules, SendTo sendTo);
    OscFeedback(const OscFeedback&) = delete;
    OscFeedback& operator=(const OscFeedback&) = delete;

    // A message from an app: it is a client for the next minute, and its
    // numbers at mapped addresses are where those controls now stand.
    void heard(const IpEndpointName& from, const OscInMessage& message, Clock::time_point now);

    void inputChanged(const InputChange& change, Clock::time_point now) override;
    Clock::time_point flushHeld(Clock::time_point now) override;

private:
    struct Client {
        IpEndpointName endpoint;
        std::string name;  // "HOST:PORT", as the engine's origins name it
        Clock::time_point lastHeard;
        Clock::time_point lastSent;
        std::deque<std::string> due;  // addresses to send, oldest change first
    };

    void send(Client& client, const std::string& address);

    SendTo sendTo_;
    std::vector<MappingRule> rules_;                  // the OSC ones
    std::map<std::string, std::vector<float>> levels_;  // by address, one per argument
    std::mutex mutex_;
    std::vector<Client> clients_;
};
