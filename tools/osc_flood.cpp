// osc_flood: a runaway OSC sender for soak runs of the show. For a given time
// it sends valid messages of all four kinds and malformed datagrams of many
// kinds at a steady rate to the show's port, turns the look every period (no
// input, input 2 at full, input 0 at a quarter: the messages for inputs 0 and
// 2 always carry the current look's values), and ends with the look's two
// input messages. Then it prints what it sent. Messages are built with
// oscpack; malformed datagrams are bytes made by hand. One thread.
#include <CLI/CLI.hpp>

#include <ip/UdpSocket.h>
#include <osc/OscOutboundPacketStream.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/StandardStreams.h"

namespace {

struct Look {
    const char* name;
    int input0, input2;
};
const Look kLooks[] = {{"house", 0, 0}, {"flower", 0, 32765}, {"grey", 8191, 0}};

struct Options {
    std::string host = "127.0.0.1";
    unsigned port = 55550;
    double rate = 4000;
    double seconds = 600;
    double malformedShare = 0.25;
    double lookPeriod = 20;
    unsigned seed = 1;
};

class Flood {
public:
    explicit Flood(const Options& o)
        : options_(o), socket_(IpEndpointName(o.host.c_str(), int(o.port))), random_(o.seed) {}
    Flood(const Flood&) = delete;
    Flood& operator=(const Flood&) = delete;

