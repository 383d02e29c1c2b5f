// Frame-time benchmark: frames of the show's timeline (the landscape, from a
// minute into the show on) at each of its three looks against empty frames
// through the off-screen stage (clear it, final pass, swap: the floor of any
// frame of the show on this renderer), the two other scenes (the tiled disc
// with the floor texture bound, the flip-book over a cleared stage) each as a
// timeline entry against the same floor, and that floor against a bare clear
// and swap, which shows the stage's own cost; all measured in the same run.
// Usage: frame_bench [frames per round] [rounds] (see --help)
// Run it on a display, e.g. through tools/bench.sh.
#include <SDL.h>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "base/StandardStreams.h"
#include "bench/FrameHarness.h"
#include "control/ControlState.h"
#include "gfx/FboStage.h"
#include "gfx/Texture.h"
#include "scenes/ImageSequenceScene.h"
#include "scenes/TiledDiscScene.h"
#include "scenes/landscape/LandscapeScene.h"
#include "tools/DevOptions.h"

static void bareFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

static void emptyStageFrame()
{
    FboStage* stage = gApp->fboStage();
    stage->begin();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stage->end();
    stage->drawFinalPass(readInput(0));
    SDL_GL_SwapBuffers();
}

// One frame through the stage with only this timeline's scenes, a 60th of a
// second of scene time after the last, so that the disc goes through its
// cycle and the flip-book through its frames. The picture, if any, is bound
// for the scenes (the final pass leaves the stage's own texture bound).
static void timelineFrame(Timeline& timeline, const Texture* picture)
{
    static float t = 0.0f;
    t += 1.0f / 60;
    FboStage* stage = gApp->fboStage();
    stage->begin();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (picture)
        picture->bind();
    timeline.drawScenes(t);
    stage->end();
    stage->drawFinalPass(readInput(0));
    SDL_GL_SwapBuffers();
}

static void compareScene(Scene* scene, const Texture* picture, const char* name, int frames, int rounds)
{
    Timeline timeline;
    timeline.addTimelineEntry(scene, 0.0f, 1e9f);
    const FrameComparison c = compareFrames(
        frames, rounds, [&] { timelineFrame(timeline, picture); }, emptyStageFrame);
    printf("-- %s\n", name);
    printComparison(name, "empty stage frame (floor)", c);
}

int main(int argc, char** argv)
{
    openStandardStreams();
    int frames = 200, rounds = 5;
    CLI::App app{"Times frames of the show's looks and of its other scenes against empty frames through the "
                 "off-screen stage, in alternating rounds; prints the median round of each.",
                 "frame_bench"};
    app.add_option("frames,--frames", frames, "frames per round")->capture_default_str()->check(CLI::Range(1, 100000));
    app.add_option("rounds,--rounds", rounds, "rounds")->capture_default_str()->check(CLI::Range(1, 1000));
    parseOptionsOrExit(app, "frame_bench", argc, argv);
    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);
    // Frames from a minute into the show on: the grey look's smoke puffs are
    // spread over the picture by then (in the first seconds they are still
    // off to the right).
    gApp->frameClock() = FrameClock([] {
        static bool first = true;
        const uint32_t now = SDL_GetTicks();
        if (first) {
            first = false;
            return now;
        }
        return now + 60000u;
    });

    // Each look is held by its input, and the smoothed control starts where
    // holding that input settles it, so every measured frame shows the look.
    printf("%d rounds of %d frames, median round:\n", rounds, frames);
    for (const BenchLook& look : kBenchLooks) {
        inputValue[0].store(look.input0);
        inputValue[2].store(look.input2);
        LandscapeScene::settleControl(look.input0, look.input2);
        const FrameComparison c = compareFrames(
            frames, rounds, [] { gApp->drawFrame(); }, emptyStageFrame);
        printf("-- %s\n", look.name);
        printComparison("landscape frame", "empty stage frame (floor)", c);
    }
    inputValue[0].store(0.0f);
    inputValue[2].store(0.0f);

    const Texture floor("images/floor01.jpg", 512, 512);
    TiledDiscScene disc;
    compareScene(&disc, &floor, "tiled disc frame", frames, rounds);
    ImageSequenceScene book("images/sequence", 10);
    compareScene(&book, nullptr, "flip-book frame", frames, rounds);
    const FrameComparison stageCost = compareFrames(frames, rounds, emptyStageFrame, bareFrame);
    printf("-- the stage itself\n");
    printComparison("empty stage frame", "clear and swap", stageCost);
    SDL_Quit();
    return 0;
}
