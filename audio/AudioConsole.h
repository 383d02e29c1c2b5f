// The audio input's console lines, with their exact texts: progress and the
// driver menus on standard output, failures as noted. Each line is flushed at
// once, so that the console shows it before the program waits for a key.
// Main thread, except checkFmod (also the spectrum timer's thread).
#pragma once

#include "audio/SoundResult.h"

// What tells the playback menu from the record menu.
struct DriverMenuTexts {
    const char* title;
    const char* underline;
    const char* prompt;
    const char* afterChoice;
};
extern const DriverMenuTexts kPlaybackMenuTexts;
extern const DriverMenuTexts kRecordMenuTexts;

void printInitializing();  // "Initializing Audio IN... "
void printInitialized();   // "done\n"
void printStopping();      // "Stopping Audio IN... "
void printStopped();       // " done."

void printMenuHeading(const DriverMenuTexts& menu);
void printDriverLine(int number, const char* name);  // "%d : %s\n"
void printMenuPrompt(const DriverMenuTexts& menu);
void printMenuChosen(const DriverMenuTexts& menu);

// The check after every sound call: on failure "line %i, FMOD error! (%d) %s\n"
// on standard output with the caller's source line, the code and its text,
// then exit code -1.
void checkFmod(int line, SoundResult result);

// The sound layer is older than required: one line on standard error, exit 2.
[[noreturn]] void failOldSoundVersion(unsigned found, unsigned required);

// Standard input ended while a menu waited for a key: one line on standard
// error, exit 2 (it would otherwise wait for ever).
[[noreturn]] void failMenuEndOfInput();

// SDL could not add the spectrum timer (its timer subsystem is not
// initialised): one line on standard error with SDL's text, exit 2.
[[noreturn]] void failSpectrumTimer();
