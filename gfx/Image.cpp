#include "gfx/Image.h"

#include "gfx/ImageErrors.h"
#include "gfx/PictureFolders.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The channel masks of every surface this class makes: red in the first byte
// of a pixel, green in the second, blue in the third, alpha in the fourth.
const Uint32 kRedMask = 0x000000FF;
const Uint32 kGreenMask = 0x0000FF00;
const Uint32 kBlueMask = 0x00FF0000;
const Uint32 kAlphaMask = 0xFF000000;

SDL_Surface* createSurface(int width, int height, int bitsPerPixel, Uint32 alphaMask)
{
    SDL_Surface* s = SDL_CreateRGBSurface(0, width, height, bitsPerPixel, kRedMask, kGreenMask,
                                          kBlueMask, alphaMask);
    if (!s)
        failCreateSurface(SDL_GetError());
    return s;
}

bool isTextureLayout(const SDL_Surface* s)
{
    const SDL_PixelFormat* f = s->format;
    return (f->BytesPerPixel == 3 && f->Amask == 0) || (f->BytesPerPixel == 4 && f->Amask != 0);
}

// Brings a surface of any other layout to 24-bit (32-bit when it has alpha),
// so that every reader may take 3 or 4 bytes per pixel. A 32-bit surface
// without alpha only loses its padding byte: its colour bytes keep their order.
// Returns null when no such surface can be made.
SDL_Surface* toTextureLayout(SDL_Surface* loaded)
{
    const SDL_PixelFormat* f = loaded->format;
    const bool alpha = f->Amask != 0;
    Uint32 r = kRedMask, g = kGreenMask, b = kBlueMask;
    if (f->BytesPerPixel == 4 && !alpha && ((f->Rmask | f->Gmask | f->Bmask) & 0xFF000000) == 0) {
        r = f->Rmask;
        g = f->Gmask;
        b = f->Bmask;
    }
    SDL_Surface* layout =
        SDL_CreateRGBSurface(0, 1, 1, alpha ? 32 : 24, r, g, b, alpha ? kAlphaMask : 0);
    if (!layout)
        return nullptr;
    SDL_Surface* converted = SDL_ConvertSurface(loaded, layout->format, 0);
    SDL_FreeSurface(layout);
    return converted;
}

// What the checks made before decoding find out about a picture's bytes.
struct Survey {
    bool sound = false;              // whole, with header fields its format defines
    uint64_t width = 0, height = 0;  // as its header claims
};

// The decoders do not all notice a file that ends early: the JPEG decoder
// fills the missing rows with grey and only warns, the PNG loader reads on
// past the end without stopping (a PNG cut inside its header chunks hangs
// it), and the BMP loader takes a cut header's missing fields from whatever
// memory holds. So before decoding, a JPEG must reach its end-of-image
// marker, a PNG its IEND chunk, and a BMP must hold its headers and, when
// uncompressed, all its rows; and the BMP loader takes a depth, compression
// or colour count that the format does not define as it comes (and crashes
// on it later), so those must be ones the format defines. And each decoder
// allocates what the header claims before it reads a pixel, so the claimed
// size is checked first too.
Survey surveyJpeg(const unsigned char* d, size_t n)
{
    Survey s;
    size_t i = 2;
    while (i < n) {
        if (d[i] != 0xFF) {  // stray bytes before a marker, skipped as the decoder does
            ++i;
            continue;
        }
        while (i < n && d[i] == 0xFF)
            ++i;
        if (i >= n)
            break;
        const unsigned marker = d[i++];
        if (marker == 0xD9) {
            s.sound = true;
            break;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // markers without a length field
        if (i + 2 > n)
            break;
        // A start-of-frame marker (0xC0 to 0xCF but for 0xC4, 0xC8 and 0xCC)
        // holds precision, height and width after its length.
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && s.width == 0 && i + 7 <= n) {
            s.height = uint64_t(d[i + 3]) << 8 | d[i + 4];
            s.width = uint64_t(d[i + 5]) << 8 | d[i + 6];
        }
        i += (size_t(d[i]) << 8) | d[i + 1];
        if (marker == 0xDA) {
            // Entropy-coded data runs to the next marker other than a stuffed
            // 0xFF00 or a restart marker.
            while (i + 1 < n &&
                   !(d[i] == 0xFF && d[i + 1] != 0x00 && (d[i + 1] < 0xD0 || d[i + 1] > 0xD7)))
                ++i;
            if (i + 1 >= n)
                break;
        }
    }
    return s;
}

uint32_t bigEndian(const unsigned char* d)
{
    return uint32_t(d[0]) << 24 | uint32_t(d[1]) << 16 | uint32_t(d[2]) << 8 | d[3];
}

