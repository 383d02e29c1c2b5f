#include "control/OscRecorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "control/OscConsole.h"

std::atomic<OscRecorder*> gOscRecorder{nullptr};

namespace {

using Clock = std::chrono::steady_clock;

// How long the writer gathers lines before it writes them.
constexpr std::chrono::milliseconds kGather{100};
// NTP counts seconds from 1900, the system clock from 1970.
constexpr uint64_t kNtpUnixOffset = 2208988800u;

// An NTP time as oscdump prints it: seconds and fraction in hexadecimal.
std::string timeTagText(uint64_t ntp)
{
    char text[20];
    snprintf(text, sizeof text, "%08x.%08x", static_cast<unsigned>(ntp >> 32), static_cast<unsigned>(ntp));
    return text;
}

// Nanoseconds as NTP's 32.32 fixed point.
uint64_t ntpOfNanoseconds(uint64_t ns)
{
    const uint64_t seconds = ns / 1000000000u, rest = ns % 1000000000u;
    return (seconds << 32) + (rest << 32) / 1000000000u;
}

uint64_t ntpNow()
{
    const auto sinceUnix = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceUnix).count();
    return (kNtpUnixOffset << 32) + ntpOfNanoseconds(static_cast<uint64_t>(ns));
}

}  // namespace

struct OscRecorder::Take {
    struct Line {
        Clock::time_point at;
        std::string text;  // after the time tag, with its line end
    };

    Take(std::string path, std::size_t capacity) : path(std::move(path)), capacity(capacity) {}

    const std::string path;
    const std::size_t capacity;
    std::atomic<bool> stopped{false};

    std::mutex mutex;
    std::condition_variable wake;   // the writer waits for lines or the end
    std::condition_variable ended;  // the recorder's end waits for the writer
    std::deque<Line> queue;
    std::size_t queuedBytes = 0;
    bool haveOrigin = false;
    Clock::time_point origin;
    uint64_t originNtp = 0;
    bool ending = false;
    bool writerDone = false;

    // Writer thread only: the file, once made, and its bytes of whole lines.
    int fd = -1;
    off_t wholeBytes = 0;

    // errno's text when the file cannot be made.
    const char* openFile()
    {
        fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd < 0 ? strerror(errno) : nullptr;
    }

    void setOrigin()
    {
        origin = Clock::now();
        originNtp = ntpNow();
        haveOrigin = true;
        queue.push_front({origin, std::string(" ") + kOriginAddress + " \n"});
    }

    // The queued lines with their time tags, taken off the queue. Under mutex.
    std::string takeText()
    {
        std::string text;
        for (const Line& line : queue) {
            const auto since = line.at > origin ? line.at - origin : Clock::duration::zero();
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
            text += timeTagText(originNtp + ntpOfNanoseconds(static_cast<uint64_t>(ns))) + line.text;
        }
        queue.clear();
        queuedBytes = 0;
        return text;
    }

    // Writes all of it; on failure cuts the file back to its last whole line
    // and gives errno's text.
    const char* writeOut(const std::string& text)
    {
        std::size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = write(fd, text.data() + done, text.size() - done);
            if (n > 0) {
                done += std::size_t(n);
            } else if (!(n < 0 && errno == EINTR)) {
                const int err = n < 0 ? errno : ENOSPC;
                const std::size_t lineEnd = text.rfind('\n', done == 0 ? std::string::npos : done - 1);
                const std::size_t whole = lineEnd == std::string::npos || lineEnd >= done ? 0 : lineEnd + 1;
                // Should even this fail, the file ends in a line cut short.
                const int cut = ftruncate(fd, wholeBytes + off_t(whole));
                (void)cut;
                return strerror(err);
            }
        }
        wholeBytes += off_t(text.size());
        return nullptr;
    }
};

std::unique_ptr<OscRecorder> OscRecorder::create(const std::string& path, std::string& error)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno == EEXIST ? "it exists already, and a take is never written over" : strerror(errno);
        return nullptr;
    }
    close(fd);
    unlink(path.c_str());
    return std::make_unique<OscRecorder>(path);
}

OscRecorder::OscRecorder(std::string path, std::size_t capacity)
    : take_(std::make_shared<Take>(std::move(path), capacity))
{
    std::thread(writerLoop, take_).detach();
}

OscRecorder::~OscRecorder()
{
    std::unique_lock<std::mutex> lock(take_->mutex);
    take_->ending = true;
    take_->wake.notify_one();
    take_->ended.wait_for(lock, std::chrono::milliseconds(kEndDrainMs), [this] { return take_->writerDone; });
}

void OscRecorder::markOrigin()
{
    std::lock_guard<std::mutex> lock(take_->mutex);
    if (!take_->haveOrigin) {
        take_->setOrigin();
        take_->wake.notify_one();
    }
}

void OscRecorder::record(const osc::ReceivedMessage& message)
{
    if (take_->stopped.load())
        return;
    Take::Line line{Clock::now(), " " + formatMessage(message) + "\n"};
    bool fellBehind = false, wasEmpty = false;
    {
        std::lock_guard<std::mutex> lock(take_->mutex);
        // Checked again here: no line may follow the ones lost.
        if (take_->stopped.load())
            return;
        if (take_->queuedBytes + line.text.size() > take_->capacity) {
            fellBehind = !take_->stopped.exchange(true);
        } else {
            wasEmpty = take_->queue.empty();
            take_->queuedBytes += line.text.size();
            take_->queue.push_back(std::move(line));
        }
    }
    // The writer waits only for an empty queue: one wake serves many lines.
    if (wasEmpty)
        take_->wake.notify_one();
    if (fellBehind)
        reportRecordingStopped(take_->path.c_str(), kRecordingFellBehind);
}

bool OscRecorder::stopped() const
{
    return take_->stopped.load();
}

std::string OscRecorder::formatMessage(const osc::ReceivedMessage& message)
{
    std::string text = std::string(message.AddressPattern()) + " " +
                       (message.ArgumentCount() ? message.TypeTags() : "");
    char value[64];
    for (auto arg = message.ArgumentsBegin(); arg != message.ArgumentsEnd(); ++arg) {
        if (arg->IsInt32())
            snprintf(value, sizeof value, " %d", static_cast<int>(arg->AsInt32Unchecked()));
        else if (arg->IsFloat())
            snprintf(value, sizeof value, " %f", static_cast<double>(arg->AsFloatUnchecked()));
        else
            value[0] = '\0';
        text += value;
    }
    return text;
}

// Waits for the first frame and for lines, gathers them for a moment and
// writes them; at the end writes what is left. A queue that overflowed
// (stopped, with lines still queued) is written out first: those lines came
// before the loss.
void OscRecorder::writerLoop(std::shared_ptr<Take> take)
{
    std::unique_lock<std::mutex> lock(take->mutex);
    while (true) {
        take->wake.wait(lock, [&] { return take->ending || (take->haveOrigin && !take->queue.empty()); });
        if (!take->ending)
            take->wake.wait_for(lock, kGather, [&] { return take->ending; });
        if (!take->haveOrigin)
            take->setOrigin();
        const std::string text = take->takeText();
        const bool last = take->ending || take->stopped.load();
        lock.unlock();
        const char* failure = take->fd < 0 ? take->openFile() : nullptr;
        if (!failure)
            failure = take->writeOut(text);
        if (failure && !take->stopped.exchange(true))
            reportRecordingStopped(take->path.c_str(), failure);
        lock.lock();
        if (failure || (last && take->queue.empty()))
            break;
    }
    take->queue.clear();
    if (take->fd >= 0)
        close(take->fd);
    take->writerDone = true;
    take->ended.notify_all();
}
