// JackServerWatch: whether a JACK server runs, and the news when it goes
// away: a small JACK client of its own that the server's end shuts down.
// RtMidi gives no such news. The main thread calls everything but the
// shutdown handler, which libjack calls on a thread of its own.
#pragma once

#include <atomic>

struct _jack_client;

class JackServerWatch {
public:
    // libjack prints its errors and notes to standard error by default; the
    // bridge says what matters in its own words. Process-wide, once.
    static void quietLibrary();
    // A server takes clients now (this starts none).
    static bool serverRunning();

    JackServerWatch() = default;
    ~JackServerWatch();
    JackServerWatch(const JackServerWatch&) = delete;
    JackServerWatch& operator=(const JackServerWatch&) = delete;

    // Starts watching; false when no server runs.
    bool open();
    // The server went away since open().
    bool serverGone() const { return gone_.load(); }
    void close();

private:
    static void onShutdown(void* watch);

    _jack_client* client_ = nullptr;
    std::atomic<bool> gone_{false};
};
