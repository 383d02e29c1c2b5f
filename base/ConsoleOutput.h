// ConsoleOutput: standard output that no thread ever waits for. Once started,
// stdout is a stream that puts what is printed, whole lines at a time, into a
// bounded queue, and a writer thread of its own writes the queue out to file
// descriptor 1. While the reader of standard output keeps up, every byte
// arrives in the order printed. When it stops reading (a stuck pipe, a paused
// terminal, a stalled session), the queue fills and further lines are dropped
// rather than waited for; once the queue has room again, one line says how
// many were dropped. The main thread starts it once, before other threads
// print; any thread may print afterwards (stdio's lock keeps lines whole and
// in order).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

class ConsoleOutput {
public:
    // About six seconds of status lines at 4000 a second.
    static constexpr std::size_t kCapacity = 1024 * 1024;

    // Puts stdout on the console for the rest of the process and returns it;
    // later calls return the same console. From then on a standard output
    // that is closed no longer ends the process (SIGPIPE is ignored), and at
    // exit what is still queued gets at most kExitDrainMs to be written.
    static ConsoleOutput& start();
    static constexpr int kExitDrainMs = 100;
    // The console once started, null before.
    static ConsoleOutput* running();

    // Waits until all that was printed has been written out, for at most the
    // given time; true when it was.
    bool drain(int milliseconds);

    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

private:
    ConsoleOutput();

    // Called by stdio with its stream locked: one printer at a time.
    void put(const char* data, std::size_t size);
    // One piece of a line (up to and including its '\r' or '\n', or the end
    // of what was printed), queued or dropped. Under mutex_.
    void putPiece(const char* piece, std::size_t size, bool endsLine);
    void drop(bool endsLine);
    // The notice for the lines dropped so far, when it fits. Under mutex_.
    bool queueDroppedNotice(std::size_t roomAfter);
    void push(const std::string& text) { push(text.data(), text.size()); }
    void push(const char* data, std::size_t size);

    void writerLoop();

    std::mutex mutex_;
    std::condition_variable queued_;   // the writer waits for text
    std::condition_variable written_;  // drain waits for an empty queue
    std::vector<char> ring_;
    std::size_t head_ = 0;  // first queued byte
    std::size_t used_ = 0;
    bool writing_ = false;    // the writer holds text taken from the queue
    bool dropping_ = false;   // lines are dropped until the queue is half empty
    bool skipRest_ = false;   // the line being printed was dropped: so is its rest
    bool lineOpen_ = false;   // the queued text ends inside a line
    unsigned long long dropped_ = 0;  // dropped and not yet reported
};
