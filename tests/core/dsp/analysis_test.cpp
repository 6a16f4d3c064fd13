// Intensity contour, FFT/LPC slice and spectrogram columns on synthetic
// signals with known levels and formants.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/document/channel_analysis.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/intensity.h"
#include "core/dsp/spectrogram.h"
#include "core/io/binary_file.h"
#include "core/platform/scripted_prompts.h"
#include "tests/core/dsp/synth.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

// --- intensity ----------------------------------------------------------------

TEST(Intensity, FrameSizesRoundToNearest) {
    EXPECT_EQ(intensity_frame_sizes(20, 10, 22050).window, 441);
    EXPECT_EQ(intensity_frame_sizes(20, 10, 11025).window, 221);
    EXPECT_DOUBLE_EQ(intensity_frame_sizes(20, 10, 11025).step, 110.25);
}

TEST(Intensity, SquareWaveLevelRelativeModeAndShortRegion) {
    std::vector<std::int16_t> x(4000);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = (i / 20) % 2 ? 32767 : -32767;
    for (std::size_t i = 3000; i < 4000; ++i) x[i] = static_cast<std::int16_t>(x[i] / 100);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    IntensityOptions o;  // 30 ms / 10 ms
    std::vector<double> out(x.size());
    EnergyRange r;
    NullProgress np;
    ASSERT_TRUE(ComputeIntensityContour(src, x.size(), 8000, 0.0, o, np, out.data(), r));
    EXPECT_NEAR(out[100], 10 * std::log10(32767.0 * 32767.0), 1e-9);
    EXPECT_NEAR(out[100], 90.3, 0.01);
    EXPECT_EQ(out.back(), 0.0);  // after the last complete frame
    o.relative = 1;
    ASSERT_TRUE(ComputeIntensityContour(src, x.size(), 8000, 0.0, o, np, out.data(), r));
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), 0.0);
    EXPECT_EQ(r.min, 0.0);
    // Shorter than one frame: all zero.
    std::vector<double> few(200, 5.0);
    o.relative = 0;
    ASSERT_TRUE(ComputeIntensityContour(src, 200, 8000, 0.0, o, np, few.data(), r));
    for (double v : few) EXPECT_EQ(v, 0.0);
    // Constant samples at the offset: 0 dB.
    std::vector<std::int16_t> c(2000, 300);
    SampleSource cs = SampleSource::memory(c.data(), c.size());
    std::vector<double> cout(c.size(), 7.0);
    ASSERT_TRUE(ComputeIntensityContour(cs, c.size(), 8000, 300.0, o, np, cout.data(), r));
    for (double v : cout) EXPECT_EQ(v, 0.0);
}

TEST(Intensity, StreamedRawFileAgreesWithSampleEnergyAndIsStoredWithTheChannel) {
    test::DocFixture fx;
    CMarbeckDoc& doc = *fx.doc;
    const auto x = test::synth_voice(11025, 1.5, [](double t) { return t < 0.5 ? 0 : 150; }, {{700, 90}}, 9000, 1, 200);
    CChannels& ch = doc.channels[0];
    ch.allocate_samples(x.size());
    std::copy(x.begin(), x.end(), ch.samples.data());
    ch.set_foreign_audio(11025, static_cast<double>(x.size()));
    ch.reference = 12;
    doc.channel_count = 1;
    IntensityOptions o{20, 7.5, 0};
    const auto sz = intensity_frame_sizes(o.window_ms, o.step_ms, 11025);
    std::vector<double> ref(x.size());
    CMathFunc mf;
    const EnergyRange rr = mf.SampleEnergy(x.data(), ref.data(), 12, 0, sz.window, sz.step, x.size(), false, true);

    ASSERT_TRUE(ComputeChannelIntensity(doc, 0, o, fx.progress, 2));
    ASSERT_EQ(ch.intensity_valid, 1);
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_EQ(ch.intensity[i], ref[i]) << i;
    EXPECT_EQ(ch.intensity_max, rr.max);
    EXPECT_EQ(fx.progress.captions.back(), dsp_text::kCaptionIntensity);

    std::vector<unsigned char> bytes(x.size() * 2);
    for (std::size_t i = 0; i < x.size(); ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(x[i]));
    test::write_file(fx.dir.file("a.raw"), bytes);
    doc.adopt_sample_file(fx.dir.file("a.raw"));
    ch.samples.reset();
    ASSERT_TRUE(ComputeChannelIntensity(doc, 0, o, fx.progress, 1));
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_EQ(ch.intensity[i], ref[i]) << i;

    // A cancel leaves the channel without a contour.
    ScriptedProgress cancel(0);
    EXPECT_FALSE(ComputeChannelIntensity(doc, 0, o, cancel));
    EXPECT_EQ(ch.intensity_valid, 0);
    EXPECT_FALSE(ch.intensity.valid());
    EXPECT_EQ(cancel.closed, 1);
}

