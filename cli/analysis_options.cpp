// voxtrel-cli: analysis options from the command line.

#include "cli/analysis_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>

#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/pitch_options.h"
#include "core/dsp/spectrogram.h"

namespace vox::cli {

namespace {

// The commands each option serves.
const std::map<std::string, std::set<std::string>>& served() {
    static const std::map<std::string, std::set<std::string>> m{
        {"--window-ms", {"pitch", "intensity", "fftlpc"}},
        {"--step-ms", {"pitch", "intensity"}},
        {"--f0-min", {"pitch"}},
        {"--f0-max", {"pitch"}},
        {"--lpc-order", {"fftlpc", "formants"}},
        {"--max-freq", {"fftlpc", "formants", "spectrogram"}},
        {"--fft-points", {"fftlpc", "formants", "spectrogram"}},
    };
    return m;
}

int refuse(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return 2;
}

// The value of an option as a number within [lo, hi] (whole when asked).
std::optional<double> value_in(const std::map<std::string, std::string>& given, const std::string& key, double lo,
                               double hi, bool whole, int& status) {
    const auto it = given.find(key);
    if (it == given.end()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(it->second.c_str(), &end);
    const bool ok = end != it->second.c_str() && *end == '\0' && std::isfinite(v) && v >= lo && v <= hi &&
                    (!whole || v == std::floor(v));
    if (!ok) {
        char text[160];
        std::snprintf(text, sizeof text, "%s needs %s from %g to %g", key.c_str(), whole ? "a whole number" : "a number",
                      lo, hi);
        status = refuse(text);
        return std::nullopt;
    }
    return v;
}

// log2 of a power of two in [lo, hi], or −1.
int power_index(double v, int lo, int hi) {
    for (int k = 0, p = 1; p <= hi; ++k, p *= 2)
        if (p >= lo && v == p) return k;
    return -1;
}

}  // namespace

bool is_tuning_option(const std::string& option) { return served().count(option) > 0; }

bool tuning_option_serves(const std::string& option, const std::string& command) {
    const auto it = served().find(option);
    return it != served().end() && it->second.count(command) > 0;
}

int apply_tuning_options(const std::string& command, const std::map<std::string, std::string>& given,
                         OptionBlock& block, double fs) {
    bool any = false;
    for (const auto& [key, value] : given) {
        const auto it = served().find(key);
        if (it == served().end()) continue;
        if (!it->second.count(command)) return refuse(key + " does not apply to " + command);
        any = true;
    }
    // Without options of its own a command runs with the options it has
    // (the analyses say themselves what they cannot do at the file's rate).
    if (!any) return 0;
    int status = 0;
    auto num = [&](const char* key, double lo, double hi, bool whole) { return value_in(given, key, lo, hi, whole, status); };

    if (command == "pitch") {
        PitchOptions& p = block.pitch;
        if (auto v = num("--window-ms", 0.1, 10000.0, false)) p.window_ms = *v;
        if (auto v = num("--step-ms", 0.1, 10000.0, false)) p.step_ms = *v;
        if (auto v = num("--f0-min", 0.0, 100000.0, false)) p.calc_low_hz = *v;
        if (auto v = num("--f0-max", 0.0, 100000.0, false)) p.calc_high_hz = *v;
        if (status) return status;
        if (const char* msg = validate_pitch_options(p)) return refuse(msg);
    } else if (command == "intensity") {
        IntensityOptions& i = block.intensity;
        if (auto v = num("--window-ms", 1.0, 100000.0, true)) i.window_ms = *v;
        if (auto v = num("--step-ms", 1.0, 100000.0, true)) i.step_ms = *v;
    } else if (command == "fftlpc") {
        FftLpcOptions& f = block.fft_lpc;
        if (auto v = num("--fft-points", 32.0, 4096.0, true)) {
            const int k = power_index(*v, 32, 4096);
            if (k < 0) return refuse("--fft-points needs a power of two from 32 to 4096");
            f.window_list_index = k - 5;
            f.fft_points = static_cast<int>(*v);
            // A new size brings the longest applied window with it, as in the dialog.
            f.applied_window_ms = static_cast<int>(f.fft_points * 1000.0 / fs);
        }
        if (auto v = num("--window-ms", 1.0, 1000000.0, true)) {
            const int longest = static_cast<int>((1 << (f.window_list_index + 5)) * 1000.0 / fs);
            f.applied_window_ms = static_cast<int>(*v);
            if (f.applied_window_ms > longest) {
                std::fprintf(stderr, "%s\n", slice_text::kWindowOutOfRange);
                f.applied_window_ms = longest;
            }
        }
        if (auto v = num("--lpc-order", 4.0, 100.0, true)) f.lpc_coefficients = static_cast<int>(*v);
        if (auto v = num("--max-freq", 0.0, 1000000.0, true)) f.frequency_range_hz = static_cast<int>(*v);
        if (status) return status;
        if (const char* msg = check_slice_options(f, fs)) return refuse(msg);
    } else if (command == "formants" || command == "spectrogram") {
        SpectrogramOptions& s = block.spectrogram;
        if (auto v = num("--fft-points", 32.0, 8192.0, true)) {
            const int k = power_index(*v, 32, 8192);
            if (k < 0) return refuse("--fft-points needs a power of two from 32 to 8192");
            s.bandwidth_index = k - 5;
        }
        if (auto v = num("--lpc-order", 4.0, 400.0, true)) s.formant_lpc_coefficients = static_cast<int>(*v);
        if (auto v = num("--max-freq", 0.0, 1000000.0, true)) s.frequency_range_hz = static_cast<int>(*v);
        if (status) return status;
        if (const std::string msg = validate_spectrogram_dialog(fs, s.frequency_range_hz, s.formant_lpc_coefficients);
            !msg.empty())
            return refuse(msg);
    }
    return status;
}

}  // namespace vox::cli
