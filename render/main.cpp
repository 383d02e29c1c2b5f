// driftmeadow-render: the show, or one of its other scenes, frame by frame to
// PNG files, steered by a recorded OSC performance. Renders without any
// display, through an off-screen GL context. See --help.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <new>
#include <system_error>
#include <string>

#include "base/OutOfMemory.h"
#include "base/StandardStreams.h"
#include "frame/ShowGl.h"
#include "render/OfflineRenderer.h"
#include "render/OffscreenGlContext.h"
#include "render/OutputFolderLock.h"
#include "render/RenderConsole.h"
#include "render/RenderSettings.h"

static RenderSettings parseOptions(int argc, char** argv)
{
    RenderSettings s;
    std::string scene = "landscape", size = "800x600";
    CLI::App app{"Renders the show, or one of its other scenes, frame by frame to PNG files\n"
                 "(00000.png, 00001.png, ... in --out), steered by a recording of OSC input\n"
                 "made with liblo's `oscdump -L PORT`.",
                 "driftmeadow-render"};
    // As with other GNU-style tools, an option given twice keeps its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--scene", scene, "What to render")
        ->check(CLI::IsMember({"landscape", "disc", "sequence"}))
        ->capture_default_str();
    app.add_option("--from", s.from, "First written frame, in seconds of frame time")->capture_default_str();
    CLI::Option* to = app.add_option("--to", s.to, "Last written frame, in seconds, inclusive (default: --from)");
    app.add_option("--fps", s.fps, "Frames per second of frame time")->capture_default_str();
    app.add_option("--out", s.outDir, "Folder for the frames, made if missing")->required();
    app.add_option("--osc", s.oscFile, "Recorded OSC input, as oscdump writes it");
    app.add_option("--size", size, "Frame size WxH")->capture_default_str();
    app.add_option("--frames", s.framesDir, "Sequence: folder of the pictures 01.jpg, 02.jpg, ...");
    app.add_option("--count", s.count, "Sequence: number of pictures (1 to 64)");
    app.add_option("--texture", s.texture, "Disc: the picture it is textured with")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        fputs(app.help().c_str(), stdout);
        exit(0);
    } catch (const CLI::ParseError& e) {
        failRenderSetup(e.what());
    }
    if (!RenderSettings::parseSize(size, s.width, s.height))
        failRenderSetup("--size must be WxH, for example 800x600");
    if (!*to)
        s.to = s.from;
    const std::map<std::string, RenderSettings::SceneKind> kinds = {
        {"landscape", RenderSettings::SceneKind::Landscape},
        {"disc", RenderSettings::SceneKind::Disc},
        {"sequence", RenderSettings::SceneKind::Sequence}};
    s.scene = kinds.at(scene);
    return s;
}

static int render(const RenderSettings& settings)
{
    const std::string fault = settings.check();
    if (!fault.empty())
        failRenderSetup(fault);
    // Held to the end of the render: no other render writes into the folder.
    const OutputFolderLock lock(settings.outDir);
    if (!lock.error().empty())
        failRenderSetup(lock.error());
    if (const int removed = lock.removeUnfinishedFrames())
        reportUnfinishedFramesRemoved(settings.outDir, removed);
    keepShaderCacheOffDisk();
    OffscreenGlContext gl;
    if (!gl.ok())
        failRenderSetup("no off-screen OpenGL context: " + gl.error());
    OfflineRenderer renderer(settings);
    return renderer.run();
}

int main(int argc, char** argv)
{
    openStandardStreams();
    reportUncaughtOutOfMemory(kRenderOutOfMemoryLine);
    try {
        return render(parseOptions(argc, argv));
    } catch (const std::bad_alloc&) {
        failRenderOutOfMemory();
    } catch (const std::system_error& e) {
        // A thread the system would not start.
        failRenderSetup(e.what());
    }
}
