#include "render/OutputFolderLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "gfx/PngWriter.h"

namespace {

// A frame's temporary name as the PNG writer makes it: digits, ".png", then
// the writer's suffix.
bool isUnfinishedFrame(const std::string& name)
{
    const std::string tail = std::string(".png") + PngWriter::kPartialSuffix;
    if (name.size() <= tail.size() || name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    return name.find_first_not_of("0123456789") == name.size() - tail.size();
}

}  // namespace

OutputFolderLock::OutputFolderLock(const std::string& folder) : folder_(folder)
{
    const std::string path = folder + "/" + kFileName;
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        error_ = "cannot make the lock file " + path + ": " + strerror(errno);
        return;
    }
    int result;
    do
        result = flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return;
    error_ = errno == EWOULDBLOCK ? "another render is writing into " + folder
                                  : "cannot lock " + path + ": " + strerror(errno);
    close(fd_);
    fd_ = -1;
}

OutputFolderLock::~OutputFolderLock()
{
    if (fd_ >= 0)
        close(fd_);
}

int OutputFolderLock::removeUnfinishedFrames() const
{
    if (fd_ < 0)
        return 0;
    DIR* dir = opendir(folder_.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        if (isUnfinishedFrame(entry->d_name) && unlink((folder_ + "/" + entry->d_name).c_str()) == 0)
            ++removed;
    }
    closedir(dir);
    return removed;
}
