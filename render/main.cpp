// driftmeadow-render: the show, or one of its other scenes, frame by frame to
// PNG files or a video, steered by a recorded OSC performance or by the levels
// of a sound track. Renders without any display, through an off-screen GL
// context. See --help.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <map>
#include <new>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "base/OutOfMemory.h"
#include "base/StandardStreams.h"
#include "frame/ShowGl.h"
#include "levels/LevelMapping.h"
#include "render/OfflineRenderer.h"
#include "render/OffscreenGlContext.h"
#include "render/OutputFolderLock.h"
#include "render/RenderConsole.h"
#include "render/RenderSettings.h"

namespace {

const char* const kMapHelp =
    "With --react: input ID follows the loudest spectrum level of either channel between LO and HI, "
    "as driftmeadow-audio --send --map does (see its --help). Repeatable, one per ID. Without --map: "
    "2=0.05:0.2,gain=0.05 (bass) and 0=0.6:0.9,gain=0.03 (highs)";

const char* const kExample =
    "Examples:\n"
    "  a video of a recorded performance, with its sound:\n"
    "    driftmeadow-render --osc take.osc --to 60 --video take.mp4 --audio take.wav\n"
    "  a music video: the landscape reacting to a track, in sync with it:\n"
    "    driftmeadow-render --react song.wav --to 180 --video song.mp4";

// The rules of --map, each read by the level mapping's own parser, IDs distinct.
std::vector<LevelMappingRule> parseMappings(const std::vector<std::string>& maps)
{
    std::vector<LevelMappingRule> rules;
    std::set<int> ids;
    for (const std::string& text : maps) {
        LevelMappingRule rule;
        std::string error;
        if (!parseLevelMapping(text, rule, error))
            failRenderSetup("--map: " + error);
        if (!ids.insert(rule.id).second)
            failRenderSetup("--map: input " + std::to_string(rule.id) + " is mapped twice");
        rules.push_back(rule);
    }
    return rules;
}

}  // namespace

static RenderSettings parseOptions(int argc, char** argv)
{
    RenderSettings s;
    std::string scene = "landscape", size = "800x600";
    std::vector<std::string> maps;
    CLI::App app{"Renders the show, or one of its other scenes, frame by frame to PNG files\n"
                 "(00000.png, 00001.png, ... in --out) or a video (--video), steered by a recording\n"
                 "of OSC input made with liblo's `oscdump -L PORT`, or by a sound track (--react).",
                 "driftmeadow-render"};
    // As with other GNU-style tools, an option given twice keeps its last value.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_option("--scene", scene, "What to render")
        ->check(CLI::IsMember({"landscape", "disc", "sequence"}))
        ->capture_default_str();
    app.add_option("--from", s.from, "First written frame, in seconds of frame time")->capture_default_str();
    CLI::Option* to = app.add_option("--to", s.to, "Last written frame, in seconds, inclusive (default: --from)");
    app.add_option("--fps", s.fps, "Frames per second of frame time")->capture_default_str();
    app.add_option("--out", s.outDir, "Folder for the frames as PNG files, made if missing");
    app.add_option("--video", s.videoFile,
                   "Video file: .mp4 (H.264, yuv420p; AAC sound) or .mkv (FFV1, lossless RGB; FLAC sound)");
    app.add_option("--crf", s.crf, "H.264 quality of a .mp4, 0 (lossless) to 51 (worst)")->capture_default_str();
    app.add_option("--preset", s.preset,
                   "libx264's speed for a .mp4: ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, "
                   "veryslow (slower: smaller files)")
        ->capture_default_str();
    CLI::Option* audio = app.add_option("--audio", s.audioFile, "Sound track of the video (any file libsndfile reads)");
    CLI::Option* react = app.add_option(
        "--react", s.reactFile,
        "Input values from this sound file's levels every 20 ms, as driftmeadow-audio --send would send them "
        "while playing it; also the video's sound track unless --audio is given");
    app.add_option("--audio-offset", s.audioOffset,
                   "Seconds into the sound file that play at frame time 0 (--audio and --react)")
        ->capture_default_str();
    app.add_option("--map", maps, kMapHelp)->option_text(kLevelMappingForm)->needs(react);
    app.add_option("--osc", s.oscFile, "Recorded OSC input, as oscdump writes it");
    app.add_option("--size", size, "Frame size WxH")->capture_default_str();
    app.add_option("--frames", s.framesDir, "Sequence: folder of the pictures 01.jpg, 02.jpg, ...");
    app.add_option("--count", s.count, "Sequence: number of pictures (1 to 64)");
    app.add_option("--texture", s.texture, "Disc: the picture it is textured with")->capture_default_str();
    app.footer(kExample);
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
    if (app.count("--audio-offset") && !*audio && !*react)
        failRenderSetup("--audio-offset needs --audio or --react");
    s.mappings = parseMappings(maps);
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
        failRenderSetup(std::string("cannot start a thread: ") + e.what());
    }
}
