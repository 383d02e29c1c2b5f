// libFuzzer target for picture loading: whatever bytes a picture file holds,
// the checks made before decoding, the decoders, the conversion to a texture
// layout, the stretch and a walk over every pixel (as the cloud maps are
// read) must neither crash, read or write out of bounds, nor hang. A refused
// picture returns to the caller here; the show's load ends the process with
// the load report instead. Built and run by tools/fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "gfx/Image.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A load line for every input would only slow the run down.
    if (!freopen("/dev/null", "w", stdout))
        return 1;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Odd sizes are kept at the picture's own size, even ones stretched as
    // the textures ask for theirs.
    const int side = size % 2 ? 0 : 64;
    Image image;
    if (!image.loadBytes(data, size, "fuzz input", side, side))
        return 0;
    static volatile uint32_t sink;
    if (uint64_t(image.width()) * uint64_t(image.height()) <= 1u << 20)
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                sink = sink + image.getPixel(x, y);
    return 0;
}
