#include "render/RenderSettings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "gfx/PictureFolders.h"
#include "render/VideoEncoder.h"
#include "scenes/ImageSequenceScene.h"

namespace {

// A little below one frame's rounding error in seconds, so that a --to that
// falls on a frame time computed in double still counts as reached.
constexpr double kTimeSlack = 1e-9;

// Pictures are found as the image loader finds them, from any working folder.
bool isReadableFile(const std::string& name)
{
    const std::string path = PictureFolders::locate(name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

// mkdir -p: every missing folder on the way is made.
std::string makeFolders(const std::string& path)
{
    for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
        const std::string part = path.substr(0, at);
        struct stat st;
        if (stat(part.c_str(), &st) != 0) {
            if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
                return "cannot make the folder " + part + ": " + strerror(errno);
        } else if (!S_ISDIR(st.st_mode)) {
            return part + " is not a folder";
        }
        if (at == std::string::npos)
            return "";
    }
}

// Writes and removes a probe file: the only sure test (root passes every
// permission check, a read-only file system fails only the write).
std::string probeWritable(const std::string& dir)
{
    std::string name = dir + "/.driftmeadow-render-XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0)
        return "cannot write in the folder " + dir + ": " + strerror(errno);
    close(fd);
    unlink(name.c_str());
    return "";
}

std::string checkValues(const RenderSettings& s)
{
    if (!std::isfinite(s.from) || s.from < 0)
        return "--from must be 0 or more seconds";
    if (!std::isfinite(s.to) || s.to < s.from)
        return "--to must not be before --from";
    if (!std::isfinite(s.fps) || s.fps <= 0 || s.fps > 1000)
        return "--fps must be above 0 and at most 1000";
    if (s.to * s.fps + 1 > RenderSettings::kMaxFrames)
        return "the render would draw more than 10000000 frames";
    if (s.width < 1 || s.height < 1 || s.width > RenderSettings::kMaxSide || s.height > RenderSettings::kMaxSide)
        return "--size must be WxH with each side from 1 to 4096";
    if (s.outDir.empty() && s.videoFile.empty())
        return "--out DIR or --video FILE is required";
    return "";
}

std::string checkVideo(const RenderSettings& s)
{
    if (!s.videoFile.empty() && !VideoEncoder::isMp4(s.videoFile) && !VideoEncoder::isMkv(s.videoFile))
        return "--video must name a .mp4 or .mkv file";
    struct stat st;
    if (!s.videoFile.empty() && stat(s.videoFile.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return "--video: " + s.videoFile + " is a folder";
    if (VideoEncoder::isMp4(s.videoFile) && (s.width % 2 != 0 || s.height % 2 != 0))
        return "--size must be even on both sides for .mp4 (H.264 in yuv420p)";
    if (s.crf < 0 || s.crf > 51)
        return "--crf must be from 0 to 51";
    const char* const presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                   "medium",    "slow",      "slower",   "veryslow"};
    if (std::find(std::begin(presets), std::end(presets), s.preset) == std::end(presets))
        return "--preset must be one of ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow";
    if (!std::isfinite(s.audioOffset))
        return "--audio-offset must be a finite number of seconds";
    if (!s.audioFile.empty() && s.videoFile.empty())
        return "--audio needs --video";
    if (!s.audioFile.empty() && !isReadableFile(s.audioFile))
        return "--audio: cannot read the sound file " + s.audioFile;
    if (!s.reactFile.empty() && s.to > RenderSettings::kMaxReactSeconds)
        return "--react reaches at most --to 14400 (four hours)";
    if (!s.reactFile.empty() && !isReadableFile(s.reactFile))
        return "--react: cannot read the sound file " + s.reactFile;
    return "";
}

std::string checkSceneInputs(const RenderSettings& s)
{
    using Kind = RenderSettings::SceneKind;
    const bool sequence = s.scene == Kind::Sequence;
    if (!sequence && (!s.framesDir.empty() || s.count != 0))
        return "--frames and --count are for --scene sequence only";
    if (s.scene == Kind::Disc && !isReadableFile(s.texture))
        return "--texture: cannot read the picture " + s.texture;
    if (!sequence)
        return "";
    if (s.framesDir.empty())
        return "--scene sequence needs --frames DIR";
    if (s.count < 1 || s.count > ImageSequenceScene::kMaxFrames)
        return "--count must be from 1 to " + std::to_string(ImageSequenceScene::kMaxFrames);
    for (int i = 1; i <= s.count; ++i) {
        const std::string name = ImageSequenceScene::frameFileName(s.framesDir.c_str(), i);
        if (!isReadableFile(name))
            return "--frames: cannot read the picture " + name;
    }
    return "";
}

}  // namespace

int RenderSettings::writtenFrames() const
{
    return static_cast<int>(std::floor((to - from) * fps + kTimeSlack)) + 1;
}

int RenderSettings::prerollFrames() const
{
    int n = static_cast<int>(from * fps);
    while (prerollFrameTime(n) < from)
        ++n;
    while (n > 0 && prerollFrameTime(n - 1) >= from)
        --n;
    return n;
}

double RenderSettings::writtenFrameTime(int k) const
{
    return from + k / fps;
}

double RenderSettings::prerollFrameTime(int j) const
{
    return j / fps;
}

std::string RenderSettings::framePath(int k) const
{
    char name[32];
    snprintf(name, sizeof name, "/%05d.png", k);
    return outDir + name;
}

std::string RenderSettings::check() const
{
    std::string fault = checkValues(*this);
    if (fault.empty())
        fault = checkVideo(*this);
    if (fault.empty())
        fault = checkSceneInputs(*this);
    if (fault.empty() && !oscFile.empty() && !isReadableFile(oscFile))
        fault = "--osc: cannot read the recording " + oscFile;
    if (fault.empty() && !outDir.empty())
        fault = makeFolders(outDir);
    if (fault.empty() && !outDir.empty())
        fault = probeWritable(outDir);
    return fault;
}

bool RenderSettings::parseSize(const std::string& text, int& w, int& h)
{
    const std::size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 == text.size())
        return false;
    const std::string a = text.substr(0, x), b = text.substr(x + 1);
    const auto digits = [](const std::string& s) {
        return s.size() <= 6 && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!digits(a) || !digits(b))
        return false;
    w = atoi(a.c_str());
    h = atoi(b.c_str());
    return true;
}
