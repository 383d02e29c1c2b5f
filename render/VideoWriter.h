// VideoWriter: written frames into a video file (VideoEncoder) on an encoder
// thread of its own, which owns the encoder from the first frame on, so the
// next frame is drawn while the last one is converted, encoded and written.
// At most two frames wait; handing over a third waits for the oldest. The
// main thread hands frames over and asks for the outcome.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "render/FrameOutput.h"
#include "render/VideoEncoder.h"

class VideoWriter : public FrameOutput {
public:
    // Opens the encoder on the calling thread, so that a file that cannot
    // be made or an encoder that cannot be opened is known before anything
    // is drawn: failure() then says why, and no thread runs.
    explicit VideoWriter(const VideoSettings& settings);
    // Without finish, the frames still waiting are dropped and the
    // unfinished file is removed.
    ~VideoWriter() override;
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    Pixels pixels() const override { return Pixels::Bgra; }
    std::vector<unsigned char> buffer() override;
    bool write(int k, std::vector<unsigned char> pixels) override;
    bool finish() override;
    std::string failure() const override;
    std::string name() const override { return path_; }

    // Frames in the finished file.
    int frames() const { return encoder_->frames(); }

private:
    static constexpr std::size_t kMaxWaiting = 2;

    void run();

    const std::string path_;
    const std::size_t frameBytes_;
    std::unique_ptr<VideoEncoder> encoder_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<unsigned char>> waiting_;
    std::vector<std::vector<unsigned char>> spare_;
    bool busy_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    std::string failure_;
    std::thread thread_;
};
