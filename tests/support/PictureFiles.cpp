#include "support/PictureFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace {

std::string gDir;
pid_t gCreator = 0;

// Only the process that made the folder removes it: a forked death-test
// child that exits must not take it away from its parent.
void removeDir()
{
    std::error_code ignored;
    if (getpid() == gCreator)
        std::filesystem::remove_all(gDir, ignored);
}

}  // namespace

std::string pictureDir()
{
    if (gDir.empty()) {
        char tmpl[] = "/tmp/driftmeadow_pictures_XXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("no temporary folder");
        gDir = tmpl;
        gCreator = getpid();
        atexit(removeDir);
    }
    return gDir;
}

std::string writeFile(const std::string& name, const Bytes& bytes)
{
    const std::string path = pictureDir() + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string convertPixels(const std::string& name, int width, int height, int channels, const Bytes& pixels,
                          const std::string& options)
{
    const size_t colon = name.find(':') + 1;  // 0 without a format prefix
    const std::string out = pictureDir() + "/" + name.substr(colon);
    const std::string command = "convert PAM:- " + options + " " + name.substr(0, colon) + out;
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    fprintf(pipe, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", width, height, channels,
            channels == 4 ? "RGB_ALPHA" : "RGB");
    fwrite(pixels.data(), 1, pixels.size(), pipe);
    if (pclose(pipe) != 0)
        throw std::runtime_error("failed: " + command);
    return out;
}
