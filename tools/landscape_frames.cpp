// Writes a fixed sequence of landscape frames (the three looks and the ways
// between them, the first frames included, at several scene times) as PAM
// files into a folder, so that two builds of the scene can be compared byte
// for byte: a change meant to make frames cheaper must leave them identical.
// Usage: landscape_frames <folder>; then diff -r two such folders. Needs a
// display and the show's pictures in the working directory; run it in a
// private network (the window starts the show's OSC receiver).
#include <GL/glew.h>
#include <SDL.h>

#include <cstdio>
#include <vector>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "base/StandardStreams.h"
#include "control/ControlState.h"
#include "frame/ShowGl.h"
#include "scenes/landscape/LandscapeScene.h"

static bool writeFrame(const char* folder, int index)
{
    std::vector<unsigned char> rgba(800 * 600 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    char name[512];
    snprintf(name, sizeof name, "%s/frame%03d.pam", folder, index);
    FILE* f = fopen(name, "wb");
    if (!f) {
        fprintf(stderr, "landscape_frames: cannot write %s\n", name);
        return false;
    }
    fprintf(f, "P7\nWIDTH 800\nHEIGHT 600\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n");
    // Rows bottom-up as GL reads them; the comparison needs no flip.
    fwrite(rgba.data(), 1, rgba.size(), f);
    fclose(f);
    return true;
}

int main(int argc, char** argv)
{
    openStandardStreams();
    keepShaderCacheOffDisk();
    if (argc != 2) {
        fprintf(stderr, "usage: landscape_frames <folder>\n");
        return 2;
    }
    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);
    LandscapeScene* scene = new LandscapeScene();

    // Per step: the inputs, frames drawn but not written (the smoothed
    // control moves on), frames written, and the scene time of the first
    // written frame; written frames are 0.7 s apart.
    const struct {
        float input0, input2;
        int settle, frames;
        float time;
    } steps[] = {
        {0.0f, 0.0f, 0, 3, 0.0f},     // the first frames, which compile the lists
        {0.0f, 0.0f, 0, 2, 40.0f},    // houses
        {0.0f, 1.0f, 0, 5, 61.0f},    // toward flowers
        {0.0f, 1.0f, 300, 2, 300.0f}, // flowers
        {0.0f, 0.0f, 200, 3, 170.0f}, // flowers, held by the smoothing
        {0.0f, 0.0f, 40, 3, 180.0f},  // toward houses
        {1.0f, 0.0f, 0, 5, 222.0f},   // toward grey blocks and smoke
        {1.0f, 0.0f, 300, 4, 5.0f},   // grey, with smoke
        {1.0f, 0.0f, 0, 4, 60.0f},    // grey, the puffs spread over the picture
        {0.0f, 0.0f, 30, 3, 400.0f},  // back toward houses
    };
    int index = 0;
    for (const auto& step : steps) {
        inputValue[0].store(step.input0);
        inputValue[2].store(step.input2);
        for (int i = 0; i < step.settle + step.frames; ++i) {
            const int written = i - step.settle;
            glPushAttrib(GL_ALL_ATTRIB_BITS);
            scene->render(step.time + 0.7f * written, 0.0f);
            glPopAttrib();
            if (written >= 0 && !writeFrame(argv[1], index++))
                return 1;
        }
    }
    printf("landscape_frames: %d frames written to %s\n", index, argv[1]);
    SDL_Quit();
    return 0;
}
