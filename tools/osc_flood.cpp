// osc_flood: a runaway OSC sender for soak runs of the show. For a given time
// it sends valid messages of all four kinds and malformed datagrams of many
// kinds at a steady rate to the show's port, turns the look every period (no
// input, input 2 at full, input 0 at a quarter: the messages for inputs 0 and
// 2 always carry the current look's values), and ends with the look's two
// input messages. Then it prints what it sent, and what the system refused
// to send (those count as failures, not as sent). Messages are built with
// oscpack; malformed datagrams are bytes made by hand. One thread.
#include <ip/UdpSocket.h>
#include <osc/OscOutboundPacketStream.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/StandardStreams.h"
#include "control/OscInputSender.h"
#include "tools/DevOptions.h"

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
    Flood(const Options& o, const OscInputSender::Destination& to)
        : options_(o), socket_(IpEndpointName(to.address, to.port)), random_(o.seed) {}
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
            while (datagrams_ + refused_ < elapsed * options_.rate) {
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

    // What was sent; false (with a line on standard error) when the system
    // refused some of it.
    bool report() const
    {
        printf("datagrams: %llu\nvalid messages: %llu\nmalformed datagrams: %llu\nrefused sends: %llu\n"
               "last valid message: %s\nfinal look: %s\n",
               datagrams_, validMessages_, malformed_, refused_, lastValid_.c_str(), finalLook_);
        fflush(stdout);
        if (refused_ > 0)
            fprintf(stderr, "osc_flood: %llu of %llu sends refused, the first with: %s\n", refused_,
                    refused_ + datagrams_, firstRefusal_.c_str());
        return refused_ == 0;
    }

private:
    const Look& lookAt(double elapsed) const
    {
        return kLooks[int(std::fmod(std::floor(elapsed / options_.lookPeriod), 3.0))];
    }

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    // oscpack's Send drops send()'s result; errno, cleared just before,
    // still tells whether the datagram went out.
    bool send(const char* data, std::size_t size)
    {
        errno = 0;
        socket_.Send(data, size);
        if (errno == 0) {
            ++datagrams_;
            return true;
        }
        if (refused_++ == 0)
            firstRefusal_ = strerror(errno);
        return false;
    }

    bool send(const osc::OutboundPacketStream& p) { return send(p.Data(), p.Size()); }

    void sendInput(int id, int value)
    {
        osc::OutboundPacketStream p(buffer_, sizeof buffer_);
        p << osc::BeginMessage("/driftmeadow") << id << value << osc::EndMessage;
        if (!send(p))
            return;
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
    }

    // One datagram of one valid message, or now and then two in a bundle.
    void sendValid(const Look& look)
    {
        osc::OutboundPacketStream p(buffer_, sizeof buffer_);
        const bool bundle = uniform(0, 19) == 0;
        if (bundle) {
            p << osc::BeginBundleImmediate;
            addValid(p, look);
            addValid(p, look);
            p << osc::EndBundle;
        } else {
            addValid(p, look);
        }
        if (send(p))
            validMessages_ += bundle ? 2 : 1;
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
        if (raw.empty() ? send(p) : send(raw.data(), raw.size()))
            ++malformed_;
    }

    Options options_;
    UdpTransmitSocket socket_;
    std::mt19937 random_;
    char buffer_[1024];
    unsigned long long datagrams_ = 0, validMessages_ = 0, malformed_ = 0, refused_ = 0;
    std::string firstRefusal_;
    std::string lastValid_;  // the final look's last message
    const char* finalLook_ = "";
};

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    Options o;
    CLI::App app{"Floods a show's OSC port with valid messages and malformed datagrams, turning the "
                 "look every period, then prints what it sent.",
                 "osc_flood"};
    app.add_option("--host", o.host, "host to send to: a dotted quad or a host name")->capture_default_str();
    app.add_option("--port", o.port, "UDP port")->capture_default_str()->check(CLI::Range(1, 65535));
    app.add_option("--rate", o.rate, "datagrams per second")->capture_default_str()->check(finiteWithin(0.01, 1e6));
    app.add_option("--seconds", o.seconds, "how long to send")->capture_default_str()->check(finiteWithin(0.001, 1e7));
    app.add_option("--malformed-share", o.malformedShare, "share of malformed datagrams")
        ->capture_default_str()
        ->check(finiteWithin(0.0, 1.0));
    app.add_option("--look-period", o.lookPeriod, "seconds per look (house, flower, grey)")
        ->capture_default_str()
        ->check(finiteWithin(0.01, 1e7));
    app.add_option("--seed", o.seed, "seed of the random choices")->capture_default_str();
    parseOptionsOrExit(app, "osc_flood", argc, argv);
    OscInputSender::Destination to;
    std::string error;
    if (!OscInputSender::parseDestination(o.host + ":" + std::to_string(o.port), to, error)) {
        fprintf(stderr, "osc_flood: --host: %s (see --help)\n", error.c_str());
        return 2;
    }
    try {
        Flood flood(o, to);
        flood.run();
        return flood.report() ? 0 : 1;
    } catch (const std::exception& e) {
        fprintf(stderr, "osc_flood: cannot send to %s: %s\n", to.name.c_str(), e.what());
        return 1;
    }
}
