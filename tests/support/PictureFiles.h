// Test support: picture files with known contents, written into one private
// temporary folder per test program (removed when the program ends). PNG and
// JPEG files are encoded by ImageMagick's convert. Main thread.
#pragma once

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The folder, made on first use.
std::string pictureDir();

// Writes bytes to pictureDir()/name and returns the path.
std::string writeFile(const std::string& name, const Bytes& bytes);
Bytes readFile(const std::string& path);

// Encodes width x height pixels of channels bytes each (3: RGB, 4: RGBA; top
// row first) with `convert PAM:- <options> <name>`; name may carry a format
// prefix such as "PNG32:". Returns the path without the prefix.
std::string convertPixels(const std::string& name, int width, int height, int channels,
                          const Bytes& pixels, const std::string& options = "");

// Runs `convert <arguments> <pictureDir()/name>` and returns the path.
std::string convertPicture(const std::string& name, const std::string& arguments);

// A 24-bit BMP written by SDL from RGB bytes, top row first.
std::string writeBmp24(const std::string& name, int width, int height, const Bytes& rgb);

// The same file cut to its first `keep` bytes, or with the byte at `offset`
// inverted: damaged copies for the failure tests.
std::string truncatedCopy(const std::string& path, const std::string& name, size_t keep);
std::string flippedCopy(const std::string& path, const std::string& name, size_t offset);
