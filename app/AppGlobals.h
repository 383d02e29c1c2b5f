// Process-wide values of the application shell, written once by the
// AppWindow constructor (gApp by the entry function) and read by anyone on
// the main thread afterwards.
#pragma once

class AppWindow;
class OscControlReceiver;

extern AppWindow* gApp;
extern int gWindowWidth;
extern int gWindowHeight;
extern int gWindowBpp;
extern float gWindowAspect;  // height / width; 1.0 until the window exists
extern OscControlReceiver* gOscReceiver;
// The audio slot gAudioInput is declared with its class (audio/AudioInput.h);
// start-up leaves it null.
