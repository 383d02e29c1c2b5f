// The OSC receiver: owns the UDP socket on which control messages arrive and
// the thread that receives them, and turns each of the four messages into
// ControlState values. The main thread constructs, starts, stops and
// destroys it and calls the queries; the receive thread runs the packet and
// message handlers (and only they write the ControlState while it runs).
#pragma once

#include <SDL.h>
#include <atomic>
#include <string>

#include <ip/UdpSocket.h>
#include <osc/OscPacketListener.h>

// The show's one control port, on every local interface.
constexpr unsigned short kOscPort = 55550;
// The address of the input value message: ID and value, both int32.
constexpr const char* kInputAddress = "/driftmeadow";

class OscControlReceiver : public osc::OscPacketListener {
public:
    // Binds the UDP socket (a null address means every local interface), with
    // a receive buffer that holds a burst of some ten thousand messages; does
    // not start receiving. When the port cannot be had, isBound() is false
    // and bindError() says why, bindErrno() with the system's error number
    // (0 when there was none); no exception leaves the constructor.
    OscControlReceiver(unsigned short port, const char* address);
    // Ends a receive thread that still runs, then closes the socket.
    virtual ~OscControlReceiver();
    OscControlReceiver(const OscControlReceiver&) = delete;
    OscControlReceiver& operator=(const OscControlReceiver&) = delete;

    bool isBound() const { return socket_ != nullptr; }
    const char* bindError() const { return bindError_.c_str(); }
    int bindErrno() const { return bindErrno_; }

    // Starts the receive loop: on a new thread when `threaded`, otherwise in
    // the calling thread, which it then blocks. Call once, when bound.
    void start(bool threaded);
    // Ends the receive thread and waits for it (at least 100 ms); does
    // nothing unless the last start was threaded.
    void stop();

    // One datagram, on the receive thread. Its structure is checked before
    // oscpack takes it apart, and every failure in it is reported as an
    // error line: nothing a sender puts on the wire ends the receive loop.
    void ProcessPacket(const char* data, int size, const IpEndpointName& remote) override;

    // The stored level of a controller or note, that is the value sent
    // divided by 127 (0 to 1 for 0 to 127, not clamped), as the table holds
    // it; indexes are kept in range with the masks 15 and 127, so channel 16
    // reads channel 0.
    float getController(int channel, int controller) const;
    float getNoteVelocity(int channel, int note) const;
    // The last note number received, -1 before the first "/NOTE".
    int getLastNoteNumber() const;

protected:
    // One message, alone or out of a bundle: handed to dispatchOscMessage,
    // and when it took effect, to the show's take if one is recorded.
    void ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName& remote) override;

private:
    static int receiveThread(void* receiver);
    // Runs oscpack's loop until it is broken, starting it again should the
    // loop itself fail.
    void runLoop();
    // Breaks the loop and joins the thread, without console output.
    void endThread();

    UdpListeningReceiveSocket* socket_ = nullptr;
    SDL_Thread* thread_ = nullptr;
    bool threaded_ = false;
    std::string bindError_;
    int bindErrno_ = 0;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> loopEnded_{false};
};
