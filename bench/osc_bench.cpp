// OSC receive benchmark over loopback UDP. Bursts of "/driftmeadow" messages
// go out at rising send rates, first to the show's own receiver (in this
// process, its console lines read back through a pipe, each message counted
// once its value is stored), then to liblo's oscdump receiving the same burst
// (its lines read back through a pipe). For each rate it reports how many
// messages were applied and the p50/p99 delay from send to stored value (to
// printed line for oscdump), best of up to three tries; then the highest rate
// each takes without loss and the ratio of the two.
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

#include "control/ControlState.h"
#include "control/OscControlReceiver.h"

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

unsigned short freePort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// Reads a receiver's console lines from a pipe on its own thread and notes
// when each burst message arrived.
class LineCollector {
public:
    // parse: the burst index of one line, or -1 (probes, anything else).
    // arrived: runs for each burst line before its time is taken.
    LineCollector(int fd, std::function<int(const char*)> parse, std::function<void(int)> arrived)
        : fd_(fd), parse_(std::move(parse)), arrived_(std::move(arrived)), times_(kBurst)
    {
        reset();
        thread_ = std::thread([this] { readLoop(); });
    }
    ~LineCollector() { thread_.join(); }  // ends when the pipe's writer closes

    void reset()
    {
        for (auto& t : times_)
            t.store(-1);
        count_.store(0);
    }
    int count() const { return count_.load(); }
    int probes() const { return probes_.load(); }
    int64_t time(int i) const { return times_[i].load(); }

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
                const int i = parse_(line.c_str());
                if (i == -2)
                    probes_.fetch_add(1);
                else if (i >= 0 && i < kBurst && times_[i].load() < 0) {
                    arrived_(i);
                    times_[i].store(nowNs());
                    count_.fetch_add(1);
                }
                line.clear();
            }
        }
    }

    int fd_;
    std::function<int(const char*)> parse_;
    std::function<void(int)> arrived_;
    std::vector<std::atomic<int64_t>> times_;
    std::atomic<int> count_{0};
    std::atomic<int> probes_{0};
    std::thread thread_;
};

int classify(int id, int value)
{
    if (id == kProbeId)
        return -2;
    if (id < 0 || id >= kIds || value < 1)
        return -1;
    return indexOf(id, value);
}

int parseStatusLine(const char* line)
{
    int id, value;
    return sscanf(line, "inputValue:  ID: %d\tval: %d", &id, &value) == 2 ? classify(id, value) : -1;
}

int parseOscdumpLine(const char* line)
{
    int id, value;
    return sscanf(line, "%*s /driftmeadow ii %d %d", &id, &value) == 2 ? classify(id, value) : -1;
}

struct BurstResult {
    double rate;  // messages per second actually sent
    int applied;
    double p50us, p99us;
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

    void send(const std::string& m)
    {
        sendto(fd_, m.data(), m.size(), 0, reinterpret_cast<const sockaddr*>(&to_), sizeof to_);
    }

