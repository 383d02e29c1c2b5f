#include "frame/FrameSequence.h"

#include "control/ControlState.h"
#include "frame/Timeline.h"
#include "gfx/FboStage.h"
#include "gfx/RenderState.h"

void drawFrameSequence(Timeline& timeline, FboStage& stage, float t)
{
    stage.begin();
    timeline.drawScenes(t);
    if (fadeActive(t))
        drawScreenQuad(0, 0, 0, fadeAlpha(t));
    stage.end();
    stage.drawFinalPass(readInput(0));
}
