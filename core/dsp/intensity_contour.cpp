// Per-frame intensity contour answering per-sample reads.

#include "core/dsp/intensity_contour.h"

#include <algorithm>
#include <cmath>

namespace vox {

void IntensityContour::assign(std::vector<double> values, int window, double step, std::uint64_t total,
                              bool relative, double rate_hz) {
    rate_ = rate_hz;
    values_ = std::move(values);
    window_ = window;
    step_ = step;
    total_ = total;
    shift_ = 0.0;
    valid_ = true;
    const std::size_t F = values_.size();
    if (F > 0 && !(step > 0.0 && window > 0)) values_.clear();
    // The range over all samples: a frame counts when some sample reads it
    // (a frame that starts where the next one does is read by none), 0 when
    // some sample is covered by no frame.
    bool first = true, zero = total > 0 && (values_.empty() || frame_start(0) > 0);
    double lo = 0.0, hi = 0.0;
    for (std::size_t f = 0; f < values_.size(); ++f) {
        const std::uint64_t s = frame_start(f);
        const std::uint64_t next = f + 1 < values_.size() ? frame_start(f + 1) : total;
        if (next > s) {
            const double v = values_[f];
            if (first || v < lo) lo = v;
            if (first || v > hi) hi = v;
            first = false;
        }
        if (s + static_cast<std::uint64_t>(window_) < next) zero = true;
    }
    if (zero) {
        if (first || 0.0 < lo) lo = 0.0;
        if (first || 0.0 > hi) hi = 0.0;
        first = false;
    }
    if (relative) {
        shift_ = lo;
        min_ = 0.0;
        max_ = hi - lo;
    } else {
        min_ = lo;
        max_ = hi;
    }
}

void IntensityContour::reset() { *this = IntensityContour{}; }

std::optional<std::size_t> IntensityContour::frame_at(std::uint64_t s) const {
    const std::size_t F = values_.size();
    if (F == 0 || s >= total_) return std::nullopt;
    // The last frame starting at or before s: estimated from the step, then
    // corrected for the truncation of each start.
    long long f = static_cast<long long>(std::min<double>(static_cast<double>(s) / step_, static_cast<double>(F - 1)));
    while (f > 0 && frame_start(static_cast<std::size_t>(f)) > s) --f;
    while (f + 1 < static_cast<long long>(F) && frame_start(static_cast<std::size_t>(f + 1)) <= s) ++f;
    const std::uint64_t start = frame_start(static_cast<std::size_t>(f));
    if (start > s || s >= start + static_cast<std::uint64_t>(window_)) return std::nullopt;
    return static_cast<std::size_t>(f);
}

double IntensityContour::operator[](std::uint64_t s) const {
    if (s >= total_) return 0.0;
    const std::optional<std::size_t> f = frame_at(s);
    return (f ? values_[*f] : 0.0) - shift_;
}

double IntensityContour::value_at_ms(double ms) const {
    const double span = duration_ms();
    if (!valid_ || total_ == 0 || !(span > 0.0)) return 0.0;
    const double idx = static_cast<double>(total_) / span * ms;
    if (!(idx >= 0.0) || idx >= static_cast<double>(total_)) return 0.0;
    return (*this)[static_cast<std::uint64_t>(idx)];
}

double IntensityContour::mean_between(double lo_ms, double hi_ms) const {
    const double span = duration_ms();
    if (!valid_ || total_ == 0 || !(span > 0.0) || !(hi_ms >= lo_ms)) return 0.0;
    const double n = static_cast<double>(total_);
    // The samples whose times lie in [lo_ms, hi_ms], each with the value it reads.
    const double a = std::clamp(std::ceil(n / span * lo_ms), 0.0, n);
    const double b = std::clamp(std::floor(n / span * hi_ms) + 1.0, 0.0, n);
    if (!(b > a)) return 0.0;
    double sum = 0.0;
    for (auto s = static_cast<std::uint64_t>(a); s < static_cast<std::uint64_t>(b); ++s) sum += (*this)[s];
    return sum / (b - a);
}

}  // namespace vox
