// Image: the load line, the pixel layout, conversion of unusual layouts, and
// clean failure on bad files.
#include "gfx/Image.h"
#include "support/PictureFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>

using testing::EndsWith;
using testing::Eq;
using testing::ExitedWithCode;

namespace {

// A pattern whose every pixel differs from its neighbours; alpha varies too.
Bytes pattern(int w, int h, int channels)
{
    Bytes b;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            b.push_back(static_cast<unsigned char>(x * 7 + y));
            b.push_back(static_cast<unsigned char>(y * 5 + 20));
            b.push_back(static_cast<unsigned char>(200 - x));
            if (channels == 4)
                b.push_back(static_cast<unsigned char>(128 + x % 64));
        }
    return b;
}

std::string jpeg64x48()
{
    static const std::string path =
        convertPixels("plain.jpg", 64, 48, 3, pattern(64, 48, 3), "-quality 90");
    return path;
}

std::string png300WithAlpha()
{
    static const std::string path =
        convertPixels("PNG32:smoke300.png", 300, 300, 4, pattern(300, 300, 4));
    return path;
}

// A test case's name and the file it makes.
using NamedFile = std::pair<const char*, std::function<std::string()>>;

// Loads the file and returns what it printed on standard output.
std::string loadLine(const std::string& path, int w, int h,
                     const std::function<void(Image&)>& look = {})
{
    testing::internal::CaptureStdout();
    Image image(path.c_str(), w, h);
    fflush(stdout);
    const std::string line = testing::internal::GetCapturedStdout();
    if (look)
        look(image);
    return line;
}

uint32_t rgbValue(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

}  // namespace

// --- Every load prints one line: file, resize piece, alpha piece, depth -----

struct LoadLineCase {
    const char* what;
    std::function<std::string()> file;
    int requestW, requestH;
    const char* tail;  // after `Image: Loaded file "<path>"`
    int width, height, bpp;
    bool alpha;
};

void PrintTo(const LoadLineCase& c, std::ostream* out)
{
    *out << c.what;
}

class LoadLine : public testing::TestWithParam<LoadLineCase> {};

TEST_P(LoadLine, ReadsAsTheSystemPrintsIt)
{
    const LoadLineCase& c = GetParam();
    const std::string path = c.file();
    int w = 0, h = 0, bpp = 0;
    bool alpha = false;
    const std::string line = loadLine(path, c.requestW, c.requestH, [&](Image& image) {
        w = image.width();
        h = image.height();
        bpp = image.bitsPerPixel();
        alpha = image.hasAlpha();
    });
    EXPECT_EQ(line, "Image: Loaded file \"" + path + "\"" + c.tail + "\n");
    EXPECT_EQ(w, c.width);
    EXPECT_EQ(h, c.height);
    EXPECT_EQ(bpp, c.bpp);
    EXPECT_EQ(alpha, c.alpha);
}

INSTANTIATE_TEST_SUITE_P(
    Image, LoadLine,
    testing::Values(
        LoadLineCase{"JpegAtItsOwnSize", jpeg64x48, 0, 0, ", 24 bpp", 64, 48, 24, false},
        LoadLineCase{"JpegStretched", jpeg64x48, 512, 512, ", resize: 64x48->512x512, 24 bpp", 512,
                     512, 24, false},
        LoadLineCase{"PngWithAlphaStretched", png300WithAlpha, 256, 256,
                     ", resize: 300x300->256x256, has Alpha, 32 bpp", 256, 256, 32, true},
        LoadLineCase{
            "PngWithAlphaAlreadyAtSize",
            [] { return convertPixels("PNG32:at256.png", 256, 256, 4, pattern(256, 256, 4)); }, 256,
            256, ", has Alpha, 32 bpp", 256, 256, 32, true},
        LoadLineCase{"OneDimensionDiffering", jpeg64x48, 64, 64, ", resize: 64x48->64x64, 24 bpp",
                     64, 64, 24, false},
        LoadLineCase{"ZeroWidthKeepsTheFileSize", jpeg64x48, 0, 512, ", 24 bpp", 64, 48, 24, false},
        LoadLineCase{"NegativeSizeKeepsTheFileSize", jpeg64x48, -1, -1, ", 24 bpp", 64, 48, 24,
                     false},
        LoadLineCase{"Bmp24AtItsOwnSize",
                     [] { return writeBmp24("plain.bmp", 5, 3, pattern(5, 3, 3)); }, 0, 0,
                     ", 24 bpp", 5, 3, 24, false}),
    [](const testing::TestParamInfo<LoadLineCase>& info) { return info.param.what; });

