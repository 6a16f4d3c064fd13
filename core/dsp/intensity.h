#pragma once
// The intensity contour of a channel: the short-time level in dB (or its
// relative form) of every sample, computed frame by frame as the
// mean-square of the samples after subtracting the channel's reference and
// kept per frame (IntensityContour answers per sample).
// Stages: frame length n = round(window ms · fs/1000), step st = step ms ·
// fs/1000 (not rounded); frames i < (total − n)/st at (int)(i·st); values
// spread over each frame's samples (later frames win), 0 after the last
// frame; in relative mode the minimum is subtracted.

#include <cstdint>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/intensity_contour.h"
#include "core/dsp/math_func.h"
#include "core/dsp/sample_source.h"
#include "core/platform/progress.h"

namespace vox {


struct IntensityFrameSizes {
    int window = 0;    // samples
    double step = 0.0;  // samples
};
IntensityFrameSizes intensity_frame_sizes(double window_ms, double step_ms, double fs);

// Computes the frames of the contour of `total` samples of `source` into
// `contour`. False when the progress window reported a cancel. Throws
// SampleReadError when the raw file cannot be read.
bool ComputeIntensityFrames(SampleSource& source, std::uint64_t total, double fs, double offset,
                            const IntensityOptions& options, Progress& progress, IntensityContour& contour,
                            int threads = 0);

// The same contour spread over the samples: out[0..total−1] (out must hold
// total entries).
bool ComputeIntensityContour(SampleSource& source, std::size_t total, double fs, double offset,
                             const IntensityOptions& options, Progress& progress, double* out, EnergyRange& range,
                             int threads = 0);


}  // namespace vox
