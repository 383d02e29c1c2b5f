#include "bridge/JackServerWatch.h"

#include <jack/jack.h>

namespace {

void silent(const char*) {}

constexpr const char* kWatchName = "driftmeadow-watch";

}  // namespace

void JackServerWatch::quietLibrary()
{
    jack_set_error_function(silent);
    jack_set_info_function(silent);
}

bool JackServerWatch::serverRunning()
{
    jack_status_t status;
    jack_client_t* probe = jack_client_open(kWatchName, JackNoStartServer, &status);
    if (!probe)
        return false;
    jack_client_close(probe);
    return true;
}

JackServerWatch::~JackServerWatch()
{
    close();
}

bool JackServerWatch::open()
{
    close();
    jack_status_t status;
    client_ = jack_client_open(kWatchName, JackNoStartServer, &status);
    if (!client_)
        return false;
    gone_.store(false);
    jack_on_shutdown(client_, &JackServerWatch::onShutdown, this);
    if (jack_activate(client_) != 0) {
        close();
        return false;
    }
    return true;
}

void JackServerWatch::close()
{
    if (client_)
        jack_client_close(client_);
    client_ = nullptr;
}

void JackServerWatch::onShutdown(void* watch)
{
    static_cast<JackServerWatch*>(watch)->gone_.store(true);
}