    // Sends for the whole time at the rate, then the final look.
    void run()
    {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        double elapsed = 0;
        while ((elapsed = std::chrono::duration<double>(Clock::now() - start).count()) < options_.seconds) {
            const Look& look = lookAt(elapsed);
            while (datagrams_ < elapsed * options_.rate) {
                if (uniform(0, 999) < options_.malformedShare * 1000)
                    sendMalformed();
                else
                    sendValid(look);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const Look& last = lookAt(elapsed);
        sendInput(0, last.input0);
        sendInput(2, last.input2);
        finalLook_ = last.name;
    }

    void report() const
    {
        printf("datagrams: %llu\nvalid messages: %llu\nmalformed datagrams: %llu\n"
               "last valid message: %s\nfinal look: %s\n",
               datagrams_, validMessages_, malformed_, lastValid_.c_str(), finalLook_);
    }

private:
    const Look& lookAt(double elapsed) const
    {
        return kLooks[static_cast<long long>(elapsed / options_.lookPeriod) % 3];
    }

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    void send(const char* data, std::size_t size)
    {
        socket_.Send(data, size);
        ++datagrams_;
    }

    void send(const osc::OutboundPacketStream& p) { send(p.Data(), p.Size()); }

    void sendInput(int id, int value)
    {
        osc::OutboundPacketStream p(buffer_, sizeof buffer_);
        p << osc::BeginMessage("/driftmeadow") << id << value << osc::EndMessage;
        send(p);
        ++validMessages_;
        lastValid_ = "/driftmeadow " + std::to_string(id) + " " + std::to_string(value);
    }

    // One valid message of the four kinds (one in eight sets input 0 or 2 to
    // the look's value), now and then two of them in a bundle.
    void addValid(osc::OutboundPacketStream& p, const Look& look)
    {
        int ch = uniform(0, 15), key = uniform(0, 127);
        switch (uniform(0, 7)) {
        case 0: {
            const bool two = uniform(0, 1);
            p << osc::BeginMessage("/driftmeadow") << (two ? 2 : 0) << (two ? look.input2 : look.input0);
            break;
        }
        case 1:
        case 2: {
            int id = uniform(1, 255), value = uniform(0, 32765);
            id += id == 2;
            p << osc::BeginMessage("/driftmeadow") << id << value;
            break;
        }
        case 3:
        case 4:
            p << osc::BeginMessage("/CTL") << ch << key << uniform(0, 127);
            break;
        case 5:
        case 6:
            p << osc::BeginMessage("/NOTE") << ch << key << uniform(0, 127);
            break;
        default:
            p << osc::BeginMessage("/BEND") << ch << uniform(0, 16383);
        }
        p << osc::EndMessage;
        ++validMessages_;
    }

    void sendValid(const Look& look)
    {
        osc::OutboundPacketStream p(buffer_, sizeof buffer_);
        if (uniform(0, 19) == 0) {
            p << osc::BeginBundleImmediate;
            addValid(p, look);
            addValid(p, look);
            p << osc::EndBundle;
        } else {
            addValid(p, look);
        }
        send(p);
    }

    // One datagram the show must drop whole: random bytes, a cut message,
    // wrong, missing or surplus arguments, an index outside its table, an
    // address it does not know, a bundle or blob whose sizes lie, or one too
    // long for its receive buffer.
    void sendMalformed()
    {
        osc::OutboundPacketStream p(buffer_, sizeof buffer_);
        std::string raw;
        const auto word = [&raw](uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                raw += char(v >> shift);
        };
        // Datagrams too long for the receive buffer are rare: each takes as
        // much room in the socket's buffer as a dozen others.
        const int kind = uniform(0, 39);
        switch (kind == 39 ? 9 : kind % 9) {
        case 0:  // never starting like a message or a bundle
            raw += char(uniform(0, 34));
            for (int n = uniform(0, 47); n > 0; --n)
                raw += char(uniform(0, 255));
            break;
        case 1:
            p << osc::BeginMessage("/driftmeadow") << 2 << 32765 << osc::EndMessage;
            raw.assign(p.Data(), std::size_t(uniform(1, int(p.Size()) - 1)));
            break;
        case 2:
            p << osc::BeginMessage("/CTL") << 0 << 7.5f << 1 << osc::EndMessage;
            break;
        case 3:
            p << osc::BeginMessage("/NOTE") << 1 << 60 << osc::EndMessage;
            break;
        case 4:
            p << osc::BeginMessage("/BEND") << 0 << 1 << 2 << osc::EndMessage;
            break;
        case 5:
            p << osc::BeginMessage(uniform(0, 1) ? "/CTL" : "/NOTE") << 16 << 0 << 1 << osc::EndMessage;
            break;
        case 6:
            p << osc::BeginMessage(uniform(0, 1) ? "/ctl" : "/driftmeadow/x") << 0 << 7 << 1
              << osc::EndMessage;
            break;
        case 7:
            raw.assign("#bundle\0", 8);
            word(0);
            word(1);
            word(0xFFFFFFFC);
            break;
        case 8:
            raw.assign("/x\0\0,b\0\0", 8);
            word(0x7FFFFFFF);
            word(0);
            break;
        default:
            raw.assign(5000, '\0');
            raw[0] = '/';
        }
        if (raw.empty())
            send(p);
        else
            send(raw.data(), raw.size());
        ++malformed_;
    }

    Options options_;
    UdpTransmitSocket socket_;
    std::mt19937 random_;
    char buffer_[1024];
    unsigned long long datagrams_ = 0, validMessages_ = 0, malformed_ = 0;
    std::string lastValid_;  // the final look's last message
    const char* finalLook_ = "";
};

// Accepts a number above 0 (CLI11's own check prints its whole range).
const CLI::Validator kPositive(
    [](std::string& text) {
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        return end != text.c_str() && *end == '\0' && v > 0 ? std::string() : text + " is not a number above 0";
    },
    "POSITIVE");

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    Options o;
    CLI::App app{"Floods a show's OSC port with valid messages and malformed datagrams, turning the "
                 "look every period, then prints what it sent."};
    app.add_option("--host", o.host, "host to send to")->capture_default_str();
    app.add_option("--port", o.port, "UDP port")->capture_default_str()->check(CLI::Range(1, 65535));
    app.add_option("--rate", o.rate, "datagrams per second")->capture_default_str()->check(kPositive);
    app.add_option("--seconds", o.seconds, "how long to send")->capture_default_str()->check(kPositive);
    app.add_option("--malformed-share", o.malformedShare, "share of malformed datagrams")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--look-period", o.lookPeriod, "seconds per look (house, flower, grey)")
        ->capture_default_str()
        ->check(kPositive);
    app.add_option("--seed", o.seed, "seed of the random choices")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        fprintf(stderr, "osc_flood: %s\n", e.what());
        return 2;
    }
    try {
        Flood flood(o);
        flood.run();
        flood.report();
    } catch (const std::exception& e) {
        fprintf(stderr, "osc_flood: cannot send to %s:%u: %s\n", o.host.c_str(), o.port, e.what());
        return 1;
    }
    return 0;
}
