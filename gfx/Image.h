// Image: one picture as an SDL software surface, read from a file (stretched
// to a requested size if asked) or made blank. Used while scenes and textures
// are set up, on the main thread, after SDL has been started.
//
// Every Image holds one of the two layouts that the texture upload reads:
// 3 bytes per pixel without alpha, or 4 bytes per pixel with alpha. Files that
// load that way keep their bytes exactly as the loader produced them (a 24-bit
// BMP is blue, green, red; a JPEG or PNG red, green, blue). Files that load
// any other way (palettised, greyscale, 16-bit, 32-bit without alpha) are
// converted once, on load, to red, green, blue (and alpha) bytes.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>

class Image {
public:
    Image();
    // Loads the file; see load.
    Image(const char* fileName, int width, int height);
    // A surface of width x height at 24 bits without alpha or 32 bits with
    // alpha, red in the first byte of a pixel, then green, blue, alpha.
    // With pixels null the surface is blank and owned; otherwise it wraps the
    // caller's memory, whose rows must be padded to a multiple of 4 bytes (as
    // SDL's own surfaces and GL's default unpack alignment are), and which
    // must outlive the image. Any other depth, or a size SDL cannot hold,
    // ends the process with the surface-creation report.
    Image(void* pixels, int width, int height, int bitsPerPixel, bool alpha);
    virtual ~Image();

    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // The largest picture file that is read, and the most pixels a picture's
    // header may claim (checked before anything is decoded): a 24-megapixel
    // photograph is well inside both, and a 32-bit BMP of kMaxPixels fits in
    // kMaxFileBytes.
    static constexpr std::uint64_t kMaxFileBytes = 128u << 20;
    static constexpr std::uint64_t kMaxPixels = 32000000;

    // Reads the file (a regular file only) and decodes it as loadBytes does.
    // A file that is missing, not a regular file, too large, of another kind
    // than JPEG, PNG or BMP, truncated, corrupt or claiming too many pixels
    // ends the process with the load report and exit code 1.
    void load(const char* fileName, int width, int height);

    // Decodes a picture file's whole content (JPEG, PNG or BMP, told by its
    // first bytes) and prints its load line under fileName. With width and
    // height both positive and unlike the picture's, it is stretched
    // (nearest neighbour) to that size. False, with nothing printed and no
    // surface, when the bytes are refused.
    bool loadBytes(const unsigned char* data, std::size_t size, const char* fileName, int width,
                   int height);

    bool hasAlpha() const;
    int width() const;
    int height() const;
    // The first byte of row 0 (the file's top row); rows are pitch bytes apart.
    unsigned char* pixels() const;
    int pitch() const;
    int bitsPerPixel() const;

    // The first three bytes of the pixel in memory order (byte 0 in bits 0-7),
    // not decoded through the colour masks; 0 outside the picture.
    uint32_t getPixel(uint32_t x, uint32_t y) const;
    // Stores value's low bytes (bits 0-7 first) in exactly one pixel, as many
    // bytes as a pixel has; nothing outside the picture.
    void setPixel(uint32_t x, uint32_t y, uint32_t value);

private:
    SDL_Surface* surface = nullptr;
};
