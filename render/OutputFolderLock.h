// OutputFolderLock: a render's claim on its output folder, so that two renders
// never write into one folder at once (their frames would pass through the
// same temporary names and interleave). An advisory lock (flock) on the file
// .driftmeadow-render.lock in the folder, held from construction to
// destruction; the system gives it up when the process ends, however it
// ends, so a killed render never leaves the folder locked. Main thread.
#pragma once

#include <string>

class OutputFolderLock {
public:
    static constexpr const char* kFileName = ".driftmeadow-render.lock";

    // Takes the lock without waiting for it; error() says when it could not.
    explicit OutputFolderLock(const std::string& folder);
    ~OutputFolderLock();
    OutputFolderLock(const OutputFolderLock&) = delete;
    OutputFolderLock& operator=(const OutputFolderLock&) = delete;

    // Empty when the folder is this render's; otherwise why not, in words.
    const std::string& error() const { return error_; }

    // Removes the unfinished frame files (00012.png.part) that a render
    // killed while writing left behind; only the lock holder may. Returns how
    // many there were.
    int removeUnfinishedFrames() const;

private:
    std::string folder_;
    int fd_ = -1;
    std::string error_;
};