// --- Pixels come as the file's loader laid them out -------------------------

TEST(ImagePixels, BmpPixelsAreBlueGreenRedInMemoryWithTheTopRowFirst)
{
    const Bytes rgb = pattern(5, 3, 3);
    Image image(writeBmp24("bgr.bmp", 5, 3, rgb).c_str(), 0, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const unsigned char* c = &rgb[size_t(y * 5 + x) * 3];
            EXPECT_EQ(image.getPixel(x, y),
                      uint32_t(c[2]) | uint32_t(c[1]) << 8 | uint32_t(c[0]) << 16)
                << x << "," << y;
        }
}

TEST(ImagePixels, OutsideThePictureGetPixelIsZero)
{
    Image image(writeBmp24("white.bmp", 5, 3, Bytes(5 * 3 * 3, 255)).c_str(), 0, 0);
    EXPECT_EQ(image.getPixel(4, 2), 0xFFFFFFu);
    EXPECT_EQ(image.getPixel(5, 0), 0u);
    EXPECT_EQ(image.getPixel(0, 3), 0u);
    EXPECT_EQ(image.getPixel(uint32_t(-1), 0), 0u);  // a negative column passed through
    EXPECT_EQ(image.getPixel(0, uint32_t(-1)), 0u);
}

TEST(ImagePixels, PngPixelsAreRedGreenBlueAndGetPixelIgnoresAlpha)
{
    const Bytes rgba = pattern(6, 4, 4);
    Image image(convertPixels("PNG32:rgba.png", 6, 4, 4, rgba).c_str(), 0, 0);
    ASSERT_TRUE(image.hasAlpha());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const unsigned char* c = &rgba[size_t(y * 6 + x) * 4];
            EXPECT_EQ(image.getPixel(x, y), rgbValue(c));
            EXPECT_EQ(image.pixels()[y * image.pitch() + x * 4 + 3], c[3]);
        }
}

TEST(ImagePixels, StretchingCopiesNearestPixelsAndKeepsDepthAndByteOrder)
{
    // 2x1: opaque red, then half-transparent blue; stretched to 4x2.
    const Bytes rgba = {255, 0, 0, 255, 0, 0, 255, 128};
    Image png(convertPixels("PNG32:two.png", 2, 1, 4, rgba).c_str(), 4, 2);
    EXPECT_EQ(png.bitsPerPixel(), 32);
    EXPECT_TRUE(png.hasAlpha());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const unsigned char* p = png.pixels() + y * png.pitch() + x * 4;
            const unsigned char* want = &rgba[x < 2 ? 0 : 4];
            EXPECT_EQ(Bytes(p, p + 4), Bytes(want, want + 4)) << x << "," << y;
        }

    // A 24-bit BMP stays 24-bit with its blue, green, red bytes.
    const Bytes rgb = {10, 20, 30, 40, 50, 60};
    Image bmp(writeBmp24("two.bmp", 2, 1, rgb).c_str(), 4, 2);
    EXPECT_EQ(bmp.bitsPerPixel(), 24);
    EXPECT_FALSE(bmp.hasAlpha());
    EXPECT_EQ(bmp.getPixel(0, 1), 30u | 20u << 8 | 10u << 16);
    EXPECT_EQ(bmp.getPixel(3, 0), 60u | 50u << 8 | 40u << 16);
}

// --- Pictures of other layouts become 24-bit red, green, blue ---------------

struct ConvertCase {
    const char* what;
    std::function<std::string()> file;
    uint32_t topLeft, bottomRight;  // red | green << 8 | blue << 16
};

