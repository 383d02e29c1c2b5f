#include "bridge/BridgeEngine.h"

#include <cmath>

#include "bridge/BridgeConsole.h"
#include "control/OscControlReceiver.h"

namespace {

using Clock = BridgeEngine::Clock;

constexpr auto kShowInterval = std::chrono::microseconds(1000000 / BridgeEngine::kMessagesPerSecond + 1);
// How often a glide moves on while it runs.
constexpr auto kGlideStep = std::chrono::milliseconds(5);
constexpr auto kDroppedReportEvery = std::chrono::seconds(1);
constexpr int kBendFullScale = 16383;

double midiLevel(const MidiMessage& m)
{
    return m.kind == MidiMessage::PitchBend ? m.value / double(kBendFullScale) : m.value / 127.0;
}

bool sourceMatches(const MappingSource& s, const MidiMessage& m)
{
    switch (m.kind) {
    case MidiMessage::ControlChange:
        return s.kind == MappingSource::ControlChange && s.channel == m.channel && s.number == m.number;
    case MidiMessage::Note:
        return s.kind == MappingSource::Note && s.channel == m.channel && s.number == m.number;
    case MidiMessage::PitchBend:
        return s.kind == MappingSource::PitchBend && s.channel == m.channel;
    }
    return false;
}

MappingSource sourceOf(const MidiMessage& m)
{
    MappingSource s;
    s.kind = m.kind == MidiMessage::ControlChange ? MappingSource::ControlChange
             : m.kind == MidiMessage::Note        ? MappingSource::Note
                                                  : MappingSource::PitchBend;
    s.channel = m.channel;
    s.number = m.number;
    return s;
}

}  // namespace

BridgeEngine::Destination::Destination(const OscInputSender::Destination& where)
    : sender(where), pacer(kShowInterval)
{
}

BridgeEngine::BridgeEngine(Settings settings, LineSink lines)
    : settings_(std::move(settings)), lines_(std::move(lines))
{
    for (const OscInputSender::Destination& d : settings_.destinations)
        destinations_.push_back(std::make_unique<Destination>(d));
    for (std::atomic<int>& v : lastSent_)
        v.store(-1);
}

BridgeEngine::~BridgeEngine()
{
    stop();
}

void BridgeEngine::addListener(FeedbackListener* listener)
{
    listeners_.push_back(listener);
}

void BridgeEngine::start()
{
    lastGlide_ = Clock::now();
    thread_ = std::thread(&BridgeEngine::run, this);
}

void BridgeEngine::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void BridgeEngine::post(const MidiMessage& message)
{
    enqueue(message);
}

void BridgeEngine::post(OscInMessage message)
{
    enqueue(std::move(message));
}

void BridgeEngine::setInput(int id, double level, EventOrigin origin)
{
    enqueue(DirectInput{id, level, std::move(origin)});
}

void BridgeEngine::seek(int seconds)
{
    enqueue(Transport{false, seconds, 0});
}

void BridgeEngine::loop(int start, int end)
{
    enqueue(Transport{true, start, end});
}

int BridgeEngine::lastSent(int id) const
{
    return id >= 0 && id < kInputValueCount ? lastSent_[id].load(std::memory_order_relaxed) : -1;
}

void BridgeEngine::enqueue(Event event)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (queue_.size() >= kMaxQueued) {
            ++dropped_;
            return;
        }
        queue_.push_back(std::move(event));
    }
    wake_.notify_one();
}

void BridgeEngine::run()
{
    std::deque<Event> taken;
    Clock::time_point next = Clock::time_point::max();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (queue_.empty() && !stopping_) {
            if (next == Clock::time_point::max())
                wake_.wait(lock);
            else
                wake_.wait_until(lock, next);
        }
        if (stopping_)
            return;
        taken.swap(queue_);
        const bool dropped = dropped_ > 0;
        lock.unlock();
        const Clock::time_point now = Clock::now();
        for (const Event& event : taken)
            std::visit([&](const auto& e) { handle(e, now); }, event);
        taken.clear();
        if (dropped)
            reportDropped(now);
        next = step(Clock::now());
        lock.lock();
    }
}

void BridgeEngine::handle(const MidiMessage& m, Clock::time_point now)
{
    if (settings_.mirrorMidi)
        mirror(m, now);
    const MappingSource source = sourceOf(m);
    learn(sourceText(source), sourceSpec(source));
    for (const MappingRule& rule : settings_.mappings)
        if (sourceMatches(rule.source, m))
            setTarget(rule.id, mappedValue(rule, midiLevel(m)), rule.smoothMs, {"midi", ""}, now);
}

void BridgeEngine::handle(const OscInMessage& m, Clock::time_point now)
{
    const std::size_t count = m.arguments.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!m.arguments[i].isNumber)
            continue;
        MappingSource s;
        s.kind = MappingSource::Osc;
        s.address = m.address;
        s.argument = int(i) + 1;
        s.argumentGiven = count > 1;
        learn(sourceText(s), sourceSpec(s));
    }
    const EventOrigin origin{m.sender, m.address};
    for (const MappingRule& rule : settings_.mappings) {
        if (rule.source.kind != MappingSource::Osc || rule.source.address != m.address ||
            rule.source.argument > int(count))
            continue;
        const OscInArgument& a = m.arguments[rule.source.argument - 1];
        if (a.isNumber)
            setTarget(rule.id, mappedValue(rule, a.isFloat ? a.value : a.value / 127.0), rule.smoothMs, origin, now);
    }
}

