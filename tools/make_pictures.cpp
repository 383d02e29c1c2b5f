// make_pictures: paints the show's eight pictures from procedural noise and
// a flip-book of ten frames, the same every run:
//   images/floor01.jpg            512x512 ground texture that tiles seamlessly
//   images/smoke.png              256x256 soft puffs shaped by the alpha channel
//   images/cloudz/cloud01..06.bmp small 24-bit clouds on black, one mosaic
//                                 square per non-black pixel in the scene
//   images/sequence/01..10.jpg    512x512 frames for the image sequence scene:
//                                 each its own background hue, its number in
//                                 big digits, and a ball one step further on
// Remake them from the repository root (ImageMagick's convert writes the JPEG
// and the PNG; the BMPs are written by SDL):
//   cmake --build build --target make_pictures && ./build/make_pictures images
#include <CLI/CLI.hpp>
#include <SDL.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/StandardStreams.h"
#include "tools/DevOptions.h"

namespace {

const float kPi = 3.14159265f;

// --- Deterministic noise, periodic so that textures tile -------------------

uint32_t hash3(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B9u ^ uint32_t(x) * 0x85EBCA6Bu ^ uint32_t(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float unit(uint32_t h)
{
    return (h >> 8) * (1.0f / 16777216.0f);
}

int wrap(int i, int period)
{
    return ((i % period) + period) % period;
}

float fade(float t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

float smoothstep(float e0, float e1, float x)
{
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// Gradient noise on a lattice of period x period cells over u, v in [0, 1);
// about -0.7..0.7.
float gradientNoise(float u, float v, int period, uint32_t seed)
{
    const float x = u * period, y = v * period;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - x0, fy = y - y0;
    auto corner = [&](int cx, int cy, float dx, float dy) {
        const float a = unit(hash3(wrap(cx, period), wrap(cy, period), seed)) * 2 * kPi;
        return std::cos(a) * dx + std::sin(a) * dy;
    };
    const float n00 = corner(x0, y0, fx, fy), n10 = corner(x0 + 1, y0, fx - 1, fy);
    const float n01 = corner(x0, y0 + 1, fx, fy - 1), n11 = corner(x0 + 1, y0 + 1, fx - 1, fy - 1);
    const float sx = fade(fx), sy = fade(fy);
    return (n00 + (n10 - n00) * sx) + ((n01 + (n11 - n01) * sx) - (n00 + (n10 - n00) * sx)) * sy;
}

// Octaves of gradient noise from basePeriod up, each half as strong.
float fbm(float u, float v, int basePeriod, int octaves, uint32_t seed)
{
    float sum = 0, amplitude = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradientNoise(u, v, basePeriod << o, seed + 101 * o);
        norm += amplitude;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

// Nearest and second-nearest feature point of a grid of periodU x periodV
// cells over u, v in [0, 1), one jittered point per cell; distances in cell
// units. Also the nearest cell's hash.
struct Cells {
    float f1, f2;
    uint32_t id;
    float dx, dy;  // from the nearest point to (u, v), in cell units
};

Cells cells(float u, float v, int periodU, int periodV, uint32_t seed)
{
    const float x = u * periodU, y = v * periodV;
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    Cells c{1e9f, 1e9f, 0, 0, 0};
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const uint32_t h = hash3(wrap(cx + i, periodU), wrap(cy + j, periodV), seed);
            const float px = cx + i + 0.15f + 0.7f * unit(h);
            const float py = cy + j + 0.15f + 0.7f * unit(h * 747796405u + 1);
            const float dx = x - px, dy = y - py;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d < c.f1) {
                c.f2 = c.f1;
                c.f1 = d;
                c.id = h;
                c.dx = dx;
                c.dy = dy;
            } else if (d < c.f2) {
                c.f2 = d;
            }
        }
    return c;
}

// --- Pictures and their files ----------------------------------------------

struct Picture {
    int w, h;
    std::vector<float> rgba;  // row 0 first, 4 floats per pixel in 0..1
    Picture(int width, int height) : w(width), h(height), rgba(size_t(width) * height * 4, 0) {}
    float* at(int x, int y) { return &rgba[(size_t(y) * w + x) * 4]; }
};

unsigned char toByte(float f)
{
    return static_cast<unsigned char>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255));
}

void fail(const std::string& what)
{
    fprintf(stderr, "make_pictures: %s\n", what.c_str());
    exit(1);
}

// Writes the picture as PAM and has ImageMagick's convert encode it.
void writeWithConvert(const Picture& p, bool alpha, const std::string& path,
                      const std::string& options)
{
    char tmp[] = "/tmp/make_pictures_XXXXXX";
    const int fd = mkstemp(tmp);
    if (fd < 0)
        fail("no temporary file");
    FILE* f = fdopen(fd, "wb");
    fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", p.w, p.h,
            alpha ? 4 : 3, alpha ? "RGB_ALPHA" : "RGB");
    for (size_t i = 0; i < p.rgba.size(); i += 4)
        for (int c = 0; c < (alpha ? 4 : 3); ++c)
            fputc(toByte(p.rgba[i + c]), f);
    fclose(f);
    const std::string command = "convert PAM:" + std::string(tmp) + " " + options + " " + path;
    const int rc = std::system(command.c_str());
    unlink(tmp);
    if (rc != 0)
        fail("convert failed: " + command);
}

// A 24-bit BMP: SDL stores such a surface as blue, green, red per pixel.
void writeBmp(const Picture& p, const std::string& path)
{
    SDL_Surface* s = SDL_CreateRGBSurface(0, p.w, p.h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    if (!s)
        fail(SDL_GetError());
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            const float* c = &p.rgba[(size_t(y) * p.w + x) * 4];
            unsigned char* d = static_cast<unsigned char*>(s->pixels) + y * s->pitch + x * 3;
            d[0] = toByte(c[2]);
            d[1] = toByte(c[1]);
            d[2] = toByte(c[0]);
        }
    if (SDL_SaveBMP(s, path.c_str()) != 0)
        fail(SDL_GetError());
    SDL_FreeSurface(s);
}

// --- Floor: packed earth with tufts of grass, stones and damp patches -----
// The scene multiplies it by the ground colour (grey, brown or green), so it is
// a light, nearly neutral texture whose detail lies mostly in the coarse
// scales: seen at a grazing angle without mipmaps, fine contrast would shimmer.
// The eye looks along the ground from just above it, which flattens
// everything on it: stones and blades are painted long along v (the depth)
// to keep some height on screen.

Picture paintFloor()
{
    const int n = 512;
    Picture p(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (y + 0.5f) / n;
            float lum = 0.78f;
            lum += 0.34f * fbm(u, v, 3, 5, 11);
            // darker damp patches with soft edges
            lum -= 0.12f * smoothstep(0.0f, 0.30f, fbm(u, v, 2, 3, 23));
            // tufts of grass: clusters of short blades, long along the depth
            // so that the grazing view shows them as upright strokes
            const float tuftField = fbm(u, v, 5, 3, 29);
            const Cells blade = cells(u, v + 0.03f * gradientNoise(u, v, 8, 31), 96, 24, 33);
            const float bladeShape = 1 - smoothstep(0.2f, 0.5f, std::fabs(blade.dx) * 2.0f +
                                                                std::fabs(blade.dy) * 0.6f);
            const float tufts = smoothstep(0.0f, 0.3f, tuftField);
            lum -= 0.14f * bladeShape * tufts;
            lum += 0.06f * tufts * (1 - bladeShape);
            // stones, also drawn long along the depth, lit from the far side,
            // each with a soft shadow on the near side
            const float wob = 0.25f * gradientNoise(u, v, 24, 47);
            const Cells stone = cells(u, v, 14, 7, 53);
            if (unit(stone.id) < 0.30f) {
                const float radius = 0.16f + 0.16f * unit(stone.id * 2654435761u);
                const float d = stone.f1 / radius + wob;
                const float inside = 1 - smoothstep(0.80f, 1.0f, d);
                const float shadow = smoothstep(0.8f, 1.0f, d) * (1 - smoothstep(1.0f, 1.6f, d)) *
                                     std::clamp(0.5f - stone.dy / radius, 0.0f, 1.0f);
                const float lit = std::clamp(stone.dy / radius * 0.8f - stone.dx / radius * 0.3f,
                                             -1.0f, 1.0f);
                const float tone = 0.80f + 0.15f * unit(stone.id * 40503u);
                lum = lum * (1 - inside) + (tone + 0.16f * lit) * inside - 0.18f * shadow;
            }
            // fine grain, kept weak
            lum += 0.04f * gradientNoise(u, v, 96, 67) + 0.025f * gradientNoise(u, v, 192, 71);
            // a slight earthy tint that varies across the ground
            const float hue = fbm(u, v, 2, 3, 83);
            float* c = p.at(x, y);
            c[0] = lum * (1.00f + 0.05f * hue);
            c[1] = lum * (0.95f - 0.02f * hue);
            c[2] = lum * (0.84f - 0.06f * hue);
            c[3] = 1;
        }
    return p;
}

// --- Smoke: a band of billowing puffs, transparent at every border ----------
// The scene stretches the square texture over a quad 2.5 times wider than
// high, so the puffs are painted 2.5 times narrower than they should look.
// The texture's first row lands at the quad's bottom: rows are painted bottom
// up (y = 0 is the bottom of the puff band).

// Puffs in a band across the middle, bigger toward the centre; the edge of
// the mass is eaten into by turbulent noise.
float smokeDensity(float u, float v)
{
    struct Puff {
        float x, y, r;
    };
    static const std::vector<Puff> puffs = [] {
        std::vector<Puff> list;
        for (int i = 0; i < 28; ++i) {
            const float x = 0.16f + 0.68f * unit(hash3(i, 0, 211));
            const float centre = 1 - std::fabs(x - 0.5f) * 2;
            const float y = 0.40f + 0.14f * unit(hash3(i, 1, 211)) + 0.08f * centre;
            const float r = (0.07f + 0.07f * unit(hash3(i, 2, 211))) * (0.7f + 0.5f * centre);
            list.push_back({x, y, r});
        }
        return list;
    }();
    const float squeeze = 2.5f;
    float d = 0;
    for (const Puff& p : puffs) {
        const float dx = (u - p.x) * squeeze, dy = v - p.y;
        d += std::exp(-(dx * dx + dy * dy) / (p.r * p.r) * 1.4f);
    }
    // noise squeezed like the puffs, so that it is round on screen
    const float turbulence = std::fabs(fbm(u * squeeze, v, 4, 4, 97)) +
                             0.5f * fbm(u * squeeze, v, 3, 3, 101);
    return d * (0.55f + 1.3f * turbulence);
}

Picture paintSmoke()
{
    const int n = 256;
    Picture p(n, n);
    for (int row = 0; row < n; ++row)
        for (int x = 0; x < n; ++x) {
            const float u = (x + 0.5f) / n, v = (row + 0.5f) / n;
            const float d = smokeDensity(u, v);
            // lighter where the density falls off upward: the tops of the puffs
            const float above = smokeDensity(u, v + 0.035f);
            const float shade = std::clamp(0.5f + 1.4f * (d - above), 0.0f, 1.0f);
            const float border = smoothstep(0.0f, 0.10f, u) * smoothstep(0.0f, 0.10f, 1 - u) *
                                 smoothstep(0.0f, 0.10f, v) * smoothstep(0.0f, 0.10f, 1 - v);
            // optical depth: thin smoke is faint, thick smoke nearly opaque
            const float alpha = std::max(0.0f, 1 - std::exp(-1.3f * d) - 0.04f) / 0.96f * border;
            const float lum = 0.78f + 0.22f * shade + 0.04f * fbm(u, v, 16, 2, 131);
            float* c = p.at(x, row);
            c[0] = lum;
            c[1] = lum;
            c[2] = lum * 1.02f;
            c[3] = alpha * 0.95f;
        }
    return p;
}

// --- Clouds: cumulus shapes as small mosaics --------------------------------
// One mosaic square per non-black pixel; the scene draws them translucent and
// tinted toward blue. Bright tops and edges stay close to a light sky, the
// greyer bellies give the shape. Each cloud fits 23 columns, so that it has
// left the view before it wraps around, and stays far below 1024 pixels.

struct Dome {
    float x, y, rx, ry;  // in pixels, y up from the cloud's base
};

struct CloudShape {
    int w, h;
    uint32_t seed;
    std::vector<Dome> domes;
};

Picture paintCloud(const CloudShape& shape)
{
    const int margin = 1;  // black all round, so that no dome is cut flat
    Picture p(shape.w + 2 * margin, shape.h + 2 * margin);
    for (int row = 0; row < shape.h; ++row)
        for (int x = 0; x < shape.w; ++x) {
            const float px = x + 0.5f, py = row + 0.5f;
            // The dome that holds the pixel most deeply decides its shading.
            float field = -1;  // > 0 inside a dome, 1 at its centre
            float nx = 0, ny = 0;  // where in that dome, -1..1 across
            for (const Dome& d : shape.domes) {
                const float dx = (px - d.x) / d.rx, dy = (py - d.y) / d.ry;
                const float f = 1 - std::sqrt(dx * dx + dy * dy);
                if (f > field) {
                    field = f;
                    nx = dx;
                    ny = dy;
                }
            }
            const float u = px / shape.w, v = py / shape.h;
            const float jitter = 0.10f * gradientNoise(u, v, 3, shape.seed) +
                                 0.10f * (unit(hash3(x, row, shape.seed + 7)) - 0.5f);
            const float f = field + jitter;
            // ragged edges: pixels just outside the shape are kept now and then
            const bool wisp = f > -0.15f && f <= 0 && unit(hash3(x, row, shape.seed + 5)) < 0.28f;
            if (f <= 0 && !wisp)
                continue;
            // lit from above and a little from the left; bright upper rims
            const float height = py / shape.h;
            const float domeLight = std::clamp(0.5f + 0.6f * ny - 0.2f * nx, 0.0f, 1.0f);
            const float rim = (1 - smoothstep(0.0f, 0.3f, f)) * smoothstep(0.15f, 0.6f, height);
            const float light = std::clamp(0.05f + 0.55f * domeLight + 0.25f * height + 0.30f * rim +
                                               0.06f * gradientNoise(u, v, 6, shape.seed + 9),
                                           0.0f, 1.0f);
            float* c = p.at(margin + x, margin + shape.h - 1 - row);  // top row first in files
            c[0] = 0.42f + 0.58f * light;
            c[1] = 0.46f + 0.54f * light;
            c[2] = 0.56f + 0.44f * light;
            c[3] = 1;
        }
    return p;
}

const std::vector<CloudShape>& cloudShapes()
{
    // Clouds 2 and 3 hang highest in the scene, where the top of the view cuts
    // them, so they are the flattest; 5 and 6 hang lowest and tower most.
    static const std::vector<CloudShape> shapes = {
        {21, 9, 1, {{10.5f, 2, 10, 2.2f}, {5, 3.5f, 3.5f, 3.2f}, {10, 5, 4.5f, 4.2f},
                    {15.5f, 4, 3.5f, 3.4f}, {13, 6.2f, 2.6f, 2.4f}}},
        {23, 6, 2, {{11.5f, 1.8f, 11.5f, 1.9f}, {5, 2.8f, 3, 2.6f}, {10.5f, 3.4f, 3.6f, 2.8f},
                    {16.5f, 3, 3.2f, 2.6f}, {20, 2.2f, 2.5f, 2}}},
        {18, 6, 3, {{9, 1.8f, 9, 1.9f}, {5, 3, 3.2f, 2.8f}, {10, 3.6f, 3.4f, 2.6f},
                    {14, 2.8f, 2.8f, 2.3f}}},
        {20, 8, 4, {{10, 1.8f, 9.8f, 2}, {4.5f, 3.2f, 3, 2.8f}, {8.5f, 4.6f, 3.6f, 3.5f},
                    {13, 4.2f, 3.4f, 3.4f}, {16.5f, 3, 2.8f, 2.6f}}},
        {19, 11, 5, {{9.5f, 2, 9.3f, 2.3f}, {4.5f, 3.8f, 3.5f, 3.2f}, {9, 6, 4.5f, 4.6f},
                     {14, 4.5f, 3.8f, 3.8f}, {10.5f, 8.6f, 2.8f, 2.4f}, {7, 8, 2.4f, 2.2f}}},
        {23, 12, 6, {{11.5f, 2, 11.3f, 2.3f}, {4.5f, 3.8f, 3.6f, 3.3f}, {9.5f, 6.4f, 4.8f, 5},
                     {15, 7, 4.2f, 4.6f}, {19.5f, 4, 3.3f, 3.2f}, {12, 9.6f, 2.8f, 2.4f}}},
    };
    return shapes;
}

// --- Flip-book frames: a number, a moving ball, a hue per frame -------------
// Frame n of kSequenceFrames: the background's hue turns a tenth of the circle
// from one frame to the next, the number stands in seven-segment digits in the
// upper half, and a ball rolls from left to right across the lower part. The
// corners hold nothing but the background, so a frame can be told by them.

const int kSequenceFrames = 10;

void hsvToRgb(float h, float s, float v, float* rgb)
{
    const float k[3] = {5, 3, 1};
    for (int c = 0; c < 3; ++c) {
        const float x = std::fmod(k[c] + h * 6, 6.0f);
        rgb[c] = v - v * s * std::clamp(std::min(x, 4 - x), 0.0f, 1.0f);
    }
}

// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
float segmentDistance(float px, float py, float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay;
    const float t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// How much of pixel (px, py) a digit covers whose box of w x h pixels has its
// top-left corner at (x0, y0): rounded strokes, anti-aliased.
float digitCover(int digit, float px, float py, float x0, float y0, float w, float h)
{
    // Segments a to g: top, upper right, lower right, bottom, lower left,
    // upper left, middle; each digit's lit ones as bits a = 1 .. g = 64.
    static const int kLit[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const float m = h / 2, gap = 12, half = 11;
    const float ends[7][4] = {
        {0, 0, w, 0}, {w, 0, w, m}, {w, m, w, h}, {0, h, w, h}, {0, m, 0, h}, {0, 0, 0, m}, {0, m, w, m},
    };
    float cover = 0;
    for (int s = 0; s < 7; ++s) {
        if (!(kLit[digit] >> s & 1))
            continue;
        const float* e = ends[s];
        const float lx = e[2] - e[0], ly = e[3] - e[1], len = std::hypot(lx, ly);
        const float gx = lx / len * gap, gy = ly / len * gap;
        const float d = segmentDistance(px - x0, py - y0, e[0] + gx, e[1] + gy, e[2] - gx, e[3] - gy);
        cover = std::max(cover, std::clamp(half - d + 0.5f, 0.0f, 1.0f));
    }
    return cover;
}

// Both digits of the number, centred in the upper half.
float numberCover(int number, float px, float py)
{
    const float w = 100, h = 200, spacing = 50, top = 70;
    const float left = (512 - (2 * w + spacing)) / 2;
    return std::max(digitCover(number / 10, px, py, left, top, w, h),
                    digitCover(number % 10, px, py, left + w + spacing, top, w, h));
}

Picture paintSequenceFrame(int n)
{
    const int size = 512;
    Picture p(size, size);
    const float hue = float(n - 1) / kSequenceFrames;
    float top[3], bottom[3];
    hsvToRgb(hue, 0.55f, 0.85f, top);
    hsvToRgb(hue, 0.75f, 0.45f, bottom);
    const float ballX = 70 + (n - 1) * (372.0f / (kSequenceFrames - 1)), ballY = 420, ballR = 40;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float px = x + 0.5f, py = y + 0.5f;
            float* c = p.at(x, y);
            const float down = py / size;
            for (int k = 0; k < 3; ++k)
                c[k] = top[k] + (bottom[k] - top[k]) * down;
            c[3] = 1;
            // the number, over a soft drop shadow
            const float shadow = numberCover(n, px - 6, py - 6);
            const float digit = numberCover(n, px, py);
            for (int k = 0; k < 3; ++k) {
                c[k] *= 1 - 0.5f * shadow;
                c[k] += (0.97f - c[k]) * digit;
            }
            // the ball, lit from the upper left
            const float dx = (px - ballX) / ballR, dy = (py - ballY) / ballR;
            const float ball = std::clamp((1 - std::hypot(dx, dy)) * ballR + 0.5f, 0.0f, 1.0f);
            const float light = std::clamp(0.75f - 0.35f * (dx + dy), 0.3f, 1.0f);
            const float ballColour[3] = {1.0f * light, 0.92f * light, 0.55f * light};
            for (int k = 0; k < 3; ++k)
                c[k] += (ballColour[k] - c[k]) * ball;
        }
    return p;
}

void makeDirectory(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        fail("cannot make " + path);
}

}  // namespace

int main(int argc, char** argv)
{
    openStandardStreams();
    std::string dir;
    CLI::App app{"Paints the show's pictures and the flip-book frames into a folder (made if missing), the "
                 "same every run; needs ImageMagick's convert.",
                 "make_pictures"};
    app.add_option("folder", dir, "the pictures' folder, normally images")->required();
    parseOptionsOrExit(app, "make_pictures", argc, argv);
    makeDirectory(dir);
    makeDirectory(dir + "/cloudz");

    writeWithConvert(paintFloor(), false, dir + "/floor01.jpg",
                     "-strip -quality 92 -sampling-factor 1x1");
    writeWithConvert(paintSmoke(), true, "PNG32:" + dir + "/smoke.png", "-strip");
    const auto& shapes = cloudShapes();
    for (size_t i = 0; i < shapes.size(); ++i) {
        char name[64];
        snprintf(name, sizeof name, "/cloudz/cloud%.2zu.bmp", i + 1);
        writeBmp(paintCloud(shapes[i]), dir + name);
    }
    makeDirectory(dir + "/sequence");
    for (int n = 1; n <= kSequenceFrames; ++n) {
        char name[64];
        snprintf(name, sizeof name, "/sequence/%.2i.jpg", n);
        writeWithConvert(paintSequenceFrame(n), false, dir + name,
                         "-strip -quality 90 -sampling-factor 1x1");
    }
    printf("make_pictures: wrote 8 pictures and %i sequence frames under %s\n", kSequenceFrames,
           dir.c_str());
    return 0;
}
