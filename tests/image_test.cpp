// Image: the load line, pixels kept as the loader laid them out (or converted
// when they are neither 3 nor 4 bytes), and clean failure on bad files of
// any kind, damaged or hostile.
#include "gfx/Image.h"
#include "support/PictureFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using testing::EndsWith;
using testing::Eq;
using testing::ExitedWithCode;

namespace {

// Every pixel differs from its neighbours; alpha varies too.
Bytes pattern(int w, int h, int channels)
{
    Bytes b;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            b.insert(b.end(), {Uint8(x * 7 + y), Uint8(y * 5 + 20), Uint8(200 - x)});
            if (channels == 4)
                b.push_back(Uint8(128 + x % 64));
        }
    return b;
}

// One whole file of each kind, made once.
struct Files {
    std::string jpeg, png, bmp;
};
const Files& files()
{
    static const Files f{
        convertPixels("plain.jpg", 64, 48, 3, pattern(64, 48, 3), "-quality 90"),
        convertPixels("PNG32:plain.png", 32, 32, 4, pattern(32, 32, 4)),
        convertPixels("BMP3:plain.bmp", 32, 32, 3, pattern(32, 32, 3), "-type TrueColor")};
    return f;
}

// A copy of the file under another name, changed by edit.
std::string edited(const std::string& path, const std::string& name,
                   const std::function<void(Bytes&)>& edit)
{
    Bytes bytes = readFile(path);
    edit(bytes);
    return writeFile(name, bytes);
}

}  // namespace

TEST(ImageLoad, PrintsOneLineWithTheResizeAndAlphaPieces)
{
    const std::string jpeg = files().jpeg;
    struct Row {
        const char* what;
        std::string path;
        int requestW, requestH;
        const char* tail;  // after `Image: Loaded file "<path>"`
        int width, height;
    };
    const Row rows[] = {
        {"JPEG at its own size", jpeg, 0, 0, ", 24 bpp", 64, 48},
        {"JPEG stretched", jpeg, 512, 512, ", resize: 64x48->512x512, 24 bpp", 512, 512},
        {"one dimension differing", jpeg, 64, 64, ", resize: 64x48->64x64, 24 bpp", 64, 64},
        {"a zero width keeps the file's size", jpeg, 0, 512, ", 24 bpp", 64, 48},
        {"a negative size keeps the file's size", jpeg, -1, -1, ", 24 bpp", 64, 48},
        {"PNG with alpha stretched",
         convertPixels("PNG32:smoke300.png", 300, 300, 4, pattern(300, 300, 4)), 256, 256,
         ", resize: 300x300->256x256, has Alpha, 32 bpp", 256, 256},
        {"PNG with alpha already at size",
         convertPixels("PNG32:at256.png", 256, 256, 4, pattern(256, 256, 4)), 256, 256,
         ", has Alpha, 32 bpp", 256, 256},
        {"a 24-megapixel photograph",
         convertPixels("photo.jpg", 64, 48, 3, pattern(64, 48, 3), "-sample 6000x4000!"), 512, 512,
         ", resize: 6000x4000->512x512, 24 bpp", 512, 512},
        {"a whole progressive JPEG with a comment and bytes after its end",
         edited(convertPixels("progressive.jpg", 64, 48, 3, pattern(64, 48, 3),
                              "-interlace JPEG -set comment hello"),
                "progressive.jpg", [](Bytes& b) { b.insert(b.end(), {0x00, 0x11, 0xFF, 0x22}); }),
         0, 0, ", 24 bpp", 64, 48},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        testing::internal::CaptureStdout();
        const Image image(r.path.c_str(), r.requestW, r.requestH);
        fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "Image: Loaded file \"" + r.path + "\"" + r.tail + "\n");
        EXPECT_EQ(image.width(), r.width);
        EXPECT_EQ(image.height(), r.height);
        const bool alpha = std::string(r.tail).find("has Alpha") != std::string::npos;
        EXPECT_EQ(image.hasAlpha(), alpha);
        EXPECT_EQ(image.bitsPerPixel(), alpha ? 32 : 24);
    }
}

