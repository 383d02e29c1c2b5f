// The OSC subsystem's console lines, with their exact texts. Status and
// message error lines go to standard output from whichever thread dispatches
// (the receive thread, or the main thread replaying a recording); the socket,
// thread and recording failures go to standard error. Every line is flushed at
// once: status lines end in a carriage return, which no stream buffering
// would ever flush, and a pipe or file is fully buffered. (In the show,
// standard output is a ConsoleOutput, so a flush never waits for the reader.)
#pragma once

#include <string>

// Status lines, printed after a message's checks and before its stores. Each
// ends in blanks and a carriage return so the next one overwrites it.
void printInputStatus(int id, int value);                     // "/driftmeadow"
void printControllerStatus(int channel, int controller, int value);  // "/CTL"
void printNoteStatus(int channel, int note, int velocity);    // "/NOTE"
void printBendStatus(int channel, int bend);                  // "/BEND", as received
// The transport's, times in seconds with three decimals.
void printSeekStatus(float to);                               // "/driftmeadow/seek"
void printLoopStatus(float start, float end);                 // "/driftmeadow/loop"
void printLoopOffStatus();                                    // "/driftmeadow/loop" 0 0

// "error while parsing message: <address>: <what>\n" on standard output; the
// message has no effect.
void reportMessageError(const char* address, const char* what);

// A datagram dropped before any of its messages was looked at, because its
// structure is unsound: "error while parsing message: <what>\n".
void reportPacketError(const char* what);

// The text of the error line for an index outside its table.
extern const char* const kArgumentOutOfRange;  // "argument out of range"
// The transport's error texts: a time that is not a finite number of seconds,
// 0 or more; a loop whose end is not after its start.
extern const char* const kTimeOutOfRange;
extern const char* const kLoopEndNotAfterStart;

// A line of a recorded performance that cannot be read back: on standard
// error "<file>:<line>: <what>; line skipped\n". The replay goes on without it.
void reportRecordingLineSkipped(const char* file, int line, const char* what);

// A take being recorded stops for good (the disk is full or does not keep
// up): one line on standard error naming the file and why; the file holds
// every line written before.
void reportRecordingStopped(const char* file, const char* why);
extern const char* const kRecordingFellBehind;

// "Unable to create thread: %s\n" on standard error with SDL's error text.
void reportThreadNotCreated();

// The receive loop itself failed (not a datagram); it is started again.
void reportReceiveLoopFailure(const char* what);

// Input values could not be sent to "HOST:PORT" (the reason is errno's
// text): one line on standard error; the sender prints it once and goes on.
void reportSendFailure(const char* destination, const char* reason);

// The OSC port could not be had (another program holds it): one line on
// standard error naming the port and the socket's reason, then SDL_Quit and
// exit code 2. When the socket's errno (errnum) says no descriptor was left,
// the line says that instead of oscpack's text, which would blame the port.
[[noreturn]] void failOscPortUnavailable(unsigned port, const char* reason, int errnum);

// The receive thread being ended, on standard output: "Signaling thread to
// quit..." before, " thread quitted.\n" once it has ended.
void printThreadQuitting();
void printThreadQuitted();
