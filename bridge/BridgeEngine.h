// BridgeEngine: the one road every source's events take to the shows.
// A source event (MIDI, OSC from an app, or an input set directly) is
// mirrored when it is MIDI, offered to --learn, and passed through the
// mapping to an input value; the value glides when its mapping smooths it,
// and goes to every destination at most 60 times a second per input (the
// last value always sent); every change of an input is told to every
// FeedbackListener. The engine runs on a thread of its own and owns all of
// that state: sources on any thread only post events, and never wait for a
// send. Construct, add listeners and start on one thread (the main one);
// post from any thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "bridge/FeedbackListener.h"
#include "bridge/MappingRule.h"
#include "bridge/MidiMessage.h"
#include "bridge/OscInMessage.h"
#include "bridge/Pacer.h"
#include "control/ControlState.h"
#include "control/OscInputSender.h"

class BridgeEngine {
public:
    using Clock = std::chrono::steady_clock;
    // Prints one line for the performer (the live display's funnel).
    using LineSink = std::function<void(const std::string&)>;

    // Per input and destination.
    static constexpr int kMessagesPerSecond = 60;
    // Events waiting beyond this are dropped (and counted): a flood must not
    // eat the memory.
    static constexpr std::size_t kMaxQueued = 1 << 16;
    // Controls --learn remembers as printed; beyond that it prints no more.
    static constexpr std::size_t kMaxLearned = 4096;

    struct Settings {
        std::vector<MappingRule> mappings;
        std::vector<OscInputSender::Destination> destinations;
        bool mirrorMidi = true;  // /CTL, /NOTE, /BEND for every MIDI message
        bool learn = false;
    };

    BridgeEngine(Settings settings, LineSink lines);
    ~BridgeEngine();
    BridgeEngine(const BridgeEngine&) = delete;
    BridgeEngine& operator=(const BridgeEngine&) = delete;

    // Before start(); the listener outlives the engine's thread.
    void addListener(FeedbackListener* listener);
    void start();
    // Sends nothing more; what is still queued is dropped.
    void stop();

    // Any thread.
    void post(const MidiMessage& message);
    void post(OscInMessage message);
    // For a source that names inputs itself: input `id` to `level` (0 to 1).
    void setInput(int id, double level, EventOrigin origin);
    // The show's transport, sent at once to every destination, never paced:
    // /driftmeadow/seek SECONDS, /driftmeadow/loop START END (int32).
    void seek(int seconds);
    void loop(int start, int end);

    const std::vector<MappingRule>& mappings() const { return settings_.mappings; }
    // The value last sent for an input (to any destination), -1 before the first.
    int lastSent(int id) const;
    // True once after a sender printed its failure line on standard error
    // (a live display then starts over below it).
    bool takeSenderPrinted() { return senderPrinted_.exchange(false); }

private:
    struct DirectInput {
        int id;
        double level;
        EventOrigin origin;
    };
    struct Transport {
        bool loop = false;
        int a = 0, b = 0;
    };
    using Event = std::variant<MidiMessage, OscInMessage, DirectInput, Transport>;

    // What goes to a show: kind 'I' /driftmeadow (a, b), 'C' /CTL (a, b, c),
    // 'N' /NOTE (a, b, c), 'B' /BEND (a, b), 'S' /driftmeadow/seek (a),
    // 'L' /driftmeadow/loop (a, b).
    struct ShowMessage {
        char kind = 'I';
        int a = 0, b = 0, c = 0;
    };
    struct Destination {
        explicit Destination(const OscInputSender::Destination& where);
        OscInputSender sender;
        Pacer<ShowMessage> pacer;
    };
    struct Input {
        double current = 0;  // where a glide stands
        int target = 0;
        int offered = -1;    // last value offered to the destinations
        double smoothMs = 0;
        bool gliding = false;
    };

    void enqueue(Event event);
    void run();
    void handle(const MidiMessage& m, Clock::time_point now);
    void handle(const OscInMessage& m, Clock::time_point now);
    void handle(const DirectInput& d, Clock::time_point now);
    void handle(const Transport& t, Clock::time_point now);
    void mirror(const MidiMessage& m, Clock::time_point now);
    void learn(const std::string& control, const std::string& spec);
    void setTarget(int id, int value, double smoothMs, const EventOrigin& origin, Clock::time_point now);
    // Glides, held messages and listeners; returns when the next pass is due.
    Clock::time_point step(Clock::time_point now);
    void offer(const ShowMessage& message, uint32_t key, Clock::time_point now);
    void send(Destination& destination, const ShowMessage& message);
    void reportDropped(Clock::time_point now);

    Settings settings_;
    LineSink lines_;
    std::vector<FeedbackListener*> listeners_;
    std::vector<std::unique_ptr<Destination>> destinations_;
    Input inputs_[kInputValueCount];
    std::atomic<int> lastSent_[kInputValueCount];
    std::set<std::string> learned_;
    Clock::time_point lastGlide_;
    Clock::time_point droppedReported_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Event> queue_;
    bool stopping_ = false;
    unsigned long long dropped_ = 0;  // under mutex_
    std::thread thread_;
    std::atomic<bool> senderPrinted_{false};
};