void PrintTo(const ConvertCase& c, std::ostream* out)
{
    *out << c.what;
}

class OtherLayouts : public testing::TestWithParam<ConvertCase> {};

// Red, green, blue, white / grey, yellow, cyan, dark blue: few colours, so
// that palettes hold them exactly.
const Bytes kEight = {255, 0,   0,   0,   255, 0, 0, 0,   255, 255, 255, 255,
                      128, 128, 128, 255, 255, 0, 0, 255, 255, 0,   0,   64};

std::string palettisedBmp()
{
    SDL_Surface* s = SDL_CreateRGBSurface(0, 4, 2, 8, 0, 0, 0, 0);
    SDL_Color colours[8];
    for (int i = 0; i < 8; ++i) {
        colours[i] = {kEight[i * 3], kEight[i * 3 + 1], kEight[i * 3 + 2], 0};
        static_cast<unsigned char*>(s->pixels)[(i / 4) * s->pitch + i % 4] = Uint8(i);
    }
    SDL_SetColors(s, colours, 0, 8);
    const std::string path = pictureDir() + "/palette.bmp";
    SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    return path;
}

TEST_P(OtherLayouts, LoadAsRedGreenBlueBytesThatReadersCanWalk)
{
    const ConvertCase& c = GetParam();
    const std::string path = c.file();
    const std::string line = loadLine(path, 0, 0, [&](Image& image) {
        EXPECT_EQ(image.bitsPerPixel(), 24);
        EXPECT_FALSE(image.hasAlpha());
        EXPECT_GE(image.pitch(), image.width() * 3);
        const auto near = [](uint32_t a, uint32_t b) {
            for (int shift = 0; shift < 24; shift += 8)
                if (std::abs(int((a >> shift) & 255) - int((b >> shift) & 255)) > 8)
                    return false;
            return true;
        };
        EXPECT_PRED2(near, image.getPixel(0, 0), c.topLeft);
        EXPECT_PRED2(near, image.getPixel(image.width() - 1, image.height() - 1), c.bottomRight);
    });
    EXPECT_EQ(line, "Image: Loaded file \"" + path + "\", 24 bpp\n");

    int bpp = 0;
    loadLine(path, 16, 16, [&](Image& image) { bpp = image.bitsPerPixel(); });
    EXPECT_EQ(bpp, 24);
}

INSTANTIATE_TEST_SUITE_P(
    Image, OtherLayouts,
    testing::Values(ConvertCase{"PalettisedBmp", palettisedBmp, 0x0000FF, 0x400000},
                    ConvertCase{"Bmp16BitRgb565",
                                [] {
                                    return convertPixels("rgb565.bmp", 4, 2, 3, kEight,
                                                         "-define bmp:subtype=RGB565");
                                },
                                0x0000FF, 0x400000},
                    ConvertCase{"PalettisedPng",
                                [] { return convertPixels("PNG8:palette.png", 4, 2, 3, kEight); },
                                0x0000FF, 0x400000},
                    ConvertCase{
                        "GreyscalePng",
                        [] {
                            Bytes grey;
                            for (int i = 0; i < 8; ++i)
                                grey.insert(grey.end(), 3, static_cast<unsigned char>(i * 30 + 10));
                            return convertPixels("grey.png", 4, 2, 3, grey, "-type Grayscale");
                        },
                        0x0A0A0A, 0xE0E0E0}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return info.param.what; });

// --- JPEG files that are whole load, however they are structured -----------

class WholeJpegs : public testing::TestWithParam<NamedFile> {};

TEST_P(WholeJpegs, Load)
{
    const std::string path = GetParam().second();
    EXPECT_EQ(loadLine(path, 0, 0), "Image: Loaded file \"" + path + "\", 24 bpp\n");
}

