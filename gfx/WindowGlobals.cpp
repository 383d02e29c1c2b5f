#include "gfx/WindowGlobals.h"

int gWindowWidth = 0;
int gWindowHeight = 0;
int gWindowBpp = 0;
float gWindowAspect = 1.0f;

void setWindowGlobals(int width, int height, int bpp)
{
    gWindowBpp = bpp;
    gWindowWidth = width;
    gWindowHeight = height;
    gWindowAspect = static_cast<float>(static_cast<double>(height) / width);
}
