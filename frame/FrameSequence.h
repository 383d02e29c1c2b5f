// The sequence of one frame of the show, the same for the window and the
// offline renderer: the active scenes and the fade into the off-screen stage,
// then the final pass, shaken by input value 0, into the framebuffer that was
// bound when the frame began. Main thread, with the GL context current.
#pragma once

class FboStage;
class Timeline;

// Draws the frame at frame time t; presenting it is the caller's.
void drawFrameSequence(Timeline& timeline, FboStage& stage, float t);
