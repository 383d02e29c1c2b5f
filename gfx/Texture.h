// Texture: one OpenGL 2D texture object with the system's fixed parameters
// (bilinear, no mipmaps, repeat wrapping, GL_MODULATE, 8 bits per channel).
// Main thread only, with the GL context current from creation to deletion.
#pragma once

#include <GL/glew.h>

class Image;

class Texture {
public:
    // Uploads width x height RGB (or RGBA with alpha) bytes; null pixels
    // reserve storage with undefined contents, for rendering or copying into.
    Texture(const void* pixels, int width, int height, bool alpha);
    // Uploads an image's pixels at its own size.
    explicit Texture(const Image& image);
    // Loads the file stretched to width x height (an unreadable file ends the
    // process inside Image) and uploads it.
    Texture(const char* fileName, int width, int height);
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    void bind() const;

    int width;
    int height;
    GLuint name = 0;

private:
    void upload(const void* pixels, int width, int height, bool alpha);
};
