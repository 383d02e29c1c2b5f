#include "base/ConsoleOutput.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "base/ConsoleNotice.h"

namespace {

// The console lives to the end of the process: its writer may be blocked in
// a write that never returns, so nothing ever joins or destroys it.
ConsoleOutput* sConsole = nullptr;

// Bytes the writer takes from the queue at a time, and how long it gathers
// lines before it writes less than that.
constexpr std::size_t kChunk = 64 * 1024;
constexpr std::chrono::milliseconds kGather{5};

// Writes all of it to fd 1 unless standard output fails for good (closed,
// or no longer a valid descriptor): then the rest is lost.
void writeOut(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(STDOUT_FILENO, data, size);
        if (n > 0) {
            data += n;
            size -= std::size_t(n);
        } else if (n < 0 && errno == EAGAIN) {
            // Someone made the descriptor non-blocking: wait here, on this
            // thread only, until it takes more.
            pollfd p{STDOUT_FILENO, POLLOUT, 0};
            poll(&p, 1, -1);
        } else if (!(n < 0 && errno == EINTR)) {
            return;
        }
    }
}

void drainAtExit()
{
    fflush(stdout);
    sConsole->drain(ConsoleOutput::kExitDrainMs);
}

}  // namespace

ConsoleOutput& ConsoleOutput::start()
{
    if (sConsole)
        return *sConsole;
    fflush(stdout);
    sConsole = new ConsoleOutput();
    cookie_io_functions_t io{};
    io.write = [](void* console, const char* data, size_t size) -> ssize_t {
        static_cast<ConsoleOutput*>(console)->put(data, size);
        return ssize_t(size);
    };
    FILE* stream = fopencookie(sConsole, "w", io);
    if (!stream) {
        // Without a stream of its own the console stays unused: standard
        // output keeps working as it did.
        return *sConsole;
    }
    // Lines ending in '\n' go out as they are completed; the OSC status
    // lines, which end in '\r', are flushed by their printers.
    setvbuf(stream, nullptr, _IOLBF, BUFSIZ);
    stdout = stream;
    signal(SIGPIPE, SIG_IGN);
    std::thread([] { sConsole->writerLoop(); }).detach();
    atexit(drainAtExit);
    return *sConsole;
}

ConsoleOutput* ConsoleOutput::running()
{
    return sConsole;
}

ConsoleOutput::ConsoleOutput() : ring_(kCapacity) {}

bool ConsoleOutput::drain(int milliseconds)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return written_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [this] { return used_ == 0 && !writing_; });
}

void ConsoleOutput::put(const char* data, std::size_t size)
{
    bool wake;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const std::size_t before = used_;
        while (size > 0) {
            const char* end = std::find_if(data, data + size, [](char c) { return c == '\n' || c == '\r'; });
            const bool endsLine = end != data + size;
            const std::size_t n = std::size_t(end - data) + (endsLine ? 1 : 0);
            putPiece(data, n, endsLine);
            data += n;
            size -= n;
        }
        // The writer waits for text only when the queue is empty, and then
        // gathers more for a moment unless a whole chunk is there: one wake
        // and one write serve many lines.
        wake = (before == 0 && used_ > 0) || (before < kChunk && used_ >= kChunk);
    }
    if (wake)
        queued_.notify_one();
}

void ConsoleOutput::putPiece(const char* piece, std::size_t size, bool endsLine)
{
    if (skipRest_) {
        skipRest_ = !endsLine;
        return;
    }
    // Once lines are dropped, the queue takes lines again only when the
    // writer has made room, so that a slow reader sees one notice per stall
    // rather than one between every few lines.
    if (dropping_ && used_ > ring_.size() / 2)
        return drop(endsLine);
    if (dropped_ > 0 && !queueDroppedNotice(size))
        return drop(endsLine);
    if (ring_.size() - used_ < size)
        return drop(endsLine);
    dropping_ = false;
    push(piece, size);
    lineOpen_ = !endsLine;
}

void ConsoleOutput::drop(bool endsLine)
{
    ++dropped_;
    dropping_ = true;
    skipRest_ = !endsLine;
}

bool ConsoleOutput::queueDroppedNotice(std::size_t roomAfter)
{
    // A line cut short by the drop is ended before the notice.
    const std::string notice = (lineOpen_ ? "\n" : "") + droppedLinesNotice(dropped_);
    if (ring_.size() - used_ < notice.size() + roomAfter)
        return false;
    push(notice);
    dropped_ = 0;
    dropping_ = false;
    lineOpen_ = false;
    return true;
}

void ConsoleOutput::push(const char* data, std::size_t size)
{
    const std::size_t tail = (head_ + used_) % ring_.size();
    const std::size_t first = std::min(size, ring_.size() - tail);
    std::memcpy(&ring_[tail], data, first);
    std::memcpy(&ring_[0], data + first, size - first);
    used_ += size;
}

void ConsoleOutput::writerLoop()
{
    std::vector<char> chunk(kChunk);
    while (true) {
        std::size_t n;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            writing_ = false;
            if (used_ == 0) {
                // All is out: report what was dropped, unless a dropped
                // line is still being printed (its end comes first).
                if (dropped_ > 0 && !skipRest_)
                    queueDroppedNotice(0);
                else
                    written_.notify_all();
            }
            queued_.wait(lock, [this] { return used_ > 0; });
            queued_.wait_for(lock, kGather, [this] { return used_ >= kChunk; });
            n = std::min(used_, kChunk);
            const std::size_t first = std::min(n, ring_.size() - head_);
            std::memcpy(chunk.data(), &ring_[head_], first);
            std::memcpy(chunk.data() + first, ring_.data(), n - first);
            head_ = (head_ + n) % ring_.size();
            used_ -= n;
            writing_ = true;
        }
        writeOut(chunk.data(), n);
    }
}
