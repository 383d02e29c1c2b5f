// The control page's files as compiled into the program: the page itself,
// its script and its style, each with its content type. Any thread.
#pragma once

#include <cstddef>
#include <string>

struct WebAsset {
    const char* path;  // as requested: "/", "/page.js", "/page.css"
    const char* contentType;
    const unsigned char* body;
    std::size_t size;
};

// The file at `path`, or null.
const WebAsset* findWebAsset(const std::string& path);