// --- FFT/LPC slice ------------------------------------------------------------

TEST(FftLpcSlice, AdmissionChecks) {
    FftLpcOptions o;
    o.frequency_range_hz = 11000;
    o.lpc_coefficients = 32;
    EXPECT_EQ(check_slice_options(o, 22050), nullptr);
    o.frequency_range_hz = 11001;
    EXPECT_STREQ(check_slice_options(o, 22050), slice_text::kFrequencyRangeTooHigh);
    o.frequency_range_hz = 11000;
    o.lpc_coefficients = 33;
    EXPECT_STREQ(check_slice_options(o, 22050), slice_text::kLpcOrderTooHigh);
    o.frequency_range_hz = 4000;
    o.lpc_coefficients = 40;
    EXPECT_STREQ(check_slice_options(o, 8000), slice_text::kLpcOrderTooHigh);
    o.lpc_coefficients = 18;
    EXPECT_EQ(check_slice_options(o, 8000), nullptr);

    std::vector<std::int16_t> x(4000, 100);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    SliceRequest rq;
    rq.fs = 8000;
    rq.out_points = 100;
    rq.options = o;
    rq.options.lpc_coefficients = 40;
    ScriptedPrompts prompts;
    EXPECT_FALSE(ComputeFftLpcSlice(src, rq, &prompts));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{slice_text::kLpcOrderTooHigh});
}

TEST(FftLpcSlice, VowelFormantsAndSpectralPeakAreFound) {
    const double fs = 10000;
    const auto x = test::synth_voice(fs, 0.5, [](double) { return 125.0; }, {{600, 60}, {1700, 80}, {2600, 100}}, 15000,
                                     2, 20);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = 2000;
    rq.out_points = 500;
    rq.options.window_list_index = 4;  // 512 points
    rq.options.applied_window_ms = 51;
    rq.options.frequency_range_hz = 5000;
    rq.options.lpc_coefficients = 14;
    ScriptedPrompts prompts;
    auto r = ComputeFftLpcSlice(src, rq, &prompts);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->fft.size(), 500u);
    EXPECT_EQ(*std::min_element(r->fft.begin(), r->fft.end()), 0.0);
    EXPECT_DOUBLE_EQ(*std::max_element(r->fft.begin(), r->fft.end()), r->fft_max);
    EXPECT_EQ(*std::min_element(r->lpc.begin(), r->lpc.end()), 0.0);
    EXPECT_LT(r->lpc_low, 0.0);
    // Envelope peaks (low points of the inverse filter) at the formants.
    EXPECT_NEAR(r->F[0], 600, 40);
    EXPECT_NEAR(r->F[1], 1700, 60);
    EXPECT_NEAR(r->F[2], 2600, 80);
    for (int j = 0; j < 3; ++j) EXPECT_LE(r->B[j] * 2, r->F[j]);
    // The averaged selection: frames every 10 ms until one reaches the end.
    rq.selection = true;
    rq.sel_start = 1000;
    rq.sel_end = 1000 + 3 * 100 + 512;  // frames at 1000, 1100, 1200, 1300
    auto avg = ComputeFftLpcSlice(src, rq, &prompts);
    ASSERT_TRUE(avg);
    EXPECT_EQ(avg->frames, 4);
    EXPECT_NEAR(avg->F[0], 600, 40);
    rq.sel_end = 1010;  // shorter than a frame: one frame
    EXPECT_EQ(ComputeFftLpcSlice(src, rq, &prompts)->frames, 1);
    EXPECT_TRUE(prompts.messages().empty());
}

