#include "app/ControlLevel.h"

#include "app/AppGlobals.h"
#include "control/OscControlReceiver.h"

double controllerLevel(int channel, int controller)
{
    if (!gOscReceiver)
        return 0.0;
    return gOscReceiver->getController(channel, controller);
}
