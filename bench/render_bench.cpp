// Render-speed benchmark: frames the offline renderer writes per second at
// 800x600 (drawn, read back and encoded as PNG files) against the show's own
// frames in its window, at each of the three looks, and the renderer's frames
// drawn without writing, which shows what the writing costs; all in the same
// run and the same GL context, in alternating rounds.
// Usage: render_bench [frames per round] [rounds] (see --help)
// Run it on a display, e.g. through tools/bench.sh.
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "base/StandardStreams.h"
#include "bench/FrameHarness.h"
#include "control/ControlState.h"
#include "render/OfflineRenderer.h"
#include "scenes/landscape/LandscapeScene.h"
#include "tools/DevOptions.h"

// Milliseconds per frame over n frames, the writer thread's tail included.
static double msPerWrittenFrame(int n, OfflineRenderer& renderer, double& t)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        renderer.drawFrame(t);
        // Ten files, written over and over, keep the disk out of it.
        renderer.writeFrame(i % 10);
        t += 1.0 / 30;
    }
    renderer.finishWriting();
    glFinish();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / n;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char** argv)
{
    openStandardStreams();
    int frames = 100, rounds = 5;
    CLI::App app{"Times the offline renderer's frames at 800x600, written as PNG and not, against the show's "
                 "own frames in its window, at each look; prints the median round of each.",
                 "render_bench"};
    app.add_option("frames,--frames", frames, "frames per round")->capture_default_str()->check(CLI::Range(1, 100000));
    app.add_option("rounds,--rounds", rounds, "rounds")->capture_default_str()->check(CLI::Range(1, 1000));
    parseOptionsOrExit(app, "render_bench", argc, argv);
    gApp = new AppWindow("SDL - Driftmeadow v1.0", 800, 600, 32, true, false, true);
    char folder[] = "/tmp/render_bench-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("render_bench: mkdtemp");
        return 1;
    }
    RenderSettings settings;
    settings.outDir = folder;
    auto* renderer = new OfflineRenderer(settings);

    printf("%d rounds of %d frames at 800x600, median round:\n", rounds, frames);
    double t = 60.0;
    for (const BenchLook& look : kBenchLooks) {
        inputValue[0].store(look.input0);
        inputValue[2].store(look.input2);
        LandscapeScene::settleControl(look.input0, look.input2);
        std::vector<double> show, written, drawn;
        for (int r = 0; r < rounds; ++r) {
            show.push_back(msPerFrame(frames, [] { gApp->drawFrame(); }));
            written.push_back(msPerWrittenFrame(frames, *renderer, t));
            drawn.push_back(msPerFrame(frames, [&] {
                renderer->drawFrame(t);
                t += 1.0 / 30;
            }));
        }
        const double s = median(show), w = median(written), d = median(drawn);
        printf("-- %s\n", look.name);
        printf("%-36s %8.3f ms/frame %8.1f fps\n", "show frame in the window", s, 1000.0 / s);
        printf("%-36s %8.3f ms/frame %8.1f fps\n", "renderer frame, written as PNG", w, 1000.0 / w);
        printf("%-36s %8.3f ms/frame %8.1f fps\n", "renderer frame, not written", d, 1000.0 / d);
        printf("%-36s %8.2f x\n", "written frames/s against the show's", s / w);
    }
    inputValue[0].store(0.0f);
    inputValue[2].store(0.0f);
    delete renderer;
    for (int k = 0; k < 10; ++k)
        remove(settings.framePath(k).c_str());
    rmdir(folder);
    SDL_Quit();
    return 0;
}
