#pragma once
// The intensity contour of a channel, kept per frame: frame f covers samples
// start(f) … start(f) + window − 1 with start(f) = (int)(f·step) (step in
// samples, not rounded). A sample reads the value of the last frame that
// starts at or before it while that frame still covers it, and 0 where no
// frame covers it (before the first frame, in gaps when the step exceeds
// the window, after the last frame); in relative mode the contour's minimum
// is subtracted from every sample's value. So the contour answers for every
// sample of the channel what a block of one value per sample would hold, in
// two values per frame instead of one per sample.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/dsp/time_base.h"

namespace vox {

class IntensityContour {
public:
    // Frames values[0 … F) of `window` samples every `step` samples over a
    // channel of `total` samples (each frame inside it) at rate_hz. relative
    // subtracts the minimum over all samples.
    void assign(std::vector<double> values, int window, double step, std::uint64_t total, bool relative,
                double rate_hz = 0.0);
    // No contour.
    void reset();

    // A contour is held (possibly with no frames, all 0).
    bool valid() const { return valid_; }
    // Samples covered: the channel's length when computed.
    std::uint64_t size() const { return total_; }
    // Value (dB) at a sample; 0 beyond size().
    double operator[](std::uint64_t sample) const;
    // Smallest and largest value over all samples.
    double min() const { return min_; }
    double max() const { return max_; }

    std::size_t frames() const { return values_.size(); }
    std::uint64_t frame_start(std::size_t f) const {
        return static_cast<std::uint64_t>(static_cast<double>(f) * step_);
    }
    // A frame's value as a sample it decides reads it (shift applied).
    double frame_value(std::size_t f) const { return values_[f] - shift_; }
    int window() const { return window_; }
    double step() const { return step_; }
    // The frame whose value sample s reads; none when it reads 0.
    std::optional<std::size_t> frame_at(std::uint64_t sample) const;

    // --- times (the contour's time base: sample s at s × 1000 / rate ms) ---
    double rate() const { return rate_; }
    // Length of the samples covered (ms).
    double duration_ms() const { return sample_time_ms(static_cast<double>(total_), rate_); }
    // Time of a sample, and of the first sample of frame f (ms).
    double time_ms(std::uint64_t sample) const { return sample_time_ms(static_cast<double>(sample), rate_); }
    double frame_time_ms(std::size_t f) const { return time_ms(frame_start(f)); }
    // Value (dB) at a time: the sample at ms × size / duration, truncated;
    // 0 outside the contour.
    double value_at_ms(double ms) const;
    // Mean of the values of the samples whose times lie in [lo_ms, hi_ms]
    // (frame by frame, weighted by the samples each decides there); 0 when
    // none.
    double mean_between(double lo_ms, double hi_ms) const;

private:
    std::vector<double> values_;
    int window_ = 0;
    double step_ = 0.0;
    std::uint64_t total_ = 0;
    double shift_ = 0.0;
    double min_ = 0.0, max_ = 0.0;
    double rate_ = 0.0;  // Hz
    bool valid_ = false;
};

}  // namespace vox
