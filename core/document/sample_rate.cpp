#include "core/document/sample_rate.h"

#include <cmath>
#include <cstdio>

namespace vox {

bool sample_rate_usable(double hz) {
    return std::isfinite(hz) && hz >= kMinSampleRateHz && hz <= kMaxSampleRateHz;
}

std::string sample_rate_problem(double hz) {
    if (sample_rate_usable(hz)) return {};
    if (std::isnan(hz)) return "its sample rate is not a number";
    char text[64];
    std::snprintf(text, sizeof text, "%.6g", hz);
    return std::string("its sample rate of ") + text + " Hz lies outside 1 Hz to 1 MHz";
}

}  // namespace vox
