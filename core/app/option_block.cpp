#include "core/app/option_block.h"

#include <algorithm>

namespace vox {

namespace {
int half_rate_range(double fs) { return static_cast<int>(fs / 2000.0) * 1000; }
}  // namespace

FftLpcOptions fft_lpc_rate_defaults(const FftLpcOptions& base, double fs) {
    FftLpcOptions d = base;
    if (!(fs > 0.0)) return d;
    d.window_list_index = 3;
    d.fft_points = 256;
    d.applied_window_ms = static_cast<int>(256 * 1000 / fs);
    d.frequency_range_hz = half_rate_range(fs);
    int lpc = static_cast<int>(fs / 2000.0 * 2.0 + 4.0) / 2 * 2;
    if (lpc > 401) lpc = 400;
    d.lpc_coefficients = std::clamp(lpc, 4, 100);
    return d;
}

SpectrogramOptions spectrogram_rate_defaults(const SpectrogramOptions& base, double fs) {
    SpectrogramOptions d = base;
    if (!(fs > 0.0)) return d;
    d.bandwidth_index = 2;
    d.analysis_points = 128;
    d.frequency_range_hz = half_rate_range(fs);
    d.formant_lpc_coefficients = std::clamp(4 + 2 * static_cast<int>(fs / 2000.0), 4, 400);
    return d;
}

void fit_analysis_options(OptionBlock& block, double fs) {
    if (!(fs > 0.0)) return;
    const FftLpcOptions f = fft_lpc_rate_defaults(block.fft_lpc, fs);
    const std::uint32_t fc = block.fft_lpc_chosen;
    if (!(fc & chosen::kFftSize)) {
        block.fft_lpc.window_list_index = f.window_list_index;
        block.fft_lpc.fft_points = f.fft_points;
    }
    if (!(fc & chosen::kAppliedWindow)) {
        // The applied window fits the FFT size in use: at most its length.
        const int size = 1 << (std::clamp(block.fft_lpc.window_list_index, 0, 7) + 5);
        block.fft_lpc.applied_window_ms = static_cast<int>(size * 1000 / fs);
    }
    if (!(fc & chosen::kFftRange)) block.fft_lpc.frequency_range_hz = f.frequency_range_hz;
    if (!(fc & chosen::kFftLpcOrder)) block.fft_lpc.lpc_coefficients = f.lpc_coefficients;

    const SpectrogramOptions g = spectrogram_rate_defaults(block.spectrogram, fs);
    const std::uint32_t gc = block.spectrogram_chosen;
    if (!(gc & chosen::kSgWindow)) {
        block.spectrogram.bandwidth_index = g.bandwidth_index;
        block.spectrogram.analysis_points = g.analysis_points;
    }
    if (!(gc & chosen::kSgRange)) block.spectrogram.frequency_range_hz = g.frequency_range_hz;
    if (!(gc & chosen::kSgLpcOrder)) block.spectrogram.formant_lpc_coefficients = g.formant_lpc_coefficients;
}

std::uint32_t fft_lpc_choices(const FftLpcOptions& a, double fs) {
    const FftLpcOptions d = fft_lpc_rate_defaults(a, fs);
    std::uint32_t bits = 0;
    if (a.window_list_index != d.window_list_index) bits |= chosen::kFftSize;
    const int size = 1 << (std::clamp(a.window_list_index, 0, 7) + 5);
    if (a.applied_window_ms != static_cast<int>(size * 1000 / fs)) bits |= chosen::kAppliedWindow;
    if (a.frequency_range_hz != d.frequency_range_hz) bits |= chosen::kFftRange;
    if (a.lpc_coefficients - a.lpc_coefficients % 2 != d.lpc_coefficients) bits |= chosen::kFftLpcOrder;
    return bits;
}

std::uint32_t spectrogram_choices(const SpectrogramOptions& a, double fs) {
    const SpectrogramOptions d = spectrogram_rate_defaults(a, fs);
    std::uint32_t bits = 0;
    if (a.bandwidth_index != d.bandwidth_index) bits |= chosen::kSgWindow;
    if (a.frequency_range_hz != d.frequency_range_hz) bits |= chosen::kSgRange;
    if (a.formant_lpc_coefficients != d.formant_lpc_coefficients) bits |= chosen::kSgLpcOrder;
    return bits;
}

}  // namespace vox
