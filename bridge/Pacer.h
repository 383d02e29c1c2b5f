// Pacer: keeps every key (an input, a controller) to at most one message per
// interval, and never loses the last one: a message that comes too soon is
// held, replacing any held before it, and handed out when its time comes.
// The owner's thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <vector>

template <typename Message>
class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit Pacer(Clock::duration interval) : interval_(interval) {}

    // True when `message` may go out now (it counts as sent); false when it
    // is held for later.
    bool admit(uint32_t key, const Message& message, Clock::time_point now)
    {
        auto [it, fresh] = slots_.try_emplace(key);
        Slot& slot = it->second;
        if (fresh || now - slot.lastSent >= interval_) {
            release(slot);
            slot.lastSent = now;
            return true;
        }
        if (!slot.held) {
            slot.held = true;
            ++held_;
        }
        slot.message = message;
        return false;
    }

    // Appends the held messages whose time has come to `out`; they count as sent.
    void takeDue(Clock::time_point now, std::vector<Message>& out)
    {
        if (held_ == 0)
            return;
        for (auto& entry : slots_) {
            Slot& slot = entry.second;
            if (slot.held && now - slot.lastSent >= interval_) {
                out.push_back(slot.message);
                release(slot);
                slot.lastSent = now;
            }
        }
    }

    // When the next held message is due; Clock::time_point::max() when none is held.
    Clock::time_point nextDue() const
    {
        Clock::time_point next = Clock::time_point::max();
        if (held_ == 0)
            return next;
        for (const auto& entry : slots_)
            if (entry.second.held && entry.second.lastSent + interval_ < next)
                next = entry.second.lastSent + interval_;
        return next;
    }

private:
    struct Slot {
        Clock::time_point lastSent;
        bool held = false;
        Message message{};
    };

    void release(Slot& slot)
    {
        if (slot.held) {
            slot.held = false;
            --held_;
        }
    }

    Clock::duration interval_;
    std::unordered_map<uint32_t, Slot> slots_;
    std::size_t held_ = 0;
};
