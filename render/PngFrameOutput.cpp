#include "render/PngFrameOutput.h"

PngFrameOutput::PngFrameOutput(const RenderSettings& settings)
    : settings_(settings), writer_(settings.width, settings.height)
{
}

bool PngFrameOutput::write(int k, std::vector<unsigned char> pixels)
{
    return writer_.write(settings_.framePath(k), std::move(pixels));
}

std::string PngFrameOutput::failure() const
{
    if (writer_.failure().empty())
        return "";
    return "cannot write " + writer_.failedPath() + ": " + writer_.failure();
}
