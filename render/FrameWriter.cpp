#include "render/FrameWriter.h"

#include <new>

#include "gfx/PngWriter.h"

FrameWriter::FrameWriter(int width, int height)
    : width_(width), height_(height), thread_(&FrameWriter::run, this)
{
}

FrameWriter::~FrameWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::vector<unsigned char> FrameWriter::buffer()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty())
        return std::vector<unsigned char>(static_cast<std::size_t>(width_) * height_ * 3);
    std::vector<unsigned char> b = std::move(spare_.back());
    spare_.pop_back();
    return b;
}

bool FrameWriter::write(const std::string& path, std::vector<unsigned char> rgb)
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || !failure_.empty(); });
    if (!failure_.empty())
        return false;
    waiting_.push_back(Job{path, std::move(rgb)});
    changed_.notify_all();
    return true;
}

bool FrameWriter::finish()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (waiting_.empty() && !busy_) || !failure_.empty(); });
    return failure_.empty();
}

// An allocation that fails while a frame is encoded fails that frame.
std::string FrameWriter::writeJob(const Job& job) const
{
    try {
        return PngWriter::write(job.path, job.rgb.data(), width_, height_, true);
    } catch (const std::bad_alloc&) {
        return "out of memory";
    }
}

// Takes the oldest frame, writes it outside the lock, and gives its buffer
// back for a later frame. After a failure the frames still waiting are
// dropped: the render stops at the first frame that could not be written.
void FrameWriter::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
        if (waiting_.empty())
            return;
        Job job = std::move(waiting_.front());
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();
        const std::string fault = writeJob(job);
        lock.lock();
        busy_ = false;
        spare_.push_back(std::move(job.rgb));
        if (!fault.empty() && failure_.empty()) {
            failedPath_ = job.path;
            failure_ = fault;
            waiting_.clear();
        }
        changed_.notify_all();
    }
}
