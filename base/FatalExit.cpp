#include "base/FatalExit.h"

#include <SDL.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "base/ConsoleOutput.h"

void endProcessAfterFailure(int code)
{
    fflush(stderr);
    fflush(stdout);
    SDL_Quit();
    exit(code);
}

void writeOutPrintedLines()
{
    fflush(stdout);
    if (ConsoleOutput* console = ConsoleOutput::running())
        console->drain(kReportDrainMs);
}

void endProcessWithReport(int code, const char* format, ...)
{
    writeOutPrintedLines();
    va_list args;
    va_start(args, format);
    vfprintf(stderr, format, args);
    va_end(args);
    endProcessAfterFailure(code);
}
