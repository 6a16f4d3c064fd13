#pragma once
// The one rule every reader applies to the sample rate a file declares: a
// finite rate from 1 Hz to 1 MHz. Rates outside it are refused when the file
// is opened, so that no analysis sizes a window, a step or a buffer from a
// rate of 0, −8000, NaN, 1e-300 or 1e300 Hz.

#include <string>

namespace vox {

inline constexpr double kMinSampleRateHz = 1.0;
inline constexpr double kMaxSampleRateHz = 1'000'000.0;

// True for a finite rate within kMinSampleRateHz … kMaxSampleRateHz.
bool sample_rate_usable(double hz);

// Why a rate is refused, worded to follow "cannot be read: " ("its sample
// rate of 0 Hz lies outside 1 Hz to 1 MHz"); empty when the rate is usable.
std::string sample_rate_problem(double hz);

}  // namespace vox