// Absolute levels: halving the signal lowers every absolute level of the
// FFT curve's peak by 20·log10(2) dB.
class FftLpcAbsoluteLevel : public ::testing::TestWithParam<bool> {};

TEST_P(FftLpcAbsoluteLevel, HalvingTheSignalLowersTheLevelBySixDecibels) {
    const double fs = 10000;
    const auto x = test::synth_voice(fs, 0.5, [](double) { return 125.0; }, {{600, 60}, {1700, 80}, {2600, 100}}, 15000,
                                     2, 20);
    std::vector<std::int16_t> half(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) half[i] = static_cast<std::int16_t>(x[i] / 2);
    SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = 2000;
    rq.out_points = 256;
    rq.options.window_list_index = 4;
    rq.options.applied_window_ms = 51;
    rq.options.frequency_range_hz = 5000;
    rq.options.lpc_coefficients = 14;
    rq.selection = GetParam();
    rq.sel_start = 1000;
    rq.sel_end = 1000 + 3 * 100 + 512;
    ScriptedPrompts prompts;
    SampleSource full_src = SampleSource::memory(x.data(), x.size());
    SampleSource half_src = SampleSource::memory(half.data(), half.size());
    const auto full = ComputeFftLpcSlice(full_src, rq, &prompts);
    const auto low = ComputeFftLpcSlice(half_src, rq, &prompts);
    ASSERT_TRUE(full && low);
    const auto peak = std::max_element(full->fft.begin(), full->fft.end()) - full->fft.begin();
    const double full_peak = full->fft[peak] + full->fft_min;
    const double low_peak = low->fft[peak] + low->fft_min;
    EXPECT_NEAR(full_peak - low_peak, 20.0 * std::log10(2.0), 0.1);
    EXPECT_GT(full_peak, 40.0);  // a loud vowel's spectral peak, in dB over one unit
}

INSTANTIATE_TEST_SUITE_P(FrameAndAverage, FftLpcAbsoluteLevel, ::testing::Bool());

TEST(FftLpcSlice, SilentFrameReportsTheLpcError) {
    std::vector<std::int16_t> x(4000, 0);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    SliceRequest rq;
    rq.fs = 8000;
    rq.out_points = 64;
    rq.options.frequency_range_hz = 4000;
    ScriptedPrompts prompts;
    EXPECT_FALSE(ComputeFftLpcSlice(src, rq, &prompts));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{dsp_text::kLpcRoutineError});
}

// --- spectrogram ----------------------------------------------------------------

TEST(Spectrogram, ChecksOfSetupAndDialog) {
    EXPECT_EQ(check_spectrogram_setup(11025, 5000, 14), nullptr);
    EXPECT_STREQ(check_spectrogram_setup(11025, 6000, 14), spectrogram_text::kFrequencyRangeTooHigh);
    EXPECT_STREQ(check_spectrogram_setup(11025, 5000, 22), spectrogram_text::kLpcOrderTooHigh);
    EXPECT_EQ(validate_spectrogram_dialog(11025, 499, 14), spectrogram_text::kRangeTooLow);
    EXPECT_EQ(validate_spectrogram_dialog(11025, 5001, 14), "Frequency range is too high. Must be < 5000 Hz");
    EXPECT_EQ(validate_spectrogram_dialog(11025, 5000, 401), spectrogram_text::kDialogLpcTooHigh);
    EXPECT_EQ(validate_spectrogram_dialog(11025, 5000, 400), "");
}

SpectrogramSetup setup_for(std::size_t n, double fs, int cols, int rows) {
    SpectrogramSetup s;
    s.total = static_cast<double>(n);
    s.rate = fs;
    s.first = 0;
    s.last = static_cast<double>(n);
    s.columns = cols;
    s.rows = rows;
    s.frequency_range = static_cast<int>(fs / 2000) * 1000;
    s.lpc_order = 4 + 2 * static_cast<int>(fs / 2000);
    return s;
}

