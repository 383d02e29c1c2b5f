// The scenes' refusal reports, with their exact texts. Each writes one line to
// standard error; what was refused is left out and the scene goes on without it.
#pragma once

// An image sequence asked for more frames than its table holds: "%i frames
// asked for in \"%s\": the frame table holds %i, frames %i to %i refused\n".
void reportFramesRefused(const char* folder, int asked, int capacity);

// A frame added to a full table: "The frame table is full (%i frames):
// \"%s\" refused\n" with the capacity and the file name.
void reportFrameTableFull(const char* fileName, int capacity);
