#include "render/StopRequest.h"

#include <signal.h>

namespace {
volatile sig_atomic_t sStopRequested = 0;

void requestStop(int)
{
    sStopRequested = 1;
}
}  // namespace

void catchStopRequest()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool stopRequested()
{
    return sStopRequested != 0;
}
