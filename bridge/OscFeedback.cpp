#include "bridge/OscFeedback.h"

#include <algorithm>

#include <osc/OscOutboundPacketStream.h>

namespace {

constexpr auto kInterval = std::chrono::microseconds(1000000 / OscFeedback::kMessagesPerSecond + 1);
constexpr auto kClientTime = std::chrono::seconds(OscFeedback::kClientSeconds);

}  // namespace

OscFeedback::OscFeedback(const std::vector<MappingRule>& rules, SendTo sendTo) : sendTo_(std::move(sendTo))
{
    for (const MappingRule& rule : rules) {
        if (rule.source.kind != MappingSource::Osc)
            continue;
        rules_.push_back(rule);
        std::vector<float>& levels = levels_[rule.source.address];
        levels.resize(std::max<std::size_t>(levels.size(), rule.source.argument), 0.0f);
    }
}

void OscFeedback::heard(const IpEndpointName& from, const OscInMessage& message, Clock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto client = std::find_if(clients_.begin(), clients_.end(), [&](const Client& c) { return c.endpoint == from; });
    if (client == clients_.end()) {
        if (clients_.size() >= kMaxClients)
            clients_.erase(std::min_element(clients_.begin(), clients_.end(), [](const Client& a, const Client& b) {
                return a.lastHeard < b.lastHeard;
            }));
        clients_.push_back({from, message.sender, now, now - kInterval, {}});
        client = clients_.end() - 1;
    }
    client->lastHeard = now;
    auto mapped = levels_.find(message.address);
    if (mapped == levels_.end())
        return;
    for (std::size_t i = 0; i < mapped->second.size() && i < message.arguments.size(); ++i) {
        const OscInArgument& a = message.arguments[i];
        if (a.isNumber)
            mapped->second[i] = float(std::clamp(a.isFloat ? a.value : a.value / 127.0, 0.0, 1.0));
    }
}

void OscFeedback::inputChanged(const InputChange& change, Clock::time_point)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const MappingRule& rule : rules_) {
        if (rule.id != change.id)
            continue;
        const std::string& address = rule.source.address;
        levels_[address][rule.source.argument - 1] = float(levelForValue(rule, change.value));
        for (Client& client : clients_) {
            if (client.name == change.origin.client && address == change.origin.address)
                continue;
            if (std::find(client.due.begin(), client.due.end(), address) == client.due.end())
                client.due.push_back(address);
        }
    }
}

FeedbackListener::Clock::time_point OscFeedback::flushHeld(Clock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [&](const Client& c) { return now - c.lastHeard > kClientTime; }),
                   clients_.end());
    Clock::time_point next = Clock::time_point::max();
    for (Client& client : clients_) {
        if (client.due.empty())
            continue;
        if (now - client.lastSent >= kInterval) {
            send(client, client.due.front());
            client.due.pop_front();
            client.lastSent = now;
        }
        if (!client.due.empty())
            next = std::min(next, client.lastSent + kInterval);
    }
    return next;
}

void OscFeedback::send(Client& client, const std::string& address)
{
    char buffer[512];
    osc::OutboundPacketStream packet(buffer, sizeof buffer);
    packet << osc::BeginMessage(address.c_str());
    for (float level : levels_[address])
        packet << level;
    packet << osc::EndMessage;
    sendTo_(client.endpoint, packet.Data(), packet.Size());
}
