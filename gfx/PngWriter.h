// PngWriter: writes 8-bit RGB pictures as PNG files through libpng, with a
// fast compression level (the renderer writes one per frame). The same pixels
// always give the same bytes. Any thread; one call per file.
#pragma once

#include <string>

class PngWriter {
public:
    // Added to a file's name while it is being written.
    static constexpr const char* kPartialSuffix = ".part";

    // rgb: height rows of width * 3 bytes, packed. With bottomUp the first row
    // is the picture's bottom one, as GL reads pixels back; the file always
    // starts with the top row. The file is written under a temporary name and
    // renamed when complete, so a failed write leaves no partial picture.
    // Empty when written, otherwise why not (the file is then absent).
    static std::string write(const std::string& path, const unsigned char* rgb, int width, int height,
                             bool bottomUp);
};
