#include "app/AppGlobals.h"

AppWindow* gApp = nullptr;
int gWindowWidth = 0;
int gWindowHeight = 0;
int gWindowBpp = 0;
float gWindowAspect = 1.0f;
OscControlReceiver* gOscReceiver = nullptr;
