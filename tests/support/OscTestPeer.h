// Test support for the OSC receiver: datagrams built byte by byte (sound or
// deliberately broken), a UDP sender on loopback, a free port to receive on,
// bounded waits and a snapshot of the whole ControlState. Test thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Builds OSC bytes field by field; str pads with zero bytes to four.
class OscBytes {
public:
    OscBytes& str(const std::string& s);
    OscBytes& i32(int32_t v);
    OscBytes& u32(uint32_t v);
    OscBytes& f32(float v);
    OscBytes& raw(const std::string& bytes);
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// A message whose arguments are all int32.
std::string intMessage(const std::string& address, std::initializer_list<int32_t> args);
// A bundle (time tag "immediately") of the given elements, each with its size.
std::string bundle(std::initializer_list<std::string> elements);

// A UDP port on 127.0.0.1 that nothing is bound to at the moment of asking.
unsigned short freeUdpPort();

// Sends datagrams from an unbound socket to host:port.
class UdpSender {
public:
    explicit UdpSender(unsigned short port, const char* host = "127.0.0.1");
    ~UdpSender();
    void send(const std::string& datagram);

private:
    int fd_;
    unsigned short port_;
    std::string host_;
};

// Polls (every millisecond) until done() holds or the time is up.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::milliseconds(1000));

// Every value of the ControlState that OSC sets, for before/after comparisons.
struct ControlSnapshot {
    std::vector<float> values;
    int16_t lastNote;
    bool operator==(const ControlSnapshot& o) const { return values == o.values && lastNote == o.lastNote; }
};
ControlSnapshot snapshotControlState();
// Puts every OSC-set value back to its start value.
void resetControlState();

class OscControlReceiver;

// A receiver of the system's own kind on a free loopback port, receiving on
// its own thread from construction to destruction.
class LiveReceiver {
public:
    LiveReceiver();
    ~LiveReceiver();
    OscControlReceiver& receiver() { return *receiver_; }
    unsigned short port() const { return port_; }
    void send(const std::string& datagram) { sender_.send(datagram); }

    // Sends the datagram, then a probe message ("/driftmeadow" on input 255)
    // that must be applied within a second: the datagram has then been dealt
    // with and the loop still runs. Returns what the datagram printed on
    // standard output (the probe's own status line taken off); when the probe
    // is not applied in time the text says so. Input 255 is put back to 0.
    std::string deliver(const std::string& datagram);

private:
    unsigned short port_ = 0;  // set while receiver_ is made
    OscControlReceiver* receiver_;
    UdpSender sender_;
    int probes_ = 0;
};