TEST(Spectrogram, SilenceIsBlackAndKeepsItsFormantSlots) {
    std::vector<std::int16_t> x(10000, 0);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    auto su = setup_for(x.size(), 11025, 500, 64);
    su.formants = true;
    ScriptedProgress progress;
    ScriptedPrompts prompts;
    auto r = ComputeSpectrogram(src, su, progress, &prompts);
    ASSERT_TRUE(r);
    for (double v : r->values) ASSERT_EQ(v, 35.0);
    EXPECT_EQ(spectrogram_grey(35.0, 35), 0);
    for (auto& f : r->formants) EXPECT_EQ(f[0], -1);  // not suppressed, none found
    EXPECT_FALSE(r->formants_found);
    EXPECT_EQ(progress.captions, std::vector<std::string>{dsp_text::kCaptionSpectrogram});
    EXPECT_EQ(progress.steps, 500);
}

TEST(Spectrogram, ToneRowsDynamicRangeAndFormantTracks) {
    const double fs = 16000;
    // Silence, then a voice with formants at 500 / 1500 / 2500 Hz.
    auto x = test::synth_voice(fs, 1.0, [](double t) { return t < 0.5 ? 0.0 : 120.0; }, {{500, 60}, {1500, 80}, {2500, 100}},
                               15000, 4, 3);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    auto su = setup_for(x.size(), fs, 200, 100);  // rows every 80 Hz
    su.window = 512;
    su.formants = true;
    ScriptedProgress progress;
    auto r = ComputeSpectrogram(src, su, progress, nullptr, 2);
    ASSERT_TRUE(r);
    double mx = 0;
    for (double v : r->values) {
        ASSERT_GE(v, 0.0);
        ASSERT_LE(v, 35.0);
        mx = std::max(mx, v);
    }
    EXPECT_EQ(mx, 35.0);
    EXPECT_TRUE(r->formants_found);
    int f1_near = 0, quiet_suppressed = 0;
    for (int i = 0; i < 200; ++i) {
        const auto& f = r->formants[i];
        if (i > 110 && f[0] > 0) f1_near += std::abs(f[0] - 500) < 60;
        if (i < 90) quiet_suppressed += f[0] == 0;
    }
    EXPECT_GT(f1_near, 80);
    EXPECT_EQ(quiet_suppressed, 90);
    // One thread gives the same columns.
    auto r1 = ComputeSpectrogram(src, su, progress, nullptr, 1);
    EXPECT_EQ(r1->values, r->values);
    EXPECT_EQ(r1->formants, r->formants);
    // An 8192-point window is supported.
    su.window = 8192;
    su.formants = false;
    EXPECT_TRUE(ComputeSpectrogram(src, su, progress, nullptr));
    // A cancel leaves nothing.
    ScriptedProgress cancel(40);
    EXPECT_FALSE(ComputeSpectrogram(src, su, cancel, nullptr));
    EXPECT_EQ(cancel.closed, 1);
}

// A clear vowel keeps its formants in every column, whatever the rate: the
// default 128-point spectral window is 2.9 ms at 44.1 kHz and can fall
// between two pulses of a 110 Hz voice, but the frame is judged quiet only
// when nothing loud lies inside its LPC frame.
struct QuietCase {
    double fs;
    int columns;
};

class SpectrogramQuietFrames : public ::testing::TestWithParam<QuietCase> {};

TEST_P(SpectrogramQuietFrames, AClearVowelLosesNoColumn) {
    const double fs = GetParam().fs;
    test::VoiceSpec v;
    v.fs = fs;
    v.seconds = 0.6;
    v.f0 = [](double) { return 110.0; };
    v.formants = {{730, 80}, {1090, 100}, {2440, 120}};
    v.glottis = test::Glottis::Rosenberg;
    v.jitter = 0.005;
    const auto x = test::synth(v);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    auto su = setup_for(x.size(), fs, GetParam().columns, 32);
    su.window = 128;
    su.formants = true;
    ScriptedProgress progress;
    const auto r = ComputeSpectrogram(src, su, progress, nullptr, 1);
    ASSERT_TRUE(r);
    const int cols = GetParam().columns;
    int suppressed = 0;
    for (int i = cols / 10; i < cols - cols / 10; ++i) suppressed += r->formants[static_cast<std::size_t>(i)][0] == 0;
    EXPECT_EQ(suppressed, 0);
}

INSTANTIATE_TEST_SUITE_P(Rates, SpectrogramQuietFrames,
                         ::testing::Values(QuietCase{11025, 200}, QuietCase{22050, 200}, QuietCase{44100, 60},
                                           QuietCase{44100, 400}, QuietCase{48000, 200}));

}  // namespace
}  // namespace vox
