// Process-wide values of the show, written once by the entry function (gApp)
// and the AppWindow constructor (gOscReceiver) and read by anyone on the main
// thread afterwards. The window's size lives beneath, in gfx/WindowGlobals.h.
#pragma once

#include "gfx/WindowGlobals.h"

class AppWindow;
class OscControlReceiver;

extern AppWindow* gApp;
extern OscControlReceiver* gOscReceiver;
// The audio slot gAudioInput is declared with its class (audio/AudioInput.h);
// start-up leaves it null.
