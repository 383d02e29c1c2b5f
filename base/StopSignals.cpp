#include "base/StopSignals.h"

#include <signal.h>

namespace {

volatile sig_atomic_t sStopSignalled = 0;

void noteStop(int)
{
    sStopSignalled = 1;
}

}  // namespace

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopSignalled()
{
    return sStopSignalled != 0;
}
