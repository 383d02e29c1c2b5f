#include "audio/ConsoleKeys.h"

#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace console {
namespace {

// The terminal's settings before single-key mode, and whether that mode is on.
// Read by the signal handler, so plain data set before the handler can run.
termios sSaved;
volatile sig_atomic_t sRaw = 0;
bool sHandlersSet = false;
int sDepth = 0;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction sPrevious[sizeof kEndingSignals / sizeof kEndingSignals[0]];

void restoreTerminal()
{
    if (sRaw) {
        tcsetattr(STDIN_FILENO, TCSANOW, &sSaved);
        sRaw = 0;
    }
}

// Puts the terminal back, then lets the signal do what it did before: call
// the program's own handler, or end the process as by default.
void onEndingSignal(int sig)
{
    restoreTerminal();
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
        if (kEndingSignals[i] != sig)
            continue;
        const struct sigaction& before = sPrevious[i];
        if (before.sa_handler == SIG_IGN)
            return;
        if (before.sa_handler != SIG_DFL) {
            before.sa_handler(sig);
            return;
        }
    }
    signal(sig, SIG_DFL);
    raise(sig);
}

void enterKeyMode()
{
    if (sDepth++ > 0 || !isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &sSaved) != 0)
        return;
    static bool atExitSet = false;
    if (!atExitSet) {
        atexit(restoreTerminal);
        atExitSet = true;
    }
    struct sigaction handler {};
    handler.sa_handler = onEndingSignal;
    sigemptyset(&handler.sa_mask);
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
        sigaction(kEndingSignals[i], &handler, &sPrevious[i]);
    sHandlersSet = true;
    termios raw = sSaved;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    sRaw = 1;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
}

void leaveKeyMode()
{
    if (--sDepth > 0 || !sHandlersSet)
        return;
    restoreTerminal();
    for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i)
        sigaction(kEndingSignals[i], &sPrevious[i], nullptr);
    sHandlersSet = false;
}

int readByte()
{
    unsigned char c;
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, &c, 1);
        if (n == 1)
            return c;
        if (n == 0 || errno != EINTR)
            return kEndOfInput;
    }
}

// A terminal sends a key's whole sequence at once; a byte that takes longer
// to come is a key of its own.
constexpr int kSequenceGapMs = 50;

// The next byte if one comes within the gap, else kNoKey (kEndOfInput at
// the end of input).
int followingByte()
{
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (poll(&in, 1, kSequenceGapMs) <= 0)
        return kNoKey;
    return readByte();
}

// After an Escape byte: kEscape when nothing follows it at once, else the
// rest of the sequence is read (ESC [ parameters final, ESC O letter, the
// Linux console's ESC [ [ letter, ESC with any other key) and kKeySequence
// returned.
int afterEscape()
{
    int c = followingByte();
    if (c < 0)
        return kEscape;
    if (c == kEscape)  // Alt with a key that itself sends a sequence
        c = followingByte();
    if (c == 'O') {
        followingByte();
    } else if (c == '[') {
        c = followingByte();
        if (c == '[')
            c = followingByte();
        while (c >= 0 && !(c >= 0x40 && c <= 0x7E))  // up to the final byte
            c = followingByte();
    }
    return kKeySequence;
}

int readKey()
{
    const int c = readByte();
    return c == kEscape ? afterEscape() : c;
}

}  // namespace

KeyMode::KeyMode()
{
    enterKeyMode();
}

KeyMode::~KeyMode()
{
    leaveKeyMode();
}

int _getch()
{
    KeyMode mode;
    return readKey();
}

int waitKey(int timeoutMs)
{
    KeyMode mode;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&in, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready <= 0)
        return kNoKey;
    return readKey();
}

}  // namespace console