TEST(ImagePixels, KeepTheLoadersByteOrderTopRowFirstWhenStretchedToTheNearestPixel)
{
    const Bytes source3 = pattern(3, 2, 3), source4 = pattern(3, 2, 4);
    const struct {
        std::string path;
        const Bytes& source;
        int bytes;
        bool blueFirst;  // SDL loads a 24-bit BMP as blue, green, red
    } rows[] = {
        {convertPixels("BMP3:small.bmp", 3, 2, 3, source3, "-type TrueColor"), source3, 3, true},
        {convertPixels("PNG32:small.png", 3, 2, 4, source4), source4, 4, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path);
        const Image image(r.path.c_str(), 6, 4);
        ASSERT_EQ(image.bitsPerPixel(), r.bytes * 8);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) {
                const size_t at = size_t((y / 2) * 3 + x / 2) * r.bytes;
                Bytes want(&r.source[at], &r.source[at] + r.bytes);
                if (r.blueFirst)
                    std::swap(want[0], want[2]);
                const unsigned char* p = image.pixels() + y * image.pitch() + x * r.bytes;
                EXPECT_EQ(Bytes(p, p + r.bytes), want) << x << "," << y;
                EXPECT_EQ(image.getPixel(x, y), uint32_t(want[0] | want[1] << 8 | want[2] << 16))
                    << x << "," << y;
            }
        EXPECT_EQ(image.getPixel(image.width(), 0), 0u);
        EXPECT_EQ(image.getPixel(0, image.height()), 0u);
        EXPECT_EQ(image.getPixel(uint32_t(-1), 0), 0u);  // a negative column passed through
        EXPECT_EQ(image.getPixel(0, uint32_t(-1)), 0u);
    }
}

TEST(ImagePixels, OtherLayoutsBecomeRedGreenBlueBytesBeforeAnyStretch)
{
    // Few colours, so that palettes hold them exactly.
    const Bytes eight = {255, 0,   0,   0,   255, 0, 0, 0,   255, 255, 255, 255,
                         128, 128, 128, 255, 255, 0, 0, 255, 255, 0,   0,   64};
    Bytes grey;
    for (int i = 0; i < 8; ++i)
        grey.insert(grey.end(), 3, Uint8(i * 30 + 10));
    struct Row {
        const char* what;
        const char* name;
        const Bytes& colours;
        const char* options;
    };
    const Row rows[] = {
        {"palettised BMP", "BMP3:palette.bmp", eight, "-type Palette"},
        {"16-bit BMP", "rgb565.bmp", eight, "-define bmp:subtype=RGB565"},
        {"palettised PNG", "PNG8:palette.png", eight, ""},
        {"greyscale PNG", "grey.png", grey, "-type Grayscale"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string path = convertPixels(r.name, 4, 2, 3, r.colours, r.options);
        for (const int scale : {1, 2}) {
            const Image image(path.c_str(), 4 * scale, 2 * scale);
            ASSERT_EQ(image.bitsPerPixel(), 24);
            EXPECT_FALSE(image.hasAlpha());
            for (int i = 0; i < 8; ++i) {
                const uint32_t got = image.getPixel(i % 4 * scale, i / 4 * scale);
                for (int c = 0; c < 3; ++c)  // 16-bit colours are near, not exact
                    EXPECT_NEAR(int(got >> 8 * c & 255), r.colours[i * 3 + c], 8)
                        << "pixel " << i << " at scale " << scale;
            }
        }
    }
}

// Death tests fork: the child sees the files that the parent made.
TEST(ImageFailures, AFileThatCannotBeReadWholeEndsTheProcessWithTheLoadReport)
{
    struct Row {
        std::string what, path;
        bool decoderSpeaks = false;  // libpng writes a line of its own before the report
    };
    const Files& f = files();
    // A copy with the byte `past` bytes after the first marker inverted.
    const auto flipped = [](const std::string& path, const char* name, const Bytes& marker,
                            size_t past) {
        return edited(path, name, [&](Bytes& b) {
            const auto at = std::search(b.begin(), b.end(), marker.begin(), marker.end());
            b.at(size_t(at - b.begin()) + past) ^= 0xFF;
        });
    };
    // A file system entry made by `make` at a path in the picture folder.
    const auto entry = [](const char* name, int (*make)(const char* path)) {
        const std::string path = pictureDir() + "/" + name;
        make(path.c_str());
        return path;
    };
    std::vector<Row> rows = {
        {"missing", pictureDir() + "/none.png"},
        {"a directory", pictureDir()},
        {"a FIFO", entry("fifo.png", [](const char* p) { return mkfifo(p, 0600); })},
        {"a link to /dev/zero", entry("zero.jpg", [](const char* p) { return symlink("/dev/zero", p); })},
        {"a sparse file of 1 TiB", entry("huge.bmp", [](const char* p) {
             return close(open(p, O_CREAT | O_WRONLY, 0600)) | truncate(p, off_t(1) << 40);
         })},
        {"an XPM cut in its pixel rows named .jpg",
         edited(convertPixels("whole.xpm", 4, 2, 3, pattern(4, 2, 3)), "xpm.jpg", [](Bytes& b) {
             const std::string rows = "/* pixels */";
             b.erase(std::search(b.begin(), b.end(), rows.begin(), rows.end()) + 16, b.end());
         })},
        {"a whole GIF", convertPixels("whole.gif", 4, 2, 3, pattern(4, 2, 3))},
        {"a JPEG whose header claims 16000 x 40000", edited(f.jpeg, "claims.jpg", [](Bytes& b) {
             const Bytes frame = {0xFF, 0xC0}, size = {0x9C, 0x40, 0x3E, 0x80};  // height, width
             std::copy(size.begin(), size.end(), std::search(b.begin(), b.end(), frame.begin(), frame.end()) + 5);
         })},
        {"empty", writeFile("empty.jpg", {})},
        {"text named .png", writeFile("text.png", {'h', 'e', 'l', 'l', 'o', '\n'})},
        {"JPEG with a broken Huffman table", flipped(f.jpeg, "huffman.jpg", {0xFF, 0xC4}, 4)},
        {"PNG with damaged pixel data", flipped(f.png, "crc.png", {'I', 'D', 'A', 'T'}, 8), true},
        {"BMP with a damaged depth", flipped(f.bmp, "depth.bmp", {'B', 'M'}, 28)},
    };
    for (const std::string& whole : {f.jpeg, f.png, f.bmp}) {
        const size_t n = readFile(whole).size();
        for (const size_t keep : {size_t(24), n / 2, n - 1}) {
            const std::string name = "cut" + std::to_string(keep) + whole.substr(whole.rfind('.'));
            rows.push_back({name + " of " + std::to_string(n),
                            edited(whole, name, [&](Bytes& b) { b.resize(keep); })});
        }
    }
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string report = "Image: Unable to load file \"" + r.path + "\"\n";
        if (r.decoderSpeaks)
            EXPECT_EXIT(Image(r.path.c_str(), 512, 512), ExitedWithCode(1), EndsWith(report));
        else
            EXPECT_EXIT(Image(r.path.c_str(), 512, 512), ExitedWithCode(1), Eq(report));
    }
}

