#include "core/dsp/pitch_options.h"

namespace vox {

void apply_pitch_defaults(PitchOptions& o, int selected_method) {
    o.window_ms = 35.0;
    o.step_ms = 10.0;
    o.calc_low_hz = 50.0;
    o.calc_high_hz = 500.0;
    o.display_low_hz = 50;
    o.display_high_hz = 500;
    o.add_frequency_grid = 1;
    o.frequency_grid_hz = 20;
    o.add_time_grid = 1;
    o.time_grid_ms = 500;
    o.print_width = 6.0;
    o.print_height = 4.0;
    store_tracking_pair(o, selected_method, PitchTrackingPair{100.0, 1.0});
}

const char* validate_pitch_ranges(double calc_low, double calc_high, int display_low, int display_high) {
    if (!(calc_low >= 50.0)) return pitch_text::kCalcLowTooLow;
    if (!(calc_high >= calc_low + 200.0)) return pitch_text::kCalcHighTooLow;
    if (display_low < 50) return pitch_text::kDisplayLowTooLow;
    if (static_cast<long long>(display_high) < static_cast<long long>(display_low) + 200) return pitch_text::kDisplayHighTooLow;
    return nullptr;
}

PitchTrackingPair tracking_pair(const PitchOptions& o, int method) {
    if (method == kPitchMethodCepstral) return {o.cepstral_deviation_hz, o.cepstral_threshold_pct};
    return {o.amdf_deviation, o.amdf_threshold};
}

void store_tracking_pair(PitchOptions& o, int method, PitchTrackingPair pair) {
    if (method == kPitchMethodCepstral) {
        o.cepstral_deviation_hz = pair.deviation;
        o.cepstral_threshold_pct = pair.threshold;
    } else {
        o.amdf_deviation = pair.deviation;
        o.amdf_threshold = pair.threshold;
    }
}

}  // namespace vox