INSTANTIATE_TEST_SUITE_P(
    Image, WholeJpegs,
    testing::Values(NamedFile("Baseline", jpeg64x48),
                    NamedFile("Progressive",
                              [] {
                                  return convertPixels("progressive.jpg", 64, 48, 3,
                                                       pattern(64, 48, 3), "-interlace JPEG");
                              }),
                    NamedFile("WithRestartMarkers",
                              [] {
                                  return convertPixels("restart.jpg", 64, 48, 3, pattern(64, 48, 3),
                                                       "-define jpeg:restart-interval=1");
                              }),
                    NamedFile("WithACommentAndBytesAfterTheEnd",
                              [] {
                                  const std::string path =
                                      convertPixels("trailing.jpg", 64, 48, 3, pattern(64, 48, 3),
                                                    "-set comment hello");
                                  Bytes bytes = readFile(path);
                                  bytes.insert(bytes.end(), {0x00, 0x11, 0xFF, 0x22});
                                  return writeFile("trailing.jpg", bytes);
                              }),
                    NamedFile("Greyscale",
                              [] {
                                  return convertPixels("greyscale.jpg", 64, 48, 3,
                                                       pattern(64, 48, 3), "-type Grayscale");
                              })),
    [](const auto& info) { return std::string(info.param.first); });

// --- A file that cannot be read ends the process with the load report -------

size_t offsetOf(const Bytes& bytes, const Bytes& what)
{
    const auto at = std::search(bytes.begin(), bytes.end(), what.begin(), what.end());
    if (at == bytes.end())
        throw std::runtime_error("marker not found");
    return size_t(at - bytes.begin());
}

std::string pngFile()
{
    return convertPixels("PNG32:good.png", 32, 32, 4, pattern(32, 32, 4));
}

std::string bmpFile()
{
    return writeBmp24("good.bmp", 32, 32, pattern(32, 32, 3));
}

// A BMP header claiming 20000 x 1 pixels at 24 bits, with all its data: wider
// than an SDL surface row can be.
std::string tooWideBmp()
{
    const uint32_t w = 20000, row = w * 3, size = 54 + row;
    Bytes b(size, 0x80);
    const auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i)
            b[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, size, 4);
    put(6, 0, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, w, 4);
    put(22, 1, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(30, 0, 4);
    put(34, row, 4);
    put(38, 2835, 4);
    put(42, 2835, 4);
    put(46, 0, 4);
    put(50, 0, 4);
    return writeFile("wide.bmp", b);
}

// Death tests fork (gtest's default style): the child sees the files that
// the parent made, and these tests start no threads.
class BadFiles : public testing::TestWithParam<NamedFile> {};

