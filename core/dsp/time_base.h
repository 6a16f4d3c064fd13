#pragma once
// Where analysis results sit in time. Every result computed from a stretch
// of samples (pitch values, intensity frames, spectrogram columns, FFT/LPC
// slices) turns its sample positions into milliseconds here, so that the
// display, the readouts, the log and the command line agree on every time.

#include <cstddef>
#include <optional>
#include <utility>

namespace vox {

// Milliseconds from the start of the recording to a (possibly fractional)
// sample position at rate_hz; 0 when the rate is not positive.
inline double sample_time_ms(double sample, double rate_hz) {
    return rate_hz > 0.0 ? sample * 1000.0 / rate_hz : 0.0;
}

// Values at regular times: value i at first_ms + i·step_ms.
struct TimeBase {
    double first_ms = 0.0;  // time of value 0 (ms from the start of the recording)
    double step_ms = 0.0;   // between values (ms)

    // Value i's time at first_ms + i·step_ms from a first sample position and a step in samples.
    static TimeBase of_samples(double first_sample, double step_samples, double rate_hz) {
        return TimeBase{sample_time_ms(first_sample, rate_hz), sample_time_ms(step_samples, rate_hz)};
    }
    double time_ms(std::size_t i) const { return first_ms + step_ms * static_cast<double>(i); }
    // Index of the value (of count) whose time is nearest to ms; none when ms
    // lies more than half a step outside them.
    std::optional<std::size_t> index_at(double ms, std::size_t count) const;
    // Indices [first, last) of the values (of count) whose times lie in [lo_ms, hi_ms].
    std::pair<std::size_t, std::size_t> indices_between(double lo_ms, double hi_ms, std::size_t count) const;
};

}  // namespace vox
