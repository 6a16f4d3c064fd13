#pragma once
// The document's working copy of the application's options. Every document
// starts from these defaults and then takes the configuration file's values
// (config_file.h holds the file layout). Fields that no built view uses yet
// are still carried so that the file round-trips unchanged.

#include <array>
#include <cstdint>
#include <string>

#include "core/platform/user_prompts.h"

namespace vox {

// Display options of the waveform view.
struct DisplayOptions {
    double print_width = 6.0;    // print/bitmap size, in inches or cm by `inches`
    double print_height = 4.0;
    std::int32_t track_mouse = 1;     // "Track mouse for all windows"
    std::int32_t add_time_grid = 1;   // "Add Time grid"
    std::int32_t time_grid_ms = 0;    // 0 = automatic spacing
    std::int32_t color = 0;           // 1 "Color", 0 "Black White"
    std::int32_t inches = 1;          // 1 inches, 0 cm
    std::int32_t always_analyse = 1;  // compute pitch and intensity on first display
    std::int32_t msec = 1;            // time base: 1 ms, 0 seconds
    std::int32_t audio_height = 50;   // pixels
    std::int32_t intensity_height = 50;  // pixels
};

struct FftLpcOptions {
    std::int32_t window_list_index = 3;
    std::int32_t fft_points = 256;
    std::int32_t applied_window_ms = 23;
    std::int32_t average_step_ms = 10;
    std::int32_t frequency_range_hz = 5000;
    std::int32_t absolute_db = 1;
    std::int32_t absolute_top_db = 80;
    std::int32_t inches = 1;
    double print_width = 6.0;
    double print_height = 4.0;
    std::int32_t color = 0;
    std::int32_t add_frequency_grid = 1;
    std::int32_t frequency_grid_hz = 1000;
    std::int32_t add_power_grid = 1;
    std::int32_t power_grid_db = 20;
    std::int32_t lpc_coefficients = 14;  // even, 4..100
    std::int32_t draw_lpc = 1;
};

struct SpectrogramOptions {
    std::int32_t analysis_points = 64;
    std::int32_t bandwidth_index = 2;
    std::int32_t frequency_range_hz = 5000;
    std::int32_t dynamic_range_db = 35;
    double pre_emphasis = 0.98;
    std::int32_t display_formants = 1;
    std::int32_t formant_lpc_coefficients = 14;
    std::int32_t inches = 1;
    double print_width = 6.0;
    double print_height = 4.0;
    std::int32_t draw_audio = 0;
    std::int32_t draw_intensity = 0;
    std::int32_t draw_labels = 0;
    std::int32_t add_frequency_grid = 1;
    std::int32_t frequency_grid_hz = 1000;
    std::int32_t add_time_grid = 1;
    std::int32_t time_grid_ms = 500;
};

struct PitchOptions {
    double window_ms = 35.0;
    double step_ms = 10.0;
    double calc_high_hz = 500.0;
    double calc_low_hz = 50.0;
    std::int32_t display_high_hz = 500;
    std::int32_t display_low_hz = 50;
    std::int32_t add_frequency_grid = 1;
    std::int32_t frequency_grid_hz = 20;
    std::int32_t cepstral = 1;  // 1 "Cepstral", 0 "AutoCorrolation"
    double cepstral_threshold_pct = 1.0;
    double cepstral_deviation_hz = 100.0;
    double amdf_threshold = 1.0;
    double amdf_deviation = 100.0;
    // Further fields of the pitch dialog that no view uses (never in the file).
    double print_width = 6.0;
    double print_height = 4.0;
    std::int32_t add_time_grid = 1;
    std::int32_t time_grid_ms = 500;
    std::int32_t add_audio = 0;
    std::int32_t add_intensity = 0;
    std::int32_t add_labels = 0;
};

// Intensity options of the audio channel (the channel holds them as reals).
struct IntensityOptions {
    double window_ms = 30.0;
    double step_ms = 10.0;
    std::int32_t relative = 0;  // 0 "Absolute", 1 "Relative"
};

// Colours as 0x00BBGGRR words.
struct DisplayColors {
    std::uint32_t background = 0xFFFFFF;
    std::uint32_t tracking = 0x0000FF;
    std::uint32_t selection = 0xFFFF80;
    std::uint32_t fourth = 0x400080;
};

// The rate-dependent analysis values the person set in an option dialog
// (bits of OptionBlock::fft_lpc_chosen and spectrogram_chosen). A value not
// chosen follows the recording: fit_analysis_options gives it the dialog's
// "Defaults" value for the document's rate. The configuration file keeps
// the bits in two words its layout leaves reserved (0 = nothing chosen, so a
// file written before holds no choices).
namespace chosen {
inline constexpr std::uint32_t kFftSize = 1;        // FFT size (list index and points)
inline constexpr std::uint32_t kAppliedWindow = 2;  // applied window (ms)
inline constexpr std::uint32_t kFftRange = 4;       // frequency range (Hz)
inline constexpr std::uint32_t kFftLpcOrder = 8;    // LPC coefficients
inline constexpr std::uint32_t kSgWindow = 1;       // window length (points)
inline constexpr std::uint32_t kSgRange = 2;        // frequency range (Hz)
inline constexpr std::uint32_t kSgLpcOrder = 4;     // formant LPC coefficients
}  // namespace chosen

struct OptionBlock {
    // Recordings at least this many minutes long stay on disk in a raw
    // 16-bit file instead of being loaded into memory ("Available memory to
    // read files (min)"; never in the file).
    double long_file_minutes = 30.0;
    // Sample rate (Hz) of the audio channel last used; new documents and
    // recordings start with it.
    double sample_rate = 11025.0;
    double last_sample_count = 0.0;
    double last_duration_ms = 0.0;
    // The last answers of the generic-file dialog.
    GenericFileAnswers generic;
    // Names of the audio channel's ten tiers.
    std::array<std::string, 10> tier_names = {"tones", "words", "breaks", "misc", "", "", "", "", "", ""};

