// Render-speed benchmark: frames the offline renderer writes per second
// (drawn, read back and encoded: as PNG files, as an .mp4, as an .mkv)
// against the show's own frames in its window, at each of the three looks,
// and the renderer's frames drawn without writing, which shows what the
// writing costs; all in the same run and the same GL context, in alternating
// rounds. Each ratio is taken within a round, against the show's frames of
// the same round, and the median of the rounds is shown: a shared machine's
// load changes from one round to the next. Then the pieces of a written
// frame on their own: the read-back, the conversion to yuv420p, and each encoder on one thread.
// Usage: render_bench [frames per round] [rounds] [WxH, default 800x600] (see --help)
// Run it on a display of at least that size, e.g. through tools/bench.sh.
#include <SDL.h>
#include <unistd.h>

#include <libyuv/convert.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppGlobals.h"
#include "app/AppWindow.h"
#include "base/StandardStreams.h"
#include "bench/FrameHarness.h"
#include "control/ControlState.h"
#include "render/OfflineRenderer.h"
#include "render/VideoEncoder.h"
#include "scenes/landscape/LandscapeScene.h"
#include "tools/DevOptions.h"

namespace {

struct Size {
    int width = 800;
    int height = 600;
};

// Milliseconds per frame over n frames written, the encoder's tail (and for
// a video its completion) included.
double msPerWrittenFrame(int n, OfflineRenderer& renderer, double& t)
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

// A video is complete once finished, so each round makes a renderer of its
// own (outside the time) and settles the look again, which a new landscape
// resets.
double msPerVideoFrame(int n, const RenderSettings& settings, const BenchLook& look, double& t)
{
    OfflineRenderer renderer(settings);
    LandscapeScene::settleControl(look.input0, look.input2);
    for (int i = 0; i < 5; ++i)
        renderer.drawFrame(t);
    glFinish();
    return msPerWrittenFrame(n, renderer, t);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The median round's time, and the median of the rounds' frame rates
// against the show's.
void printRow(const char* name, const std::vector<double>& ms, const std::vector<double>& showMs)
{
    std::vector<double> ratios;
    for (size_t r = 0; r < ms.size(); ++r)
        ratios.push_back(showMs[r] / ms[r]);
    const double m = median(ms);
    printf("%-34s %8.3f ms/frame %8.1f fps %6.2f x the show\n", name, m, 1000.0 / m, median(ratios));
}

// Mean milliseconds of `piece` over n calls.
double msPerCall(int n, const std::function<void()>& piece)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        piece();
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / n;
}

// The pieces of writing one frame of the flower look, each alone on the
// main thread: read-back, conversion to yuv420p, and each video encoder
// (conversion included) on frames drawn beforehand.
void timePieces(int n, OfflineRenderer& renderer, const RenderSettings& base, Size size)
{
    std::vector<std::vector<unsigned char>> frames(10, std::vector<unsigned char>(size_t(size.width) * size.height * 4));
    double t = 100.0;
    const double drawMs = msPerCall(n, [&] {
        renderer.drawFrame(t += 1.0 / 30);
        glFinish();
    });
    // The frames the encoders take, drawn and read back first; then the
    // read-back alone, of the last frame over and over.
    for (auto& frame : frames) {
        renderer.drawFrame(t += 1.0 / 30);
        renderer.readFrame(FrameOutput::Pixels::Bgra, frame.data());
    }
    const double readMs = msPerCall(n, [&] { renderer.readFrame(FrameOutput::Pixels::Bgra, frames[0].data()); });
    std::vector<unsigned char> yuv(size_t(size.width) * size.height * 2);
    unsigned char* u = yuv.data() + size.width * size.height;
    unsigned char* v = u + size.width * size.height / 4;
    int converted = 0;
    const double convertMs = msPerCall(n, [&] {
        libyuv::ARGBToI420(frames[converted++ % 10].data(), size.width * 4, yuv.data(), size.width, u, size.width / 2,
                           v, size.width / 2, size.width, size.height);
    });
    double encodeMs[2] = {};
    const char* names[2] = {"mp4", "mkv"};
    for (int e = 0; e < 2; ++e) {
        VideoSettings video;
        video.path = std::string(base.videoFile) + "." + names[e];
        video.width = size.width;
        video.height = size.height;
        VideoEncoder encoder(video);
        int i = 0;
        encodeMs[e] = msPerCall(n, [&] { encoder.addFrame(frames[i++ % 10].data()); });
        encoder.finish();
        remove(video.path.c_str());
    }
    printf("-- pieces of one frame, flower look, each alone on one thread\n");
    printf("%-34s %8.3f ms\n", "drawing", drawMs);
    printf("%-34s %8.3f ms\n", "read-back (BGRA)", readMs);
    printf("%-34s %8.3f ms\n", "conversion to yuv420p", convertMs);
    printf("%-34s %8.3f ms\n", "H.264 (libx264 superfast), converted", encodeMs[0]);
    printf("%-34s %8.3f ms\n", "FFV1", encodeMs[1]);
}

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    int frames = 100, rounds = 5;
    std::string sizeText = "800x600";
    CLI::App app{"Times the offline renderer's frames, written as PNG, .mp4 and .mkv and not, against the "
                 "show's own frames in its window, at each look; prints the median round of each.",
                 "render_bench"};
    app.add_option("frames,--frames", frames, "frames per round")->capture_default_str()->check(CLI::Range(1, 100000));
    app.add_option("rounds,--rounds", rounds, "rounds")->capture_default_str()->check(CLI::Range(1, 1000));
    app.add_option("size,--size", sizeText, "WxH")->capture_default_str();
    parseOptionsOrExit(app, "render_bench", argc, argv);
    Size size;
    if (!RenderSettings::parseSize(sizeText, size.width, size.height)) {
        fprintf(stderr, "render_bench: the size must be WxH (see --help)\n");
        return 2;
    }
    gApp = new AppWindow("SDL - Driftmeadow v1.0", size.width, size.height, 32, true, false, true);
    char folder[] = "/tmp/render_bench-XXXXXX";
    if (!mkdtemp(folder)) {
        perror("render_bench: mkdtemp");
        return 1;
    }
    RenderSettings settings;
    settings.outDir = folder;
    settings.width = size.width;
    settings.height = size.height;
    RenderSettings mp4 = settings, mkv = settings;
    mp4.outDir = mkv.outDir = "";
    mp4.videoFile = std::string(folder) + "/bench.mp4";
    mkv.videoFile = std::string(folder) + "/bench.mkv";
    auto* renderer = new OfflineRenderer(settings);