void BridgeEngine::handle(const DirectInput& d, Clock::time_point now)
{
    if (d.id >= 0 && d.id < kInputValueCount && std::isfinite(d.level))
        setTarget(d.id, int(std::lround(std::fmin(1.0, std::fmax(0.0, d.level)) * kInputFullScale)), 0, d.origin,
                  now);
}

void BridgeEngine::handle(const Transport& t, Clock::time_point)
{
    for (auto& d : destinations_)
        send(*d, {t.loop ? 'L' : 'S', t.a, t.b, 0});
}

// The show's own MIDI messages, its channels 0 to 15. Controllers and bends
// are levels, paced like inputs; notes are events, each sent as it comes.
void BridgeEngine::mirror(const MidiMessage& m, Clock::time_point now)
{
    switch (m.kind) {
    case MidiMessage::ControlChange:
        offer({'C', m.channel, m.number, m.value}, 0x10000u | uint32_t(m.channel * kMidiKeys + m.number), now);
        break;
    case MidiMessage::PitchBend:
        offer({'B', m.channel, m.value, 0}, 0x20000u | uint32_t(m.channel), now);
        break;
    case MidiMessage::Note:
        for (auto& d : destinations_)
            send(*d, {'N', m.channel, m.number, m.value});
        break;
    }
}

void BridgeEngine::learn(const std::string& control, const std::string& spec)
{
    if (settings_.learn && learned_.size() < kMaxLearned && learned_.insert(spec).second)
        lines_(learnedLine(control, spec));
}

void BridgeEngine::setTarget(int id, int value, double smoothMs, const EventOrigin& origin, Clock::time_point now)
{
    Input& input = inputs_[id];
    input.target = value;
    input.smoothMs = smoothMs;
    input.gliding = smoothMs > 0 && std::lround(input.current) != value;
    if (!input.gliding) {
        input.current = value;
        input.offered = value;
        offer({'I', id, value, 0}, uint32_t(id), now);
    }
    for (FeedbackListener* listener : listeners_)
        listener->inputChanged({id, value, origin}, now);
}

Clock::time_point BridgeEngine::step(Clock::time_point now)
{
    Clock::time_point next = Clock::time_point::max();
    const double elapsedMs = std::chrono::duration<double, std::milli>(now - lastGlide_).count();
    lastGlide_ = now;
    for (int id = 0; id < kInputValueCount; ++id) {
        Input& input = inputs_[id];
        if (!input.gliding)
            continue;
        // One pole whose time constant is a third of the smoothing time:
        // 95 % of a change within it.
        input.current += (input.target - input.current) * (1.0 - std::exp(-3.0 * elapsedMs / input.smoothMs));
        if (std::fabs(input.target - input.current) < 0.5) {
            input.current = input.target;
            input.gliding = false;
        } else {
            next = std::min(next, now + kGlideStep);
        }
        const int value = int(std::lround(input.current));
        if (value != input.offered) {
            input.offered = value;
            offer({'I', id, value, 0}, uint32_t(id), now);
        }
    }
    std::vector<ShowMessage> due;
    for (auto& d : destinations_) {
        due.clear();
        d->pacer.takeDue(now, due);
        for (const ShowMessage& m : due)
            send(*d, m);
        next = std::min(next, d->pacer.nextDue());
    }
    for (FeedbackListener* listener : listeners_)
        next = std::min(next, listener->flushHeld(now));
    return next;
}

void BridgeEngine::offer(const ShowMessage& message, uint32_t key, Clock::time_point now)
{
    for (auto& d : destinations_)
        if (d->pacer.admit(key, message, now))
            send(*d, message);
}

void BridgeEngine::send(Destination& destination, const ShowMessage& m)
{
    bool printed = false;
    switch (m.kind) {
    case 'I':
        printed = destination.sender.sendMessage(kInputAddress, {m.a, m.b});
        lastSent_[m.a].store(m.b, std::memory_order_relaxed);
        break;
    case 'C':
        printed = destination.sender.sendMessage("/CTL", {m.a, m.b, m.c});
        break;
    case 'N':
        printed = destination.sender.sendMessage("/NOTE", {m.a, m.b, m.c});
        break;
    case 'S':
        printed = destination.sender.sendMessage("/driftmeadow/seek", {m.a});
        break;
    case 'L':
        printed = destination.sender.sendMessage("/driftmeadow/loop", {m.a, m.b});
        break;
    default:
        printed = destination.sender.sendMessage("/BEND", {m.a, m.b});
        break;
    }
    if (printed)
        senderPrinted_.store(true);
}

void BridgeEngine::reportDropped(Clock::time_point now)
{
    if (now - droppedReported_ < kDroppedReportEvery)
        return;
    unsigned long long dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dropped = dropped_;
        dropped_ = 0;
    }
    droppedReported_ = now;
    if (dropped > 0)
        lines_(fellBehindLine(dropped));
}