    DisplayOptions display;
    double zoom_range_ms = 1000.0;  // "Range to zoom from cursor ( ms )"
    double gain_percent = 0.0;
    double reference = 0.0;
    FftLpcOptions fft_lpc;
    std::int32_t log_step_hz = 10;  // "Step size for entire frame entry (Hz)"
    IntensityOptions intensity;
    SpectrogramOptions spectrogram;
    PitchOptions pitch;
    DisplayColors colors;
    std::uint32_t fft_lpc_chosen = 0;      // chosen:: bits of the FFT/LPC options
    std::uint32_t spectrogram_chosen = 0;  // chosen:: bits of the spectrogram options
};

// The "Defaults" values of the FFT/LPC dialog for a recording at fs Hz: 256
// points, applied window 256·1000/fs ms, frequency range half the rate
// rounded down to 1000 Hz, LPC order fs/1000 + 4 made even (4 … 100),
// average step 10 ms. Fields that do not depend on the rate keep `base`.
FftLpcOptions fft_lpc_rate_defaults(const FftLpcOptions& base, double fs);
// The "Defaults" values of the spectrogram dialog: 128 points, frequency
// range half the rate rounded down to 1000 Hz, formant LPC order
// 4 + 2·(fs/2000, truncated).
SpectrogramOptions spectrogram_rate_defaults(const SpectrogramOptions& base, double fs);

// Gives every rate-dependent analysis value the person did not choose its
// "Defaults" value for fs (a document's rate once its samples are known).
void fit_analysis_options(OptionBlock& block, double fs);
// After an accepted dialog: the rate-dependent values that differ from the
// rate's "Defaults" are marked chosen, those equal to them are not.
std::uint32_t fft_lpc_choices(const FftLpcOptions& accepted, double fs);
std::uint32_t spectrogram_choices(const SpectrogramOptions& accepted, double fs);

}  // namespace vox