TEST_P(BadFiles, EndTheProcessWithTheLoadReportAndExitCode1)
{
    const std::string path = GetParam().second();
    // Some decoders add a line of their own before the report.
    EXPECT_EXIT(Image(path.c_str(), 512, 512), ExitedWithCode(1),
                EndsWith("Image: Unable to load file \"" + path + "\"\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Image, BadFiles,
    testing::Values(
        NamedFile("Missing", [] { return pictureDir() + "/none.png"; }),
        NamedFile("AFolder", [] { return pictureDir(); }),
        NamedFile("Empty", [] { return writeFile("empty.jpg", {}); }),
        NamedFile("TextNamedPng",
                  [] {
                      return writeFile("text.png", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
                  }),
        NamedFile("JpegWithABrokenHuffmanTable",
                  [] {
                      return flippedCopy(jpeg64x48(), "badhuffman.jpg",
                                         offsetOf(readFile(jpeg64x48()), {0xFF, 0xC4}) + 4);
                  }),
        NamedFile("PngWithDamagedPixelData",
                  [] {
                      return flippedCopy(pngFile(), "badcrc.png",
                                         offsetOf(readFile(pngFile()), {'I', 'D', 'A', 'T'}) + 8);
                  }),
        NamedFile("BmpWithADamagedDepth",
                  [] { return flippedCopy(bmpFile(), "baddepth.bmp", 28); }),
        NamedFile("BmpTooWideForASurface", tooWideBmp)),
    [](const auto& info) { return std::string(info.param.first); });

TEST(ImageFailures, AMissingFileReportsOnlyTheLoadLine)
{
    const std::string path = pictureDir() + "/images/floor01.jpg";
    EXPECT_EXIT(Image(path.c_str(), 512, 512), ExitedWithCode(1),
                Eq("Image: Unable to load file \"" + path + "\"\n"));
}

TEST(ImageFailures, AStretchTooLargeForASurfaceReportsTheSurfaceFailure)
{
    const std::string path = jpeg64x48();
    EXPECT_EXIT(Image(path.c_str(), 20000, 4), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: Width or height is too large"));
}

TEST(ImageFailures, MadeSurfacesOnlyComeInTextureLayouts)
{
    EXPECT_EXIT(Image(nullptr, 4, 4, 16, false), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 16 bpp without alpha is not a texture layout"));
    EXPECT_EXIT(Image(nullptr, 4, 4, 24, true), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 24 bpp with alpha is not a texture layout"));
    EXPECT_EXIT(Image(nullptr, 4, 4, 32, false), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 32 bpp without alpha is not a texture layout"));
    unsigned char buffer[16];
    EXPECT_EXIT(Image(buffer, 20000, 1, 32, true), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: Width or height is too large"));
}

// --- setPixel writes exactly one pixel of the surface's own size ------------

TEST(ImageSetPixel, WritesOnePixelOfThreeOrFourBytesAndNothingElse)
{
    for (const int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        const int bytes = bpp / 8;
        Image image(nullptr, 3, 2, bpp, bpp == 32);
        ASSERT_EQ(image.pitch(), (3 * bytes + 3) & ~3);
        const size_t total = size_t(image.pitch()) * 2;
        std::memset(image.pixels(), 0xAA, total);

        image.setPixel(2, 1, 0x11223344);
        image.setPixel(3, 0, 0x55555555);  // outside: nothing
        image.setPixel(0, 2, 0x55555555);
        image.setPixel(uint32_t(-1), 0, 0x55555555);

        Bytes expected(total, 0xAA);
        const size_t at = size_t(image.pitch()) + 2 * bytes;
        const unsigned char value[4] = {0x44, 0x33, 0x22, 0x11};
        std::copy(value, value + bytes, expected.begin() + at);
        EXPECT_EQ(Bytes(image.pixels(), image.pixels() + total), expected);
        EXPECT_EQ(image.getPixel(2, 1), 0x223344u);
    }
}

TEST(ImageSetPixel, AWrappedBufferIsTheCallersPaddedMemory)
{
    unsigned char buffer[2 * 12];
    std::memset(buffer, 0, sizeof buffer);
    {
        Image image(buffer, 3, 2, 24, false);
        EXPECT_EQ(image.pixels(), buffer);
        EXPECT_EQ(image.pitch(), 12);
        EXPECT_FALSE(image.hasAlpha());
        image.setPixel(0, 1, 0x030201);
    }
    EXPECT_EQ(buffer[12], 1);
    EXPECT_EQ(buffer[13], 2);
    EXPECT_EQ(buffer[14], 3);
}

TEST(ImageBlank, AnImageWithoutASurfaceIsEmpty)
{
    Image image;
    EXPECT_EQ(image.width(), 0);
    EXPECT_EQ(image.height(), 0);
    EXPECT_EQ(image.pixels(), nullptr);
    EXPECT_FALSE(image.hasAlpha());
    EXPECT_EQ(image.getPixel(0, 0), 0u);
    image.setPixel(0, 0, 1);
}

TEST(ImageFailures, AFileCutAnywhereIsRefused)
{
    for (const std::string& whole : {jpeg64x48(), pngFile(), bmpFile()}) {
        const size_t n = readFile(whole).size();
        std::vector<size_t> cuts = {1, 2, 3, n - 3, n - 2, n - 1};
        for (size_t k = 1; k < 12; ++k)
            cuts.push_back(n * k / 12);
        for (const size_t keep : cuts) {
            const std::string path =
                truncatedCopy(whole, "cut" + whole.substr(whole.rfind('.')), keep);
            SCOPED_TRACE(path + " cut to " + std::to_string(keep) + " of " + std::to_string(n));
            EXPECT_EXIT(Image(path.c_str(), 0, 0), ExitedWithCode(1),
                        EndsWith("Image: Unable to load file \"" + path + "\"\n"));
        }
    }
}
