// OSC receive benchmark over loopback UDP. Bursts of "/driftmeadow" messages
// go out at rising send rates, first to the show's own receiver (in this
// process, with the show's console on standard output, read back through a
// pipe), then to liblo's oscdump receiving the same burst (its lines read
// back through a pipe). For each rate it reports how many messages were
// applied and the p50/p99 delay from send to stored value (to printed line
// for oscdump), best of up to three tries, and for the show how many status
// lines its console showed and dropped; then the highest rate each takes
// without loss and the ratio of the two. A send that the system refuses
// counts as lost, not as sent. Usage: osc_bench (no options but --help).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <osc/OscReceivedElements.h>

#include "base/ConsoleOutput.h"
#include "base/StandardStreams.h"
#include "bench/LoopbackPort.h"
#include "control/OscControlReceiver.h"
#include "tools/DevOptions.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBurst = 20000;
constexpr int kIds = 250;       // inputs 0..249 carry the burst
constexpr int kProbeId = 255;   // readiness probes, not counted
const double kRates[] = {10000, 15000, 20000, 25000, 35000, 50000, 75000, 100000, 200000, 0};  // 0: unpaced

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Message i sets input i % 250 to the raw value i / 250 + 1.
int idOf(int i) { return i % kIds; }
int valueOf(int i) { return i / kIds + 1; }
int indexOf(int id, int value) { return (value - 1) * kIds + id; }

std::string message(int id, int value)
{
    std::string m("/driftmeadow\0\0\0\0,ii\0", 20);
    for (int v : {id, value}) {
        const uint32_t u = htonl(static_cast<uint32_t>(v));
        m.append(reinterpret_cast<const char*>(&u), 4);
    }
    return m;
}

// The burst index of a message, -2 for a readiness probe, -1 for anything else.
int classify(int id, int value)
{
    if (id == kProbeId)
        return -2;
    if (id < 0 || id >= kIds || value < 1)
        return -1;
    return indexOf(id, value);
}

// When each burst message arrived, noted by the receiving side (the receive
// thread, or a reader of oscdump's lines) and read by the measuring thread.
class Arrivals {
public:
    Arrivals() : times_(kBurst) { reset(); }

    void reset()
    {
        for (auto& t : times_)
            t.store(-1);
        count_.store(0);
    }
    void note(int i)
    {
        int64_t unset = -1;
        if (i == -2)
            probes_.fetch_add(1);
        else if (i >= 0 && i < kBurst && times_[i].compare_exchange_strong(unset, nowNs()))
            count_.fetch_add(1);
    }
    int count() const { return count_.load(); }
    int probes() const { return probes_.load(); }
    int64_t time(int i) const { return times_[i].load(); }

private:
    std::vector<std::atomic<int64_t>> times_;
    std::atomic<int> count_{0};
    std::atomic<int> probes_{0};
};

// The show's receiver; each burst message is noted once its value is stored.
class TimedReceiver : public OscControlReceiver {
public:
    TimedReceiver(unsigned short port, Arrivals& arrivals)
        : OscControlReceiver(port, "127.0.0.1"), arrivals_(arrivals) {}

protected:
    void ProcessMessage(const osc::ReceivedMessage& m, const IpEndpointName& remote) override
    {
        OscControlReceiver::ProcessMessage(m, remote);
        try {
            osc::int32 id, value;
            m.ArgumentStream() >> id >> value >> osc::EndMessage;
            arrivals_.note(classify(id, value));
        } catch (const osc::Exception&) {
        }
    }

private:
    Arrivals& arrivals_;
};

// Reads a receiver's console lines from a pipe on its own thread and hands
// each to `line`. Ends when the pipe's last writer closes it.
class LineReader {
public:
    LineReader(int fd, std::function<void(const std::string&)> line)
        : fd_(fd), line_(std::move(line)), thread_([this] { readLoop(); }) {}
    ~LineReader() { thread_.join(); }

private:
    void readLoop()
    {
        std::string line;
        char buf[65536];
        ssize_t n;
        while ((n = read(fd_, buf, sizeof buf)) > 0) {
            for (ssize_t k = 0; k < n; ++k) {
                if (buf[k] != '\r' && buf[k] != '\n') {
                    line += buf[k];
                    continue;
                }
                line_(line);
                line.clear();
            }
        }
    }

    int fd_;
    std::function<void(const std::string&)> line_;
    std::thread thread_;
};

int parseStatusLine(const std::string& line)
{
    int id, value;
    return sscanf(line.c_str(), "inputValue:  ID: %d\tval: %d", &id, &value) == 2 ? classify(id, value) : -1;
}

int parseOscdumpLine(const std::string& line)
{
    int id, value;
    return sscanf(line.c_str(), "%*s /driftmeadow ii %d %d", &id, &value) == 2 ? classify(id, value) : -1;
}