Survey surveyPng(const unsigned char* d, size_t n)
{
    Survey s;
    // The header chunk comes first: 13 bytes, width and height first.
    if (n < 33 || bigEndian(d + 8) != 13 || std::memcmp(d + 12, "IHDR", 4) != 0)
        return s;
    s.width = bigEndian(d + 16);
    s.height = bigEndian(d + 20);
    size_t i = 8;  // past the signature
    while (i + 12 <= n) {
        const size_t length = bigEndian(d + i);
        if (length > n - i - 12)
            return s;
        if (std::memcmp(d + i + 4, "IEND", 4) == 0) {
            s.sound = true;
            return s;
        }
        i += 12 + length;  // length, type, data, CRC
    }
    return s;
}

uint32_t littleEndian(const unsigned char* d, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | d[at + i];
    return v;
}

// The depths the BMP format defines for each compression: none, run-length
// 8 and 4 bits, and bit fields.
bool bmpDepthFits(uint32_t bitsPerPixel, uint32_t compression)
{
    switch (compression) {
    case 0: return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 || bitsPerPixel == 16 ||
                   bitsPerPixel == 24 || bitsPerPixel == 32;
    case 1: return bitsPerPixel == 8;
    case 2: return bitsPerPixel == 4;
    case 3: return bitsPerPixel == 16 || bitsPerPixel == 32;
    default: return false;
    }
}

Survey surveyBmp(const unsigned char* d, size_t n)
{
    Survey s;
    if (n < 18)
        return s;
    const uint64_t dataOffset = littleEndian(d, 10, 4);
    const uint32_t infoSize = littleEndian(d, 14, 4);
    if (infoSize < 12 || n < 14 + uint64_t(infoSize))
        return s;
    int64_t width, height;
    uint32_t bitsPerPixel, compression = 0, colours = 0;
    if (infoSize == 12) {  // the old OS/2 header
        width = int16_t(littleEndian(d, 18, 2));
        height = int16_t(littleEndian(d, 20, 2));
        bitsPerPixel = littleEndian(d, 24, 2);
    } else {
        if (infoSize < 20)
            return s;
        width = int32_t(littleEndian(d, 18, 4));
        height = int32_t(littleEndian(d, 22, 4));
        bitsPerPixel = littleEndian(d, 28, 2);
        compression = littleEndian(d, 30, 4);
        colours = infoSize >= 40 ? littleEndian(d, 46, 4) : 0;
    }
    s.width = uint64_t(width < 0 ? -width : width);
    s.height = uint64_t(height < 0 ? -height : height);
    if (!bmpDepthFits(bitsPerPixel, compression) || (bitsPerPixel <= 8 && colours > (1u << bitsPerPixel)))
        return s;
    if (compression == 1 || compression == 2) {  // run-length data has no fixed size
        s.sound = dataOffset <= n;
        return s;
    }
    const uint64_t rowBytes = (s.width * bitsPerPixel + 31) / 32 * 4;
    s.sound = dataOffset + rowBytes * s.height <= n;
    return s;
}

// Reads a picture file whole into `bytes`. Only a regular file of at most
// Image::kMaxFileBytes is read: a FIFO, a device or a directory in its place
// is refused without reading from it (the open does not wait for a FIFO's
// writer), as is a file that grows while it is read.
bool readPictureFile(const char* fileName, std::vector<unsigned char>& bytes)
{
    const int fd = open(fileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              uint64_t(st.st_size) <= Image::kMaxFileBytes;
    if (ok) {
        // One byte more than the file holds, to notice that it grew.
        bytes.resize(size_t(st.st_size) + 1);
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            got += size_t(n);
        }
        ok = ok && got <= size_t(st.st_size);
        bytes.resize(got);
    }
    close(fd);
    return ok;
}

// Decodes a picture of one of the three kinds the show uses, told apart by
// their first bytes, with that kind's decoder only; anything else (GIF, TGA,
// XPM, PCX, ... whose decoders are not checked against damaged files) is
// refused. Null when refused.
SDL_Surface* decodePicture(const unsigned char* d, size_t n)
{
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    SDL_Surface* (*decode)(SDL_RWops*) = nullptr;
    Survey s;
    if (n >= 8 && std::equal(kPng, kPng + 8, d)) {
        s = surveyPng(d, n);
        decode = IMG_LoadPNG_RW;
    } else if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) {
        s = surveyJpeg(d, n);
        decode = IMG_LoadJPG_RW;
    } else if (n >= 2 && d[0] == 'B' && d[1] == 'M') {
        s = surveyBmp(d, n);
        decode = IMG_LoadBMP_RW;
    }
    if (!decode || !s.sound || s.width == 0 || s.height == 0 ||
        s.width * s.height > Image::kMaxPixels || n > size_t(INT32_MAX))
        return nullptr;
    SDL_RWops* source = SDL_RWFromConstMem(d, int(n));
    if (!source)
        return nullptr;
    SDL_Surface* loaded = decode(source);
    SDL_RWclose(source);
    // The decoder read the same size from the header, or the check was fooled.
    if (loaded && (uint64_t(loaded->w) != s.width || uint64_t(loaded->h) != s.height)) {
        SDL_FreeSurface(loaded);
        return nullptr;
    }
    if (loaded && !isTextureLayout(loaded)) {
        SDL_Surface* converted = toTextureLayout(loaded);
        SDL_FreeSurface(loaded);
        loaded = converted;
    }
    return loaded;
}

}  // namespace

