// PngFrameOutput: written frames as numbered PNG files (00000.png, ...) in
// the --out folder, encoded by two FrameWriters that take turns, so that two
// frames can be compressed at once while the next is drawn. Main thread.
#pragma once

#include <memory>

#include "render/FrameOutput.h"
#include "render/FrameWriter.h"
#include "render/RenderSettings.h"

class PngFrameOutput : public FrameOutput {
public:
    explicit PngFrameOutput(const RenderSettings& settings);

    Pixels pixels() const override { return Pixels::Rgb; }
    std::vector<unsigned char> buffer() override;
    bool write(int k, std::vector<unsigned char> pixels) override;
    bool finish() override;
    std::string failure() const override { return failure_; }
    std::string name() const override { return settings_.outDir; }

private:
    static constexpr int kWriters = 2;

    RenderSettings settings_;
    std::unique_ptr<FrameWriter> writers_[kWriters];
    int next_ = 0;  // the frame number the next buffer is for
    std::string failure_;
};