    // Waits (at most 5 s) until the receiver prints a probe's line.
    bool awaitReady(const LineCollector& c)
    {
        for (int k = 0; k < 250 && c.probes() == 0; ++k) {
            send(message(kProbeId, 1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return c.probes() > 0;
    }

    // Sends the burst at the given rate (0: unpaced) into sendTimes.
    double burst(double rate, std::vector<int64_t>& sendTimes)
    {
        const int64_t start = nowNs();
        for (int i = 0; i < kBurst; ++i) {
            if (rate > 0) {
                const int64_t due = start + static_cast<int64_t>(i * 1e9 / rate);
                const int64_t ahead = due - nowNs();
                if (ahead > 100000)
                    std::this_thread::sleep_for(std::chrono::nanoseconds(ahead));
            }
            sendTimes[i] = nowNs();
            send(burst_[i]);
        }
        return kBurst / ((nowNs() - start) * 1e-9);
    }

private:
    int fd_;
    sockaddr_in to_{};
    std::vector<std::string> burst_;
};

// One burst at one rate; the result holds what arrived in `c`.
BurstResult runBurst(Sender& sender, LineCollector& c, double rate, std::vector<int64_t>& sendTimes)
{
    c.reset();
    BurstResult r{};
    r.rate = sender.burst(rate, sendTimes);
    // Done when all arrived or nothing new came for 300 ms.
    int last = -1;
    auto quietSince = Clock::now();
    while (c.count() < kBurst && Clock::now() - quietSince < std::chrono::milliseconds(300)) {
        if (c.count() != last) {
            last = c.count();
            quietSince = Clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::vector<double> delays;
    for (int i = 0; i < kBurst; ++i)
        if (c.time(i) >= 0)
            delays.push_back((c.time(i) - sendTimes[i]) * 1e-3);
    r.applied = static_cast<int>(delays.size());
    std::sort(delays.begin(), delays.end());
    if (!delays.empty()) {
        r.p50us = delays[delays.size() / 2];
        r.p99us = delays[std::min(delays.size() - 1, delays.size() * 99 / 100)];
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return r;
}

// Runs every rate against one receiver whose lines arrive in `c`. The
// machine is shared, so a rate gets up to three tries and keeps the best:
// the first without loss, else the one that lost least.
std::vector<BurstResult> measure(unsigned short port, LineCollector& c, const std::function<void()>& betweenBursts)
{
    Sender sender(port);
    std::vector<BurstResult> results;
    if (!sender.awaitReady(c))
        return results;
    std::vector<int64_t> sendTimes(kBurst);
    for (double rate : kRates) {
        BurstResult best{};
        for (int attempt = 0; attempt < 3 && best.applied < kBurst; ++attempt) {
            betweenBursts();
            const BurstResult r = runBurst(sender, c, rate, sendTimes);
            if (r.applied > best.applied)
                best = r;
        }
        results.push_back(best);
    }
    return results;
}

// The show's receiver, its standard output (fd 1) turned into a pipe.
std::vector<BurstResult> measureOwnReceiver()
{
    int p[2];
    if (pipe(p) != 0)
        return {};
    fflush(stdout);
    const int savedOut = dup(1);
    dup2(p[1], 1);
    close(p[1]);

    const unsigned short port = freePort();
    auto* receiver = new OscControlReceiver(port, "127.0.0.1");
    std::vector<BurstResult> results;
    if (receiver->isBound()) {
        receiver->start(true);
        // A line counts once its value is stored, which follows the line;
        // the wait yields, so that on few cores the receive thread can run.
        auto stored = [](int i) {
            for (int tries = 0; tries < 100000; ++tries) {
                if (std::lround(inputValue[idOf(i)].load(std::memory_order_relaxed) * 32765.0) >= valueOf(i))
                    return;
                std::this_thread::yield();
            }
        };
        LineCollector c(p[0], parseStatusLine, stored);
        results = measure(port, c, [] {
            for (auto& v : inputValue)
                v.store(0.0f);
        });
        receiver->stop();
        delete receiver;
        fflush(stdout);
        dup2(savedOut, 1);  // the pipe's last writer goes: the collector ends
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
        LineCollector c(p[0], parseOscdumpLine, [](int) {});
        results = measure(port, c, [] {});
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

int main()
{
    const std::vector<BurstResult> own = measureOwnReceiver();
    const std::vector<BurstResult> dump = measureOscdump();
    if (own.size() != std::size(kRates) || dump.size() != std::size(kRates)) {
        fprintf(stderr, "osc_bench: a receiver did not come up (driftmeadow %zu, oscdump %zu bursts)\n",
                own.size(), dump.size());
        return 1;
    }
    printf("Bursts of %d \"/driftmeadow\" messages over loopback UDP, delay from send to stored value\n"
           "(driftmeadow) or printed line (oscdump):\n\n", kBurst);
    printf("%-9s | %-10s %8s %9s %9s | %-10s %8s %9s %9s\n", "target/s", "sent/s", "applied", "p50 us", "p99 us",
           "sent/s", "received", "p50 us", "p99 us");
    for (size_t k = 0; k < own.size(); ++k)
        printf("%-9s | %-10.0f %8d %9.1f %9.1f | %-10.0f %8d %9.1f %9.1f\n", rateText(kRates[k]).c_str(),
               own[k].rate, own[k].applied, own[k].p50us, own[k].p99us, dump[k].rate, dump[k].applied,
               dump[k].p50us, dump[k].p99us);
    const double a = lossless(own), b = lossless(dump);
    printf("\nHighest rate without loss: driftmeadow %.0f/s, oscdump %.0f/s; ratio driftmeadow/oscdump %.2f\n", a, b,
           b > 0 ? a / b : 0.0);
    return 0;
}
