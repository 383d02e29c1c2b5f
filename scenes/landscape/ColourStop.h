// ColourStop: one stop of a colour gradient, a colour at a position in [0, 1].
// Plain record; the landscape scene reads it on the main thread.
#pragma once

struct ColourStop {
    float red;
    float green;
    float blue;
    float position;
};
