// Control bridge latency over loopback: from a message sent to the bridge to
// the value the show stores, against a direct OSC send to the show in the
// same run. The show's own receiver runs in this process (its ControlState
// is read back), and so does the bridge (engine, OSC in, MIDI in). Paths:
// a direct "/driftmeadow" send; "/1/fader1" through the bridge's OSC in;
// on a JACK server (JACK_DEFAULT_SERVER), a Control Change through the
// bridge's MIDI in, timed from its arrival at a plain RtMidiIn that gets the
// same events. Prints p50 and p99 of each and what the bridge adds.
#include <CLI/CLI.hpp>
#include <RtMidi.h>
#include <jack/jack.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <ip/UdpSocket.h>
#include <osc/OscOutboundPacketStream.h>

#include "base/StandardStreams.h"
#include "bench/LoopbackPort.h"
#include "bridge/BridgeEngine.h"
#include "bridge/MidiInSource.h"
#include "bridge/OscInSource.h"
#include "control/ControlState.h"
#include "control/OscControlReceiver.h"
#include "tools/DevOptions.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kId = 2;
// Longer than the bridge's pacing interval (1/60 s), so that no sample is held.
constexpr auto kSpacing = std::chrono::milliseconds(25);
constexpr auto kTimeout = std::chrono::milliseconds(200);

bool stored(int value)
{
    return inputValue[kId].load(std::memory_order_relaxed) == float(value * (1.0 / kInputFullScale));
}

struct Result {
    double p50 = 0, p99 = 0;
    int lost = 0;
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * (v.size() - 1) + 0.5))];
}

// `send(k)` sends sample k and returns the value the show should store;
// `arrived(k)` says when it has (for the raw MIDI transit, without a show).
Result measure(int samples, const std::function<int(int)>& send, const std::function<bool(int, int)>& arrived)
{
    std::vector<double> ms;
    Result r;
    for (int k = 0; k < samples; ++k) {
        const Clock::time_point start = Clock::now();
        const int value = send(k);
        while (!arrived(k, value) && Clock::now() - start < kTimeout)
            std::this_thread::yield();
        const Clock::time_point end = Clock::now();
        if (arrived(k, value))
            ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        else
            ++r.lost;
        std::this_thread::sleep_until(start + kSpacing);
    }
    r.p50 = percentile(ms, 0.5);
    r.p99 = percentile(ms, 0.99);
    return r;
}

void sendOsc(UdpTransmitSocket& socket, const char* address, int id, bool withId, float f, int i)
{
    char buffer[64];
    osc::OutboundPacketStream p(buffer, sizeof buffer);
    p << osc::BeginMessage(address);
    if (withId)
        p << osc::int32(id) << osc::int32(i);
    else
        p << f;
    p << osc::EndMessage;
    socket.Send(p.Data(), p.Size());
}

// An RtMidiOut connected to the input port whose name holds `name`.
bool connectOut(RtMidiOut& out, const std::string& name)
{
    for (unsigned i = 0; i < out.getPortCount(); ++i)
        if (out.getPortName(i).find(name) != std::string::npos) {
            out.openPort(i, "bench");
            return true;
        }
    return false;
}

std::atomic<int> sRawLast{-1};
std::atomic<Clock::rep> sRawAt{0};

