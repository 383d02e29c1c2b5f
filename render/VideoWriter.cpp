#include "render/VideoWriter.h"

VideoWriter::VideoWriter(const VideoSettings& settings)
    : path_(settings.path),
      frameBytes_(std::size_t(settings.width) * settings.height * 4),
      encoder_(std::make_unique<VideoEncoder>(settings))
{
    if (!encoder_->error().empty()) {
        failed_ = true;
        failure_ = encoder_->error();
        return;
    }
    thread_ = std::thread(&VideoWriter::run, this);
}

VideoWriter::~VideoWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::vector<unsigned char> VideoWriter::buffer()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty())
        return std::vector<unsigned char>(frameBytes_);
    std::vector<unsigned char> b = std::move(spare_.back());
    spare_.pop_back();
    return b;
}

bool VideoWriter::write(int, std::vector<unsigned char> pixels)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || failed_; });
    if (failed_)
        return false;
    waiting_.push_back(std::move(pixels));
    changed_.notify_all();
    return true;
}

// Waits for the frames handed over, then completes the file on this thread:
// the encoder thread has ended by then.
bool VideoWriter::finish()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return (waiting_.empty() && !busy_) || failed_; });
        if (failed_)
            return false;
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
    if (encoder_->finish())
        return true;
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = true;
    failure_ = encoder_->error();
    return false;
}

std::string VideoWriter::failure() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return failure_;
}

// Takes the oldest frame and encodes it outside the lock. After a failure
// the frames still waiting are dropped: the render stops there.
void VideoWriter::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
        if (waiting_.empty())
            return;
        std::vector<unsigned char> frame = std::move(waiting_.front());
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();
        const bool ok = encoder_->addFrame(frame.data());
        lock.lock();
        busy_ = false;
        spare_.push_back(std::move(frame));
        if (!ok && !failed_) {
            failed_ = true;
            failure_ = encoder_->error();
            waiting_.clear();
        }
        changed_.notify_all();
    }
}
