#include "base/DescriptorLimit.h"

#include <dirent.h>
#include <sys/resource.h>

#include <cerrno>

namespace {

// Descriptors that a failed start-up step may have given back before its
// failure was reported: a socket, an X connection and a pipe or two.
constexpr unsigned long kFewLeft = 4;

// Open descriptors of this process; none left to count with counts as full.
bool countOpen(unsigned long& count)
{
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return errno == EMFILE;
    count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    // The listing's own descriptor was counted too.
    if (count > 0)
        --count;
    return true;
}

}  // namespace

unsigned long descriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 0;
    return static_cast<unsigned long>(limit.rlim_cur);
}

std::string descriptorShortage(int errnum)
{
    if (errnum == ENFILE)
        return "no file descriptor left: the system's table of open files is full";
    if (errnum != EMFILE)
        return "";
    return "no file descriptor left: the process may open " + std::to_string(descriptorLimit()) +
           " (ulimit -n) and all are in use";
}

bool nearDescriptorLimit()
{
    const unsigned long limit = descriptorLimit();
    unsigned long open = limit;
    if (limit == 0 || !countOpen(open))
        return false;
    return open + kFewLeft >= limit;
}
