#include "gfx/Image.h"

#include "gfx/ImageErrors.h"

#include <SDL_image.h>
#include <cstdio>
#include <fstream>
#include <iterator>
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
    SDL_Surface* layout = SDL_CreateRGBSurface(0, 1, 1, alpha ? 32 : 24, r, g, b,
                                               alpha ? kAlphaMask : 0);
    if (!layout)
        return nullptr;
    SDL_Surface* converted = SDL_ConvertSurface(loaded, layout->format, 0);
    SDL_FreeSurface(layout);
    return converted;
}

// A JPEG decoder fills a file that ends early with grey and only warns, so a
// JPEG counts as whole only when its marker structure reaches the end-of-image
// marker. Files of other kinds are left to their loaders.
bool jpegIsWhole(const char* fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    const size_t n = d.size();
    if (n < 3 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF)
        return true;
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
        if (marker == 0xD9)
            return true;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;  // markers without a length field
        if (i + 2 > n)
            break;
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
    return false;
}

}  // namespace

Image::Image() = default;

Image::Image(const char* fileName, int width, int height)
{
    load(fileName, width, height);
}

Image::Image(void* pixels, int width, int height, int bitsPerPixel, bool alpha)
{
    if (!(bitsPerPixel == 32 || (bitsPerPixel == 24 && !alpha))) {
        char reason[96];
        snprintf(reason, sizeof reason, "%i bpp%s is not a texture layout", bitsPerPixel,
                 alpha ? " with alpha" : "");
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
    if (surface) {
        SDL_FreeSurface(surface);
        surface = nullptr;
    }
    SDL_Surface* loaded = IMG_Load(fileName);
    if (loaded && !jpegIsWhole(fileName)) {
        SDL_FreeSurface(loaded);
        loaded = nullptr;
    }
    if (loaded && !isTextureLayout(loaded)) {
        SDL_Surface* converted = toTextureLayout(loaded);
        SDL_FreeSurface(loaded);
        loaded = converted;
    }
    if (!loaded)
        failImageLoad(fileName);
    printf("Image: Loaded file \"%s\"", fileName);

    if (w > 0 && h > 0 && (loaded->w != w || loaded->h != h)) {
        SDL_Surface* stretched = createSurface(w, h, loaded->format->BitsPerPixel,
                                               loaded->format->Amask);
        SDL_SoftStretch(loaded, nullptr, stretched, nullptr);
        printf(", resize: %ix%i->%ix%i", loaded->w, loaded->h, w, h);
        SDL_FreeSurface(loaded);
        loaded = stretched;
    }
    surface = loaded;
    printf("%s, %i bpp\n", hasAlpha() ? ", has Alpha" : "", surface->format->BitsPerPixel);
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