void onRaw(double, std::vector<unsigned char>* m, void*)
{
    if (m->size() == 3) {
        sRawAt.store(Clock::now().time_since_epoch().count());
        sRawLast.store((*m)[2]);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    CLI::App app{"Latency from a message to the bridge to the show's stored value, against a direct send.",
                 "bridge_bench"};
    int samples = 200;
    app.add_option("--samples", samples, "Samples per path (25 ms apart)")->check(CLI::Range(10, 100000));
    parseOptionsOrExit(app, "bridge_bench", argc, argv);
    if (!freopen("/dev/null", "w", stdout))  // the show's status lines
        return 1;
    FILE* out = fdopen(dup(2), "w");

    const unsigned short showPort = freePort(), inPort = freePort();
    OscControlReceiver show(showPort, "127.0.0.1");
    show.start(true);

    BridgeEngine::Settings settings;
    for (const char* text : {"2=osc:/1/fader1", "2=midi:cc:1:1"}) {
        MappingRule rule;
        std::string unused;
        parseMapping(text, rule, unused);
        settings.mappings.push_back(rule);
    }
    OscInputSender::Destination toShow;
    std::string error;
    OscInputSender::parseDestination("127.0.0.1:" + std::to_string(showPort), toShow, error);
    settings.destinations.push_back(toShow);
    BridgeEngine engine(settings, [](const std::string&) {});
    OscInSource oscIn(IpEndpointName("127.0.0.1", inPort), engine, [](const std::string&) {});
    engine.addListener(&oscIn.feedback());
    engine.start();
    oscIn.start();

    UdpTransmitSocket direct(IpEndpointName("127.0.0.1", showPort));
    UdpTransmitSocket app_(IpEndpointName("127.0.0.1", inPort));
    auto value = [](int k) { return 1000 + k; };
    const Result directOsc = measure(samples, [&](int k) {
        sendOsc(direct, kInputAddress, kId, true, 0, value(k));
        return value(k);
    }, [](int, int v) { return stored(v); });
    const Result bridgeOsc = measure(samples, [&](int k) {
        sendOsc(app_, "/1/fader1", 0, false, float(value(k) / double(kInputFullScale)), 0);
        return value(k);
    }, [](int, int v) { return stored(v); });
    fprintf(out, "bridge_bench: %d samples a path, 25 ms apart\n", samples);
    auto line = [&](const char* path, const Result& r) {
        fprintf(out, "%-44s p50 %6.3f ms  p99 %6.3f ms%s\n", path, r.p50, r.p99,
                r.lost ? ("  (" + std::to_string(r.lost) + " lost)").c_str() : "");
    };
    line("direct OSC send to the show", directOsc);
    line("OSC /1/fader1 through the bridge", bridgeOsc);
    fprintf(out, "the bridge adds, OSC in:  p50 %.3f ms, p99 %.3f ms\n", bridgeOsc.p50 - directOsc.p50,
            bridgeOsc.p99 - directOsc.p99);

    MidiInSource::Api api;
    if (!MidiInSource::chooseApi("jack", api, error)) {
        fprintf(out, "MIDI paths left out: %s\n", error.c_str());
        oscIn.stop();
        engine.stop();
        return 0;
    }
    // The same events reach the bridge's port and a plain RtMidiIn in the
    // same JACK cycle: the bridge's part is the time from the plain input's
    // arrival to the show's stored value (JACK's own cycle and its jitter
    // left out).
    MidiInSource midi(api, true, "", engine, [](const std::string&) {});
    RtMidiIn raw(RtMidi::UNIX_JACK, "bench-raw");
    raw.setCallback(onRaw);
    raw.openVirtualPort("raw");
    RtMidiOut toBridge(RtMidi::UNIX_JACK, "bench-out");
    jack_client_t* patch = jack_client_open("bench-patch", JackNoStartServer, nullptr);
    if (!midi.start(error) || !connectOut(toBridge, "driftmeadow:driftmeadow") || !patch ||
        jack_connect(patch, "bench-out:bench", "bench-raw:raw") != 0) {
        fprintf(out, "MIDI paths left out: the ports could not be connected %s\n", error.c_str());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    MappingRule cc;
    parseMapping("2=midi:cc:1:1", cc, error);
    std::vector<double> transit, added;
    int lost = 0;
    for (int k = 0; k < samples; ++k) {
        // CC values alternate, so that each sample changes what is stored.
        const unsigned char m[3] = {0xB0, 1, (unsigned char)(k % 2 ? 100 : 27)};
        const int expected = mappedValue(cc, m[2] / 127.0);
        const Clock::time_point start = Clock::now();
        toBridge.sendMessage(m, 3);
        while (!(stored(expected) && sRawLast.load() == m[2]) && Clock::now() - start < kTimeout)
            std::this_thread::yield();
        const Clock::time_point end = Clock::now();
        if (stored(expected) && sRawLast.load() == m[2]) {
            const Clock::time_point arrived = Clock::time_point(Clock::duration(sRawAt.load()));
            transit.push_back(std::chrono::duration<double, std::milli>(arrived - start).count());
            added.push_back(std::chrono::duration<double, std::milli>(end - arrived).count());
        } else {
            ++lost;
        }
        std::this_thread::sleep_until(start + kSpacing);
    }
    line("JACK MIDI transit (send to RtMidiIn)", {percentile(transit, 0.5), percentile(transit, 0.99), lost});
    line("MIDI CC: arrival to the show's stored value", {percentile(added, 0.5), percentile(added, 0.99), lost});
    fprintf(out, "the bridge adds, MIDI in: p50 %.3f ms, p99 %.3f ms (against %.3f and %.3f for a direct OSC send)\n",
            percentile(added, 0.5), percentile(added, 0.99), directOsc.p50, directOsc.p99);
    jack_client_close(patch);
    oscIn.stop();
    engine.stop();
    return 0;
}
