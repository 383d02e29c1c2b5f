// The level of a controller as a double, read through the show's receiver.
// Main thread (any thread may call it; it only reads the ControlState).
#pragma once

// The same level that getController gives (value / 127, so 0 to 1 for the
// usual 0 to 127), widened to double; 0 while there is no receiver.
double controllerLevel(int channel, int controller);
