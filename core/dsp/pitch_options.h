#pragma once
// The pitch options as the pitch dialog edits them: the "Defaults " rules and
// the checks made when the dialog is accepted. The option record itself is
// vox::PitchOptions (core/app/option_block.h).

#include "core/app/option_block.h"

namespace vox {

namespace pitch_text {
inline constexpr const char* kCalcLowTooLow = "Please select a calculation low range greater than 50 Hz";
inline constexpr const char* kCalcHighTooLow = "Calculation high range is too low. Must be greater (low range +200) Hz";
inline constexpr const char* kDisplayLowTooLow = "Please select a display low range greater than 50 Hz";
inline constexpr const char* kDisplayHighTooLow = "Display high range is too low. Must be greater (low range +200) Hz";
}  // namespace pitch_text

// Method values of PitchOptions::cepstral.
inline constexpr int kPitchMethodCepstral = 1;
inline constexpr int kPitchMethodAmdf = 0;

// What "Defaults " restores: window 35 ms, step 10 ms, calculation and
// display ranges 50 … 500 Hz, frequency grid on at 20 Hz, time grid on at
// 500 ms, print size 6 × 4; the deviation (100) and threshold (1) of the
// method selected in the dialog (`selected_method`). The method itself and
// the other method's pair are left as they are.
void apply_pitch_defaults(PitchOptions& options, int selected_method);

// The checks of the dialog's OK, in order; the message of the first that
// fails, or null when all pass.
const char* validate_pitch_ranges(double calc_low_hz, double calc_high_hz, int display_low_hz, int display_high_hz);
inline const char* validate_pitch_options(const PitchOptions& o) {
    return validate_pitch_ranges(o.calc_low_hz, o.calc_high_hz, o.display_low_hz, o.display_high_hz);
}

// The deviation and threshold pair of a method, as the dialog's two boxes
// show it.
struct PitchTrackingPair {
    double deviation = 100.0;
    double threshold = 1.0;
};
PitchTrackingPair tracking_pair(const PitchOptions& options, int method);
void store_tracking_pair(PitchOptions& options, int method, PitchTrackingPair pair);

}  // namespace vox