// What the show's console showed of the burst: its status lines, and the
// lines its notices say were dropped. Marks printed by the benchmark tell
// when the console has caught up.
struct ConsoleCount {
    std::atomic<int> shown{0};
    std::atomic<long long> dropped{0};
    std::atomic<int> mark{0};

    void line(const std::string& text)
    {
        long long n;
        int m;
        if (parseStatusLine(text) >= 0)
            shown.fetch_add(1);
        else if (sscanf(text.c_str(), "Console output fell behind: %lld", &n) == 1)
            dropped.fetch_add(n);
        else if (sscanf(text.c_str(), "osc_bench mark %d", &m) == 1)
            mark.store(m);
    }
};

struct BurstResult {
    double rate;  // messages per second actually sent
    int refused;  // sends the system refused
    int applied;
    double p50us, p99us;
    int shown = -1;  // console lines of the burst (the show only)
    long long dropped = 0;
};

class Sender {
public:
    explicit Sender(unsigned short port) : fd_(socket(AF_INET, SOCK_DGRAM, 0))
    {
        to_.sin_family = AF_INET;
        to_.sin_port = htons(port);
        to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int i = 0; i < kBurst; ++i)
            burst_.push_back(message(idOf(i), valueOf(i)));
    }
    ~Sender() { close(fd_); }

    // False when the system refused it.
    bool send(const std::string& m)
    {
        return sendto(fd_, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&to_), sizeof to_) ==
               ssize_t(m.size());
    }

    // Waits (at most 5 s) until the receiver takes a probe.
    bool awaitReady(const Arrivals& a)
    {
        for (int k = 0; k < 250 && a.probes() == 0; ++k) {
            send(message(kProbeId, 1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return a.probes() > 0;
    }

    // Sends the burst at the given rate (0: unpaced) into sendTimes; the
    // rate of the sends that went out, and how many were refused.
    double burst(double rate, std::vector<int64_t>& sendTimes, int& refused)
    {
        refused = 0;
        const int64_t start = nowNs();
        for (int i = 0; i < kBurst; ++i) {
            if (rate > 0) {
                const int64_t due = start + static_cast<int64_t>(i * 1e9 / rate);
                const int64_t ahead = due - nowNs();
                if (ahead > 100000)
                    std::this_thread::sleep_for(std::chrono::nanoseconds(ahead));
            }
            sendTimes[i] = nowNs();
            refused += send(burst_[i]) ? 0 : 1;
        }
        return (kBurst - refused) / ((nowNs() - start) * 1e-9);
    }

private:
    int fd_;
    sockaddr_in to_{};
    std::vector<std::string> burst_;
};

// One burst at one rate; the result holds what arrived in `a`. `settle`
// runs once the burst is in and may add to the result.
BurstResult runBurst(Sender& sender, Arrivals& a, double rate, std::vector<int64_t>& sendTimes,
                     const std::function<void(BurstResult&)>& settle)
{
    a.reset();
    BurstResult r{};
    r.rate = sender.burst(rate, sendTimes, r.refused);
    // Done when all arrived or nothing new came for 300 ms.
    int last = -1;
    auto quietSince = Clock::now();
    while (a.count() < kBurst && Clock::now() - quietSince < std::chrono::milliseconds(300)) {
        if (a.count() != last) {
            last = a.count();
            quietSince = Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<double> delays;
    for (int i = 0; i < kBurst; ++i)
        if (a.time(i) >= 0)
            delays.push_back((a.time(i) - sendTimes[i]) * 1e-3);
    r.applied = static_cast<int>(delays.size());
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        r.p50us = delays[delays.size() / 2];
        r.p99us = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
    }
    settle(r);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return r;
}

// Runs every rate against one receiver whose arrivals are noted in `a`. The
// machine is shared, so a rate gets up to three tries and keeps the best:
// the first without loss, else the one that lost least.
std::vector<BurstResult> measure(unsigned short port, Arrivals& a, const std::function<void(BurstResult&)>& settle)
{
    Sender sender(port);
    std::vector<BurstResult> results;
    if (!sender.awaitReady(a))
        return results;
    std::vector<int64_t> sendTimes(kBurst);
    for (double rate : kRates) {
        BurstResult best{};
        for (int attempt = 0; attempt < 3 && best.applied < kBurst; ++attempt) {
            const BurstResult r = runBurst(sender, a, rate, sendTimes, settle);
            if (r.applied > best.applied)
                best = r;
        }
        results.push_back(best);
    }
    return results;
}

// The show's receiver, with the show's console on standard output (fd 1
// turned into a pipe).
std::vector<BurstResult> measureOwnReceiver(ConsoleOutput& console)
{
    int p[2];
    if (pipe(p) != 0)
        return {};
    fflush(stdout);
    console.drain(1000);
    const int savedOut = dup(1);
    dup2(p[1], 1);
    close(p[1]);

    Arrivals arrivals;
    const unsigned short port = freePort();
    auto* receiver = new TimedReceiver(port, arrivals);
    std::vector<BurstResult> results;
    if (receiver->isBound()) {
        receiver->start(true);
        ConsoleCount count;
        LineReader reader(p[0], [&](const std::string& line) { count.line(line); });
        // After each burst: the console has written all it took in, and the
        // reader has read it, when a mark printed now comes back.
        int mark = 0;
        results = measure(port, arrivals, [&](BurstResult& r) {
            console.drain(5000);
            printf("osc_bench mark %d\n", ++mark);
            for (int k = 0; k < 5000 && count.mark.load() != mark; ++k)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            r.shown = count.shown.exchange(0);
            r.dropped = count.dropped.exchange(0);
        });
        receiver->stop();
        delete receiver;
        fflush(stdout);
        console.drain(1000);
        dup2(savedOut, 1);  // the pipe's last writer goes: the reader ends
    } else {
        delete receiver;
        dup2(savedOut, 1);
    }
    close(savedOut);
    close(p[0]);
    return results;
}

// liblo's oscdump in a child process, its standard output a pipe.
std::vector<BurstResult> measureOscdump()
{
    int p[2];
    if (pipe(p) != 0)
        return {};
    const unsigned short port = freePort();
    const std::string portText = std::to_string(port);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, p[1], 1);
    posix_spawn_file_actions_addclose(&actions, p[0]);
    char* argv[] = {const_cast<char*>("oscdump"), const_cast<char*>("-L"), const_cast<char*>(portText.c_str()), nullptr};
    pid_t pid;
    const int failed = posix_spawnp(&pid, "oscdump", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(p[1]);
    std::vector<BurstResult> results;
    if (failed == 0) {
        Arrivals arrivals;
        LineReader reader(p[0], [&](const std::string& line) { arrivals.note(parseOscdumpLine(line)); });
        results = measure(port, arrivals, [](BurstResult&) {});
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    close(p[0]);
    return results;
}

std::string rateText(double rate)
{
    return rate > 0 ? std::to_string(static_cast<int>(rate)) : "unpaced";
}

// Highest actual send rate among the bursts that lost nothing.
double lossless(const std::vector<BurstResult>& rs)
{
    double best = 0;
    for (const BurstResult& r : rs)
        if (r.applied == kBurst)
            best = std::max(best, r.rate);
    return best;
}

}  // namespace

// Sends refused over all the bursts of one receiver.
int refusedIn(const std::vector<BurstResult>& rs)
{
    int n = 0;
    for (const BurstResult& r : rs)
        n += r.refused;
    return n;
}

int main(int argc, char** argv)
{
    openStandardStreams();
    CLI::App app{"Sends bursts of OSC messages at rising rates over loopback to the show's receiver and to "
                 "liblo's oscdump, and prints what each took and how fast; needs oscdump (liblo-tools).",
                 "osc_bench"};
    parseOptionsOrExit(app, "osc_bench", argc, argv);
    // The receiver prints its status lines as the show does, into the
    // show's console.
    ConsoleOutput& console = ConsoleOutput::start();
    const std::vector<BurstResult> own = measureOwnReceiver(console);
    const std::vector<BurstResult> dump = measureOscdump();
    if (own.size() != std::size(kRates) || dump.size() != std::size(kRates)) {
        fprintf(stderr, "osc_bench: a receiver did not come up (driftmeadow %zu, oscdump %zu bursts)\n",
                own.size(), dump.size());
        return 1;
    }
    printf("Bursts of %d \"/driftmeadow\" messages over loopback UDP, delay from send to stored value\n"
           "(driftmeadow) or printed line (oscdump); the show's console lines shown and dropped:\n\n", kBurst);
    printf("%-9s | %-10s %8s %9s %9s %7s %7s | %-10s %8s %9s %9s\n", "target/s", "sent/s", "applied", "p50 us",
           "p99 us", "shown", "dropped", "sent/s", "received", "p50 us", "p99 us");
    for (size_t k = 0; k < own.size(); ++k)
        printf("%-9s | %-10.0f %8d %9.1f %9.1f %7d %7lld | %-10.0f %8d %9.1f %9.1f\n", rateText(kRates[k]).c_str(),
               own[k].rate, own[k].applied, own[k].p50us, own[k].p99us, own[k].shown, own[k].dropped,
               dump[k].rate, dump[k].applied, dump[k].p50us, dump[k].p99us);
    const double a = lossless(own), b = lossless(dump);
    printf("\nHighest rate without loss: driftmeadow %.0f/s, oscdump %.0f/s; ratio driftmeadow/oscdump %.2f\n", a, b,
           b > 0 ? a / b : 0.0);
    printf("Sends refused by the system (counted as lost): driftmeadow %d, oscdump %d\n", refusedIn(own),
           refusedIn(dump));
    return 0;
}
