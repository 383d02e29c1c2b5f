#include "gfx/Texture.h"

#include "gfx/Image.h"

Texture::Texture(const void* pixels, int width, int height, bool alpha)
{
    upload(pixels, width, height, alpha);
}

// Every Image holds 3 bytes per pixel without alpha or 4 with alpha, rows
// padded to 4 bytes: exactly what the upload reads.
Texture::Texture(const Image& image)
{
    upload(image.pixels(), image.width(), image.height(), image.hasAlpha());
}

Texture::Texture(const char* fileName, int w, int h)
{
    const Image image(fileName, w, h);
    upload(image.pixels(), image.width(), image.height(), image.hasAlpha());
}

Texture::~Texture()
{
    glDeleteTextures(1, &name);
}

void Texture::bind() const
{
    glBindTexture(GL_TEXTURE_2D, name);
}

void Texture::upload(const void* pixels, int w, int h, bool alpha)
{
    glGenTextures(1, &name);
    glGetError();  // clears one stale error flag; nothing is reported
    glBindTexture(GL_TEXTURE_2D, name);
    // Texture-unit state, set again with every texture.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    width = w;
    height = h;
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA8 : GL_RGB8, w, h, 0,
                 alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
}
