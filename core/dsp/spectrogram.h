#pragma once
// Spectrogram columns and formant slots: one analysis frame per pixel column
// and one dB value per pixel row.
// Stages: set-up checks; allocation of the column blocks (and formant
// blocks); per column the power spectrum of `window` samples at
// first + i·hop (Hamming, pre-emphasis, spline-resampled to `rows` values up
// to the frequency range) and, with formant tracking, the formants of an
// LPC frame of (int)(fs/1000)·order samples, at least 30 ms (formant_frame.h;
// first five candidates, kept when formant_slot_accepted); scaling to the dynamic range (loudest point =
// dynamic range, floor 0); suppression of the formants of quiet columns.

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/dsp/time_base.h"
#include "core/dsp/sample_source.h"
#include "core/platform/progress.h"

namespace vox {

class UserPrompts;

namespace spectrogram_text {
inline constexpr const char* kFrequencyRangeTooHigh = "Frequency range is beyond allowable value.\nUse Option->Spectrogram and make sure the frequency range is up to 1/2 of sample rate.";
inline constexpr const char* kLpcOrderTooHigh = "Number of LPC coefficients is beyond allowable value.\nUse Option->Spectrogram and make it is in the proper range.";
inline constexpr const char* kRangeTooLow = "Frequency range is too low. Must be > 500 Hz";
inline constexpr const char* kRangeTooHighFormat = "Frequency range is too high. Must be < %d Hz";
inline constexpr const char* kDialogLpcTooHigh = "LPC coefficient is too high. Must be < 400";
inline constexpr const char* kLowMemory = "Low memory error\nPlease close some windows and try again.\nIf the problem persists, please save work, close application and start again.";
}  // namespace spectrogram_text

struct SpectrogramSetup {
    double total = 0.0;        // samples in the channel
    double rate = 0.0;         // Hz
    double first = 0.0, last = 0.0;  // sample positions of the stretch
    double start_ms = 0.0, end_ms = 0.0;
    int window = 128;          // points, 32 … 8192
    int dynamic_range = 35;    // dB
    double pre_emphasis = 0.98;
    int frequency_range = 5000;  // Hz
    bool formants = false;
    int lpc_order = 14;
    int columns = 0, rows = 0;  // drawing area in pixels
};

// Checks made before a computation; message of the first that fails, or null.
const char* check_spectrogram_setup(double rate, int frequency_range, int lpc_order);
// Checks of the option dialog's OK; empty when all pass.
std::string validate_spectrogram_dialog(double rate, int frequency_range, int lpc_order);

struct SpectrogramColumns {
    int columns = 0, rows = 0;
    int dynamic_range = 0;
    // Column i's spectral window starts at sample trunc(first + i·hop).
    double first = 0.0, hop = 0.0;  // samples
    double rate = 0.0;              // Hz
    std::vector<double> values;  // columns × rows scaled values, column-major: values[i·rows + r]
    std::vector<std::array<std::int16_t, 5>> formants;  // per column: −1 none, 0 suppressed, else Hz
    bool formants_found = false;
    bool formant_error = false;  // the formant error message was shown

    double value(int column, int row) const { return values[static_cast<std::size_t>(column) * rows + row]; }
    // First sample of column i's window, and its time (ms).
    double column_sample(int i) const {
        const double pos = first + static_cast<double>(i) * hop;
        return pos > 0.0 ? std::floor(pos) : 0.0;
    }
    double column_time_ms(int i) const { return sample_time_ms(column_sample(i), rate); }
};

// Grey level of a scaled value: 0 (black) at the loudest point, 255 (white)
// at or below the dynamic-range floor.
int spectrogram_grey(double scaled, int dynamic_range);

// Computes the columns; no result on a cancel, an allocation failure (the
// low-memory message), a read failure or a failed spectrum. threads ≤ 0
// uses every core.
std::optional<SpectrogramColumns> ComputeSpectrogram(SampleSource& source, const SpectrogramSetup& setup,
                                                     Progress& progress, UserPrompts* prompts, int threads = 0);

}  // namespace vox
