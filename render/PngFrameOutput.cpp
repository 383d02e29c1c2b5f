#include "render/PngFrameOutput.h"

PngFrameOutput::PngFrameOutput(const RenderSettings& settings) : settings_(settings)
{
    for (auto& writer : writers_)
        writer = std::make_unique<FrameWriter>(settings.width, settings.height);
}

std::vector<unsigned char> PngFrameOutput::buffer()
{
    return writers_[next_ % kWriters]->buffer();
}

bool PngFrameOutput::write(int k, std::vector<unsigned char> pixels)
{
    next_ = k + 1;
    return writers_[k % kWriters]->write(settings_.framePath(k), std::move(pixels));
}

// Both writers finish; the failure reported is the earliest frame's. Frame
// names sort as their numbers do.
bool PngFrameOutput::finish()
{
    std::string first;
    for (auto& writer : writers_) {
        if (writer->finish())
            continue;
        if (first.empty() || writer->failedPath() < first) {
            first = writer->failedPath();
            failure_ = "cannot write " + writer->failedPath() + ": " + writer->failure();
        }
    }
    return failure_.empty();
}
