#include "app/AppGlobals.h"

AppWindow* gApp = nullptr;
OscControlReceiver* gOscReceiver = nullptr;
