// FrameWriter: encodes the renderer's frames as PNG files on a thread of its
// own, so that the next frame is drawn while the last one is compressed. At
// most two frames wait; handing over a third waits for the oldest to be
// written. The main thread hands frames over and asks for the outcome; only
// the writer thread encodes and writes.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FrameWriter {
public:
    FrameWriter(int width, int height);
    // Writes what is still waiting, then ends the thread.
    virtual ~FrameWriter();

    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A buffer of width * height * 3 bytes to read a frame into (bottom row
    // first, as GL reads back), to be handed back through `write`.
    std::vector<unsigned char> buffer();
    // Queues the frame for `path`. False when an earlier frame could not be
    // written: nothing is queued then, and `failure` says which and why.
    bool write(const std::string& path, std::vector<unsigned char> rgb);
    // Waits until every queued frame is written; false when one was not.
    bool finish();

    // The first frame that could not be written and why; empty before.
    const std::string& failedPath() const { return failedPath_; }
    const std::string& failure() const { return failure_; }

private:
    struct Job {
        std::string path;
        std::vector<unsigned char> rgb;
    };
    static constexpr std::size_t kMaxWaiting = 2;

    void run();
    std::string writeJob(const Job& job) const;

    const int width_;
    const int height_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> waiting_;
    std::vector<std::vector<unsigned char>> spare_;
    bool busy_ = false;
    bool stopping_ = false;
    std::string failedPath_;
    std::string failure_;
    std::thread thread_;
};
