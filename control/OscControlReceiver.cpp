#include "control/OscControlReceiver.h"

#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include <ip/IpEndpointName.h>
#include <osc/OscReceivedElements.h>

#include "control/ControlState.h"
#include "control/OscConsole.h"
#include "control/OscDispatch.h"
#include "control/OscPacketCheck.h"
#include "control/OscRecorder.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// The socket's receive buffer: room for some ten thousand small datagrams
// (each takes about 800 bytes of it), so that a burst sent faster than the
// loop takes it, or a moment in which the thread does not run, loses
// nothing. The system caps it at net.core.rmem_max.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

// oscpack offers no way to reach its socket. A UDP port of one address
// belongs to one socket, so the socket is found among this process's open
// descriptors by the port it is bound to; when that is not exactly one
// socket (port 0, or the same port bound on several addresses), the buffer
// is left as the system made it.
void enlargeReceiveBuffer(unsigned short port)
{
    if (port == 0)
        return;
    DIR* fds = opendir("/proc/self/fd");
    if (!fds)
        return;
    int found = -1, matches = 0;
    while (const dirent* e = readdir(fds)) {
        const int fd = atoi(e->d_name);
        int type = 0;
        socklen_t typeSize = sizeof type;
        sockaddr_in local{};
        socklen_t localSize = sizeof local;
        if (e->d_name[0] != '.' &&
            getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeSize) == 0 && type == SOCK_DGRAM &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == port) {
            found = fd;
            ++matches;
        }
    }
    closedir(fds);
    if (matches == 1)
        setsockopt(found, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
}

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
    // oscpack's errors carry only a text; the call that failed left errno.
    errno = 0;
    try {
        const IpEndpointName local = address ? IpEndpointName(address, port)
                                             : IpEndpointName(IpEndpointName::ANY_ADDRESS, port);
        socket_ = new UdpListeningReceiveSocket(local, this);
        enlargeReceiveBuffer(port);
    } catch (const std::exception& e) {
        bindErrno_ = errno;
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
    printThreadQuitting();
    endThread();
    printThreadQuitted();
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
    if (!dispatchOscMessage(message))
        return;
    if (OscRecorder* take = gOscRecorder.load())
        take->record(message);
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
