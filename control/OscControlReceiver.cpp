#include "control/OscControlReceiver.h"

#include <cstdio>
#include <exception>

#include <ip/IpEndpointName.h>
#include <osc/OscReceivedElements.h>

#include "control/ControlState.h"
#include "control/OscConsole.h"
#include "control/OscDispatch.h"
#include "control/OscPacketCheck.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// oscpack ends its error texts with a line feed; the console line adds its own.
std::string withoutLineEnd(const char* text)
{
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
    return s;
}

}  // namespace

OscControlReceiver::OscControlReceiver(unsigned short port, const char* address)
{
    try {
        const IpEndpointName local = address ? IpEndpointName(address, port)
                                             : IpEndpointName(IpEndpointName::ANY_ADDRESS, port);
        socket_ = new UdpListeningReceiveSocket(local, this);
    } catch (const std::exception& e) {
        bindError_ = withoutLineEnd(e.what());
    }
}

OscControlReceiver::~OscControlReceiver()
{
    endThread();
    if (socket_) {
        socket_->AsynchronousBreak();
        delete socket_;
    }
}

void OscControlReceiver::start(bool threaded)
{
    threaded_ = threaded;
    if (!socket_)
        return;
    if (threaded) {
        thread_ = SDL_CreateThread(&OscControlReceiver::receiveThread, this);
        if (!thread_)
            reportThreadNotCreated();
    } else {
        runLoop();
    }
}

void OscControlReceiver::stop()
{
    if (!threaded_)
        return;
    printf("Signaling thread to quit...");
    fflush(stdout);
    endThread();
    printf(" thread quitted.\n");
    fflush(stdout);
}

int OscControlReceiver::receiveThread(void* receiver)
{
    static_cast<OscControlReceiver*>(receiver)->runLoop();
    SDL_Delay(100);
    return 0;
}

void OscControlReceiver::runLoop()
{
    // Run returns only when the loop is broken; an exception out of it is a
    // failure of the loop itself (datagrams are handled inside), after
    // which it is started again unless an end was asked for.
    while (true) {
        try {
            socket_->Run();
            break;
        } catch (const std::exception& e) {
            reportReceiveLoopFailure(withoutLineEnd(e.what()).c_str());
        } catch (...) {
            reportReceiveLoopFailure("unknown error");
        }
        if (stopRequested_.load())
            break;
        SDL_Delay(100);
    }
    loopEnded_.store(true);
}

void OscControlReceiver::endThread()
{
    if (!thread_)
        return;
    stopRequested_.store(true);
    // oscpack's Run clears its break flag when it starts, so a break that
    // comes before the loop runs would be lost: repeat it until the loop ends.
    while (!loopEnded_.load()) {
        socket_->AsynchronousBreak();
        SDL_Delay(5);
    }
    SDL_WaitThread(thread_, nullptr);
    thread_ = nullptr;
}

void OscControlReceiver::ProcessPacket(const char* data, int size, const IpEndpointName& remote)
{
    if (size < 0) {
        reportPacketError("empty datagram");
        return;
    }
    if (const char* fault = checkOscPacket(data, static_cast<std::size_t>(size))) {
        reportPacketError(fault);
        return;
    }
    try {
        osc::OscPacketListener::ProcessPacket(data, size, remote);
    } catch (const std::exception& e) {
        reportPacketError(e.what());
    } catch (...) {
        reportPacketError("unknown error");
    }
}

void OscControlReceiver::ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName&)
{
    dispatchOscMessage(message);
}

float OscControlReceiver::getController(int channel, int controller) const
{
    return controllerValue[(channel & 15) * kMidiKeys + (controller & 127)].load(kRelaxed);
}

float OscControlReceiver::getNoteVelocity(int channel, int note) const
{
    return noteVelocity[(channel & 15) * kMidiKeys + (note & 127)].load(kRelaxed);
}

int OscControlReceiver::getLastNoteNumber() const
{
    return lastNoteNumber.load(kRelaxed);
}