    printf("%d rounds of %d frames at %dx%d, median round:\n", rounds, frames, size.width, size.height);
    double t = 60.0;
    for (const BenchLook& look : kBenchLooks) {
        inputValue[0].store(look.input0);
        inputValue[2].store(look.input2);
        LandscapeScene::settleControl(look.input0, look.input2);
        std::vector<double> show, png, h264, ffv1, drawn;
        for (int r = 0; r < rounds; ++r) {
            // The show's frames at both ends of the round, for the load of its middle.
            const double before = msPerFrame(frames, [] { gApp->drawFrame(); });
            png.push_back(msPerWrittenFrame(frames, *renderer, t));
            h264.push_back(msPerVideoFrame(frames, mp4, look, t));
            ffv1.push_back(msPerVideoFrame(frames, mkv, look, t));
            LandscapeScene::settleControl(look.input0, look.input2);
            drawn.push_back(msPerFrame(frames, [&] {
                renderer->drawFrame(t);
                t += 1.0 / 30;
            }));
            show.push_back((before + msPerFrame(frames, [] { gApp->drawFrame(); })) / 2);
        }
        const double s = median(show);
        printf("-- %s\n", look.name);
        printf("%-34s %8.3f ms/frame %8.1f fps\n", "show frame in the window", s, 1000.0 / s);
        printRow("renderer frame, written as PNG", png, show);
        printRow("renderer frame, written to .mp4", h264, show);
        printRow("renderer frame, written to .mkv", ffv1, show);
        printRow("renderer frame, not written", drawn, show);
    }
    mkv.videoFile = std::string(folder) + "/piece";
    timePieces(frames, *renderer, mkv, size);
    inputValue[0].store(0.0f);
    inputValue[2].store(0.0f);
    delete renderer;
    for (int k = 0; k < 10; ++k)
        remove(settings.framePath(k).c_str());
    remove(mp4.videoFile.c_str());
    remove((std::string(folder) + "/bench.mkv").c_str());
    rmdir(folder);
    SDL_Quit();
    return 0;
}
