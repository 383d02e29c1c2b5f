#include "base/OutOfMemory.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "base/FatalExit.h"

namespace {

const char* sLine = nullptr;
std::terminate_handler sPrevious = nullptr;

bool isOutOfMemory(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const std::bad_alloc&) {
        return true;
    } catch (...) {
        return false;
    }
}

// The C++ runtime has begun to handle the exception before it calls this,
// so it is the current one.
[[noreturn]] void onTerminate()
{
    const std::exception_ptr e = std::current_exception();
    if (e && isOutOfMemory(e))
        endProcessOutOfMemory(sLine);
    sPrevious();
    abort();
}

}  // namespace

void endProcessOutOfMemory(const char* line)
{
    writeOutPrintedLines();
    fputs(line, stderr);
    fflush(stderr);
    _exit(2);
}

void reportUncaughtOutOfMemory(const char* line)
{
    sLine = line;
    sPrevious = std::set_terminate(onTerminate);
}
