#include "core/dsp/time_base.h"

#include <algorithm>
#include <cmath>

namespace vox {

std::optional<std::size_t> TimeBase::index_at(double ms, std::size_t count) const {
    if (count == 0 || !(step_ms > 0.0)) return std::nullopt;
    const double pos = (ms - first_ms) / step_ms;
    if (!(pos >= -0.5) || !(pos < static_cast<double>(count) - 0.5)) return std::nullopt;
    return static_cast<std::size_t>(std::clamp<long long>(std::llround(pos), 0, static_cast<long long>(count) - 1));
}

std::pair<std::size_t, std::size_t> TimeBase::indices_between(double lo_ms, double hi_ms, std::size_t count) const {
    if (count == 0 || !(step_ms > 0.0) || !(hi_ms >= lo_ms)) return {0, 0};
    const double n = static_cast<double>(count);
    // A little slack so that a time computed the same way as the values'
    // counts as inside despite rounding.
    const double eps = 1e-9 * std::max(1.0, std::fabs(hi_ms));
    const double a = std::clamp(std::ceil((lo_ms - first_ms) / step_ms - eps), 0.0, n);
    const double b = std::clamp(std::floor((hi_ms - first_ms) / step_ms + eps) + 1.0, 0.0, n);
    if (b <= a) return {0, 0};
    return {static_cast<std::size_t>(a), static_cast<std::size_t>(b)};
}

}  // namespace vox
