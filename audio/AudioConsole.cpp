#include "audio/AudioConsole.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "base/FatalExit.h"

const DriverMenuTexts kPlaybackMenuTexts{
    "Choose a PLAYBACK driver\n",
    "-----------------------------\n",
    "Press a corresponding number or ESC to quit\n",
    "",
};

const DriverMenuTexts kRecordMenuTexts{
    "Choose a RECORD driver:\n",
    "--------------------------\n",
    "Press a corresponding number or ESC to quit ",
    "\n\n",
};

static void say(const char* text)
{
    fputs(text, stdout);
    fflush(stdout);
}

void printInitializing() { say("Initializing Audio IN... "); }
void printInitialized() { say("done\n"); }
void printStopping() { say("Stopping Audio IN... "); }
void printStopped() { say(" done."); }

void printMenuHeading(const DriverMenuTexts& menu)
{
    say("\n-------------------------\n");
    say(menu.title);
    say(menu.underline);
}

void printDriverLine(int number, const char* name)
{
    printf("%d : %s\n", number, name);
    fflush(stdout);
}

void printMenuPrompt(const DriverMenuTexts& menu)
{
    say("---------------------------------------------------------\n");
    say(menu.prompt);
}

void printMenuChosen(const DriverMenuTexts& menu)
{
    say(menu.afterChoice);
}

void checkFmod(int line, SoundResult result)
{
    if (result == SOUND_OK)
        return;
    printf("line %i, FMOD error! (%d) %s\n", line, int(result), soundErrorString(result));
    fflush(stdout);
    exit(-1);
}

void failOldSoundVersion(unsigned found, unsigned required)
{
    endProcessWithReport(2, "Error!  You are using an old version of FMOD %08x.  This program requires %08x\n",
                         found, required);
}

void failMenuEndOfInput()
{
    endProcessWithReport(2, "End of input in the driver menu: no driver chosen\n");
}

void failSpectrumTimer()
{
    endProcessWithReport(2, "Couldn't start the spectrum timer: %s\n", SDL_GetError());
}
