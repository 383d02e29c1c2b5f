// PngFrameOutput: written frames as numbered PNG files (00000.png, ...) in
// the --out folder, through FrameWriter's encoder thread. Main thread.
#pragma once

#include "render/FrameOutput.h"
#include "render/FrameWriter.h"
#include "render/RenderSettings.h"

class PngFrameOutput : public FrameOutput {
public:
    explicit PngFrameOutput(const RenderSettings& settings);

    Pixels pixels() const override { return Pixels::Rgb; }
    std::vector<unsigned char> buffer() override { return writer_.buffer(); }
    bool write(int k, std::vector<unsigned char> pixels) override;
    bool finish() override { return writer_.finish(); }
    std::string failure() const override;
    std::string name() const override { return settings_.outDir; }

private:
    RenderSettings settings_;
    FrameWriter writer_;
};
