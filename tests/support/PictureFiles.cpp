#include "support/PictureFiles.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace {

pid_t gCreator = 0;

// Only the process that made the folder removes it: a forked death-test
// child that exits must not take it away from its parent.
void removeDir()
{
    if (getpid() != gCreator)
        return;
    std::error_code ignored;
    std::filesystem::remove_all(pictureDir(), ignored);
}

std::string prefixless(const std::string& name)
{
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

}  // namespace

std::string pictureDir()
{
    static std::string dir;
    if (dir.empty()) {
        char tmpl[] = "/tmp/driftmeadow_pictures_XXXXXX";
        if (!mkdtemp(tmpl))
            throw std::runtime_error("no temporary folder");
        dir = tmpl;
        gCreator = getpid();
        atexit(removeDir);
    }
    return dir;
}

std::string writeFile(const std::string& name, const Bytes& bytes)
{
    const std::string path = pictureDir() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string convertPixels(const std::string& name, int width, int height, int channels,
                          const Bytes& pixels, const std::string& options)
{
    const std::string out = pictureDir() + "/" + prefixless(name);
    const std::string prefix = name.substr(0, name.size() - prefixless(name).size());
    const std::string command = "convert PAM:- " + options + " " + prefix + out;
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    fprintf(pipe, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", width,
            height, channels, channels == 4 ? "RGB_ALPHA" : "RGB");
    fwrite(pixels.data(), 1, pixels.size(), pipe);
    if (pclose(pipe) != 0)
        throw std::runtime_error("failed: " + command);
    return out;
}

std::string convertPicture(const std::string& name, const std::string& arguments)
{
    const std::string out = pictureDir() + "/" + name;
    const std::string command = "convert " + arguments + " " + out;
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("failed: " + command);
    return out;
}

std::string writeBmp24(const std::string& name, int width, int height, const Bytes& rgb)
{
    SDL_Surface* s = SDL_CreateRGBSurface(0, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* d = static_cast<unsigned char*>(s->pixels) + y * s->pitch + x * 3;
            const unsigned char* c = &rgb[size_t(y * width + x) * 3];
            d[0] = c[2];
            d[1] = c[1];
            d[2] = c[0];
        }
    const std::string path = pictureDir() + "/" + name;
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    return path;
}

std::string truncatedCopy(const std::string& path, const std::string& name, size_t keep)
{
    Bytes bytes = readFile(path);
    bytes.resize(std::min(keep, bytes.size()));
    return writeFile(name, bytes);
}

std::string flippedCopy(const std::string& path, const std::string& name, size_t offset)
{
    Bytes bytes = readFile(path);
    bytes.at(offset) ^= 0xFF;
    return writeFile(name, bytes);
}