Image::Image() = default;

Image::Image(const char* fileName, int width, int height)
{
    load(fileName, width, height);
}

Image::Image(void* pixels, int width, int height, int bitsPerPixel, bool alpha)
{
    if (bitsPerPixel != (alpha ? 32 : 24)) {
        char reason[96];
        snprintf(reason, sizeof reason, "%i bpp %s alpha is not a texture layout", bitsPerPixel,
                 alpha ? "with" : "without");
        failCreateSurface(reason);
    }
    const Uint32 alphaMask = alpha ? kAlphaMask : 0;
    if (!pixels) {
        surface = createSurface(width, height, bitsPerPixel, alphaMask);
        return;
    }
    // SDL checks these limits for its own surfaces but not for wrapped memory,
    // whose row pitch must fit SDL's 16-bit field.
    if (width < 0 || height < 0 || width >= 16384 || height >= 65536)
        failCreateSurface("Width or height is too large");
    const int pitch = (width * (bitsPerPixel / 8) + 3) & ~3;
    surface = SDL_CreateRGBSurfaceFrom(pixels, width, height, bitsPerPixel, pitch, kRedMask,
                                       kGreenMask, kBlueMask, alphaMask);
    if (!surface)
        failCreateSurface(SDL_GetError());
}

Image::~Image()
{
    if (surface)
        SDL_FreeSurface(surface);
}

void Image::load(const char* fileName, int w, int h)
{
    // The name is found from any working directory; the load line keeps it.
    std::vector<unsigned char> bytes;
    if (!readPictureFile(PictureFolders::locate(fileName).c_str(), bytes) || !loadBytes(bytes.data(), bytes.size(), fileName, w, h))
        failImageLoad(fileName);
}

bool Image::loadBytes(const unsigned char* data, size_t size, const char* fileName, int w, int h)
{
    if (surface) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    SDL_Surface* loaded = decodePicture(data, size);
    if (!loaded)
        return false;
    const int loadedW = loaded->w, loadedH = loaded->h;
    // Owned from here on, so that a stretch that cannot be made, which ends
    // the process, leaves no surface without an owner.
    surface = loaded;
    if (w > 0 && h > 0 && (loaded->w != w || loaded->h != h)) {
        SDL_Surface* stretched =
            createSurface(w, h, loaded->format->BitsPerPixel, loaded->format->Amask);
        SDL_SoftStretch(loaded, nullptr, stretched, nullptr);
        SDL_FreeSurface(loaded);
        surface = stretched;
    }
    printImageLoaded(fileName, loadedW, loadedH, surface->w, surface->h, hasAlpha(),
                     surface->format->BitsPerPixel);
    return true;
}

bool Image::hasAlpha() const
{
    return surface && surface->format->Amask != 0;
}

int Image::width() const
{
    return surface ? surface->w : 0;
}

int Image::height() const
{
    return surface ? surface->h : 0;
}

unsigned char* Image::pixels() const
{
    return surface ? static_cast<unsigned char*>(surface->pixels) : nullptr;
}

int Image::pitch() const
{
    return surface ? surface->pitch : 0;
}

int Image::bitsPerPixel() const
{
    return surface ? surface->format->BitsPerPixel : 0;
}

uint32_t Image::getPixel(uint32_t x, uint32_t y) const
{
    if (x >= uint32_t(width()) || y >= uint32_t(height()))
        return 0;
    const unsigned char* p =
        pixels() + size_t(y) * surface->pitch + size_t(x) * surface->format->BytesPerPixel;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

void Image::setPixel(uint32_t x, uint32_t y, uint32_t value)
{
    if (x >= uint32_t(width()) || y >= uint32_t(height()))
        return;
    const int bytes = surface->format->BytesPerPixel;
    unsigned char* p = pixels() + size_t(y) * surface->pitch + size_t(x) * bytes;
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}
