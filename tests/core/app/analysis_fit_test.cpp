// Analysis options that fit the recording: a document's rate-dependent
// FFT/LPC and spectrogram values follow its rate unless the person chose
// them in a dialog, and the configuration file keeps which ones were chosen.
#include <gtest/gtest.h>

#include "core/app/config_file.h"
#include "core/app/option_block.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/spectrogram.h"

namespace vox {
namespace {

class FitToRate : public ::testing::TestWithParam<double> {};

// With nothing chosen, every analysis passes its own admission checks at
// the rate (no warning box) and the values are the dialogs' "Defaults".
TEST_P(FitToRate, InstalledOptionsBecomeTheRatesDefaultsAndPassTheChecks) {
    const double fs = GetParam();
    OptionBlock b;  // as a new configuration file holds them
    fit_analysis_options(b, fs);
    const int half = static_cast<int>(fs / 2000) * 1000;
    EXPECT_EQ(b.fft_lpc.frequency_range_hz, half);
    EXPECT_EQ(b.fft_lpc.window_list_index, 3);
    EXPECT_EQ(b.fft_lpc.fft_points, 256);
    EXPECT_EQ(b.fft_lpc.applied_window_ms, static_cast<int>(256 * 1000 / fs));
    EXPECT_EQ(b.fft_lpc.lpc_coefficients, std::min(100, static_cast<int>(fs / 2000 * 2 + 4) / 2 * 2));
    EXPECT_EQ(b.spectrogram.frequency_range_hz, half);
    EXPECT_EQ(b.spectrogram.analysis_points, 128);
    EXPECT_EQ(b.spectrogram.formant_lpc_coefficients, 4 + 2 * static_cast<int>(fs / 2000));
    EXPECT_EQ(check_slice_options(b.fft_lpc, fs), nullptr);
    EXPECT_EQ(check_spectrogram_setup(fs, b.spectrogram.frequency_range_hz, b.spectrogram.formant_lpc_coefficients),
              nullptr);
    // The applied window never exceeds what the FFT size holds (the
    // dialog's "out of range" rule).
    EXPECT_LE(b.fft_lpc.applied_window_ms, static_cast<int>(b.fft_lpc.fft_points * 1000.0 / fs));
    // Nothing that does not depend on the rate moved.
    OptionBlock untouched;
    EXPECT_EQ(b.fft_lpc.average_step_ms, untouched.fft_lpc.average_step_ms);
    EXPECT_EQ(b.spectrogram.pre_emphasis, untouched.spectrogram.pre_emphasis);
    EXPECT_EQ(b.spectrogram.dynamic_range_db, untouched.spectrogram.dynamic_range_db);
    // Fitting says nothing was chosen.
    EXPECT_EQ(fft_lpc_choices(b.fft_lpc, fs), 0u);
    EXPECT_EQ(spectrogram_choices(b.spectrogram, fs), 0u);
}

INSTANTIATE_TEST_SUITE_P(Rates, FitToRate, ::testing::Values(8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 44100.0,
                                                             48000.0, 96000.0, 1000.0));

TEST(FitToRate, AChosenValueIsKeptAndTheOthersFollowTheNextRecording) {
    OptionBlock b;
    fit_analysis_options(b, 44100);
    // The person sets 5000 Hz and order 24 in the spectrogram dialog, and
    // 512 points in the FFT/LPC dialog, at 44.1 kHz.
    b.spectrogram.frequency_range_hz = 5000;
    b.spectrogram.formant_lpc_coefficients = 24;
    b.fft_lpc.window_list_index = 4;
    b.fft_lpc.fft_points = 512;
    b.fft_lpc.applied_window_ms = 512 * 1000 / 44100;  // the dialog sets the size's full length
    b.spectrogram_chosen = spectrogram_choices(b.spectrogram, 44100);
    b.fft_lpc_chosen = fft_lpc_choices(b.fft_lpc, 44100);
    EXPECT_EQ(b.spectrogram_chosen, chosen::kSgRange | chosen::kSgLpcOrder);
    EXPECT_EQ(b.fft_lpc_chosen, chosen::kFftSize);

    // Through the configuration file, to a document at 16 kHz.
    ConfigBytes bytes = encode_config(b, AppConfigValues{});
    OptionBlock next;
    decode_config_options(bytes, next);
    EXPECT_EQ(next.spectrogram_chosen, b.spectrogram_chosen);
    EXPECT_EQ(next.fft_lpc_chosen, b.fft_lpc_chosen);
    fit_analysis_options(next, 16000);
    EXPECT_EQ(next.spectrogram.frequency_range_hz, 5000);
    EXPECT_EQ(next.spectrogram.formant_lpc_coefficients, 24);
    EXPECT_EQ(next.spectrogram.analysis_points, 128);
    EXPECT_EQ(next.fft_lpc.fft_points, 512);
    EXPECT_EQ(next.fft_lpc.frequency_range_hz, 8000);   // followed the rate
    EXPECT_EQ(next.fft_lpc.lpc_coefficients, 20);       // 16 + 4
    EXPECT_EQ(next.fft_lpc.applied_window_ms, 32);      // the full 512 points at 16 kHz
    EXPECT_EQ(check_slice_options(next.fft_lpc, 16000), nullptr);

    // Choosing the rate's own value again hands it back to the rate.
    next.spectrogram.frequency_range_hz = 8000;
    next.spectrogram_chosen = spectrogram_choices(next.spectrogram, 16000);
    EXPECT_EQ(next.spectrogram_chosen, chosen::kSgLpcOrder);
}

// A file written before the choices were kept holds zero in those words:
// nothing chosen, and the default layout is unchanged byte for byte there.
TEST(FitToRate, DefaultFileKeepsTheReservedWordsZero) {
    const ConfigBytes bytes = encode_config(OptionBlock{}, AppConfigValues{});
    for (std::size_t off : {std::size_t{0x3D4}, std::size_t{0x47C}})
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(bytes[off + i], 0) << off;
    OptionBlock b;
    b.fft_lpc_chosen = 5;
    decode_config_options(bytes, b);
    EXPECT_EQ(b.fft_lpc_chosen, 0u);
}

}  // namespace
}  // namespace vox
