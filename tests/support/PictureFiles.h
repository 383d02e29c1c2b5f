// Test support: picture files with known contents, written by ImageMagick's
// convert into one private temporary folder per test program (removed when
// the program ends). Main thread.
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
