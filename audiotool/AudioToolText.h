// The audio tool's own console lines, with their exact texts (the audio
// layer's lines are in audio/AudioConsole.h). Main thread.
#pragma once

// "peak: bin %d, %.1f Hz\n", the bin's frequency at 44100 Hz over 4096 points.
void printPeak(int bin);
// "peak: none (silence)\n": no bin stands out of silence.
void printNoPeak();

// "Couldn't initialize SDL: %s\n" on standard error with SDL's error text.
void reportSdlNotStarted();

// "driftmeadow-audio: <what> (see --help)\n" on standard error, on one line
// whatever <what> holds (see base/PrintableText.h).
void reportBadOption(const char* what);
