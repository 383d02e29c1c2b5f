// The first thing every program does: standard input, output and error are
// made to exist before anything else is opened. A program started with one of
// them closed (`>&-`, a service manager, a careless launcher) would otherwise
// hand that descriptor number to the next file, socket or X connection it
// opens, and then write its console text into it. Main thread, first in main.
#pragma once

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed. When even
// that fails there is nowhere to say so: the process ends with exit code 2.
void openStandardStreams();
