#include "control/OscConsole.h"

#include <SDL.h>
#include <cstdio>
#include <string>

#include "base/DescriptorLimit.h"
#include "base/FatalExit.h"

const char* const kArgumentOutOfRange = "argument out of range";
const char* const kTimeOutOfRange = "a time must be a finite number of seconds, 0 or more";
const char* const kLoopEndNotAfterStart = "the loop's end must be after its start (0 0 ends the loop)";
const char* const kRecordingFellBehind = "the disk did not keep up";

void printInputStatus(int id, int value)
{
    printf("inputValue:  ID: %i\tval: %i                 \r", id, value);
    fflush(stdout);
}

void printControllerStatus(int channel, int controller, int value)
{
    printf("CTL:  ch: %i\tid: %i\tval: %i        \r", channel, controller, value);
    fflush(stdout);
}

void printNoteStatus(int channel, int note, int velocity)
{
    printf("NOTE: ch: %i\tnum: %i\tvel: %i        \r", channel, note, velocity);
    fflush(stdout);
}

void printBendStatus(int channel, int bend)
{
    printf("BEND: ch: %i\tval: %i        \r", channel, bend);
    fflush(stdout);
}

void printSeekStatus(float to)
{
    printf("SEEK: to: %.3f        \r", to);
    fflush(stdout);
}

void printLoopStatus(float start, float end)
{
    printf("LOOP: from: %.3f\tto: %.3f        \r", start, end);
    fflush(stdout);
}

void printLoopOffStatus()
{
    printf("LOOP: off        \r");
    fflush(stdout);
}

void reportMessageError(const char* address, const char* what)
{
    printf("error while parsing message: %s: %s\n", address, what);
    fflush(stdout);
}

void reportPacketError(const char* what)
{
    printf("error while parsing message: %s\n", what);
    fflush(stdout);
}

void reportRecordingLineSkipped(const char* file, int line, const char* what)
{
    fprintf(stderr, "%s:%d: %s; line skipped\n", file, line, what);
    fflush(stderr);
}

void reportRecordingStopped(const char* file, const char* why)
{
    fprintf(stderr, "Recording to %s stopped: %s; the take holds what came before\n", file, why);
    fflush(stderr);
}

void reportThreadNotCreated()
{
    fprintf(stderr, "Unable to create thread: %s\n", SDL_GetError());
    fflush(stderr);
}

void reportReceiveLoopFailure(const char* what)
{
    fprintf(stderr, "OSC receive loop failed, restarting it: %s\n", what);
    fflush(stderr);
}

void reportSendFailure(const char* destination, const char* reason)
{
    fprintf(stderr, "Couldn't send OSC to %s: %s; sending goes on\n", destination, reason);
    fflush(stderr);
}

void failOscPortUnavailable(unsigned port, const char* reason, int errnum)
{
    const std::string shortage = descriptorShortage(errnum);
    endProcessWithReport(2, "Couldn't listen for OSC on UDP port %u: %s\n", port,
                         shortage.empty() ? reason : shortage.c_str());
}

void printThreadQuitting()
{
    printf("Signaling thread to quit...");
    fflush(stdout);
}

void printThreadQuitted()
{
    printf(" thread quitted.\n");
    fflush(stdout);
}