// With the show's window up, the report is followed by SDL's shutdown, so a
// full-screen mode is given back before the process ends.
TEST(ImageFailures, TheLoadReportShutsSdlDownBeforeTheProcessEnds)
{
    const std::string path = pictureDir() + "/none.png";
    const auto load = [&] {
        SDL_Init(SDL_INIT_TIMER);
        atexit([] { fputs(SDL_WasInit(SDL_INIT_EVERYTHING) ? "SDL still up\n" : "SDL shut down\n", stderr); });
        Image(path.c_str(), 512, 512);
    };
    EXPECT_EXIT(load(), ExitedWithCode(1), Eq("Image: Unable to load file \"" + path + "\"\nSDL shut down\n"));
}

TEST(ImageFailures, ASurfaceThatCannotBeMadeEndsTheProcessWithTheSurfaceReport)
{
    const std::string path = files().jpeg;
    const std::string tooLarge = "SDL_CreateRGBSurface failed: Width or height is too large";
    EXPECT_EXIT(Image(path.c_str(), 20000, 4), ExitedWithCode(1), Eq(tooLarge));
    unsigned char buffer[16];
    EXPECT_EXIT(Image(buffer, 20000, 1, 32, true), ExitedWithCode(1), Eq(tooLarge));
    // Only the two layouts that the texture upload reads can be made.
    EXPECT_EXIT(Image(nullptr, 4, 4, 16, false), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 16 bpp without alpha is not a texture layout"));
    EXPECT_EXIT(Image(nullptr, 4, 4, 24, true), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 24 bpp with alpha is not a texture layout"));
    EXPECT_EXIT(Image(nullptr, 4, 4, 32, false), ExitedWithCode(1),
                Eq("SDL_CreateRGBSurface failed: 32 bpp without alpha is not a texture layout"));
}

TEST(ImageSetPixel, WritesExactlyOnePixelOfTheSurfacesOwnSizeIntoTheWrappedMemory)
{
    for (const int bytes : {3, 4}) {
        SCOPED_TRACE(bytes);
        const int pitch = 12;  // three pixels, rows padded to 4 bytes
        Bytes memory(2 * pitch, 0xAA);
        {
            Image image(memory.data(), 3, 2, bytes * 8, bytes == 4);
            ASSERT_EQ(image.pixels(), memory.data());
            image.setPixel(2, 1, 0x11223344);
            for (const uint32_t outside : {3u, uint32_t(-1)}) {
                image.setPixel(outside, 0, 0x55555555);
                image.setPixel(0, outside, 0x55555555);
            }
            EXPECT_EQ(image.getPixel(2, 1), 0x223344u);
        }
        Bytes expected(2 * pitch, 0xAA);
        const unsigned char value[] = {0x44, 0x33, 0x22, 0x11};
        std::copy(value, value + bytes, expected.begin() + pitch + 2 * bytes);
        EXPECT_EQ(memory, expected);
    }
}
