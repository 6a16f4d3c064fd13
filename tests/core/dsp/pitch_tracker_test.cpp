// The pitch options' dialog rules and both pitch tracks: impulse trains,
// synthetic voices with a known F0 contour, the post-processing rules,
// memory against raw-file sources and cancelling.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <tuple>
#include <vector>

#include "core/document/channel_analysis.h"
#include "core/dsp/pitch_options.h"
#include "core/dsp/pitch_tracker.h"
#include "core/io/binary_file.h"
#include "tests/core/dsp/synth.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Resonance;

std::string write_raw(const test::ScratchDir& dir, const std::vector<std::int16_t>& x) {
    std::vector<unsigned char> bytes(x.size() * 2);
    for (std::size_t i = 0; i < x.size(); ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(x[i]));
    const std::string path = dir.file("samples.raw");
    test::write_file(path, bytes);
    return path;
}

// Channel 0 of `doc` holds `x` in memory at `rate` Hz.
CChannels& load_channel(CMarbeckDoc& doc, const std::vector<std::int16_t>& x, double rate) {
    CChannels& ch = doc.channels[0];
    ch.allocate_samples(x.size());
    std::copy(x.begin(), x.end(), ch.samples.data());
    ch.set_foreign_audio(rate, static_cast<double>(x.size()));
    doc.channel_count = 1;
    return ch;
}

// --- options ---------------------------------------------------------------

TEST(PitchOptions, DefaultsRestoreTheSelectedMethodsPairOnly) {
    for (int method : {kPitchMethodCepstral, kPitchMethodAmdf}) {
        PitchOptions o;
        o.window_ms = 80;
        o.step_ms = 3;
        o.calc_low_hz = 70;
        o.calc_high_hz = 900;
        o.display_low_hz = 60;
        o.display_high_hz = 700;
        o.frequency_grid_hz = 5;
        o.add_frequency_grid = 0;
        o.cepstral = 1 - method;  // the stored method is not touched
        o.cepstral_deviation_hz = 7;
        o.cepstral_threshold_pct = 9;
        o.amdf_deviation = 11;
        o.amdf_threshold = 13;
        apply_pitch_defaults(o, method);
        EXPECT_EQ(o.window_ms, 35);
        EXPECT_EQ(o.step_ms, 10);
        EXPECT_EQ(o.calc_low_hz, 50);
        EXPECT_EQ(o.calc_high_hz, 500);
        EXPECT_EQ(o.display_low_hz, 50);
        EXPECT_EQ(o.display_high_hz, 500);
        EXPECT_EQ(o.add_frequency_grid, 1);
        EXPECT_EQ(o.frequency_grid_hz, 20);
        EXPECT_EQ(o.cepstral, 1 - method);
        const PitchTrackingPair chosen = tracking_pair(o, method);
        const PitchTrackingPair other = tracking_pair(o, 1 - method);
        EXPECT_EQ(chosen.deviation, 100);
        EXPECT_EQ(chosen.threshold, 1);
        if (method == kPitchMethodCepstral) {
            EXPECT_EQ(other.deviation, 11);
            EXPECT_EQ(other.threshold, 13);
        } else {
            EXPECT_EQ(other.deviation, 7);
            EXPECT_EQ(other.threshold, 9);
        }
    }
}

struct RangeCase {
    double calc_low, calc_high;
    int display_low, display_high;
    const char* message;  // null: accepted
};
class PitchValidation : public ::testing::TestWithParam<RangeCase> {};
TEST_P(PitchValidation, FirstFailingRuleSpeaks) {
    const RangeCase c = GetParam();
    const char* got = validate_pitch_ranges(c.calc_low, c.calc_high, c.display_low, c.display_high);
    if (c.message == nullptr) {
        EXPECT_EQ(got, nullptr);
    } else {
        ASSERT_NE(got, nullptr);
        EXPECT_STREQ(got, c.message);
    }
}
INSTANTIATE_TEST_SUITE_P(
    Order, PitchValidation,
    ::testing::Values(RangeCase{50, 250, 50, 250, nullptr},                        // both limits inclusive
                      RangeCase{49.9, 100, 10, 20, pitch_text::kCalcLowTooLow},    // every rule fails: the first speaks
                      RangeCase{60, 259.9, 10, 20, pitch_text::kCalcHighTooLow},
                      RangeCase{60, 260, 49, 20, pitch_text::kDisplayLowTooLow},
                      RangeCase{60, 260, 50, 249, pitch_text::kDisplayHighTooLow},
                      RangeCase{75, 500, 75, 600, nullptr}));

TEST(CepstralFrameSizes, WindowCutTo4096RewritesTheOptionAndFftSizeFollowsTheWindow) {
    PitchOptions o;
    o.window_ms = 600;
    CepstralFrameSizes s = cepstral_frame_sizes(8000, o);
    EXPECT_EQ(s.window, 4096);
    EXPECT_EQ(s.fft, 4096);
    EXPECT_DOUBLE_EQ(o.window_ms, 512.0);
    const std::vector<std::tuple<double, int, int>> cases = {
        {200, 1600, 2048}, {127.875, 1023, 1024}, {128, 1024, 2048}, {256, 2048, 4096}, {35, 280, 1024}};
    // A calculation range from 150 Hz asks for no more than 147 samples.
    o.calc_low_hz = 150;
    for (auto [ms, n, nfft] : cases) {
        o.window_ms = ms;
        s = cepstral_frame_sizes(8000, o);
        EXPECT_EQ(s.window, n) << ms;
        EXPECT_EQ(s.fft, nfft) << ms;
        EXPECT_EQ(o.window_ms, ms);
    }
    o.step_ms = 10;
    EXPECT_DOUBLE_EQ(cepstral_frame_sizes(11025, o).step, 110.25);
}

struct LongWindowCase {
    double fs, window_ms, calc_low_hz;
    int window, fft;
    double option_after_ms;
};
class CepstralWindowForLowVoices : public ::testing::TestWithParam<LongWindowCase> {};
// The window holds 2.75 periods of the lowest F0 searched for (up to 8192
// samples); the option keeps the person's value unless it was cut to 4096.
TEST_P(CepstralWindowForLowVoices, WindowHoldsEnoughPeriodsOfTheLowestF0) {
    const LongWindowCase c = GetParam();
    PitchOptions o;
    o.window_ms = c.window_ms;
    o.calc_low_hz = c.calc_low_hz;
    const CepstralFrameSizes s = cepstral_frame_sizes(c.fs, o);
    EXPECT_EQ(s.window, c.window);
    EXPECT_EQ(s.fft, c.fft);
    EXPECT_DOUBLE_EQ(o.window_ms, c.option_after_ms);
}
INSTANTIATE_TEST_SUITE_P(
    Rates, CepstralWindowForLowVoices,
    ::testing::Values(LongWindowCase{8000, 35, 50, 440, 1024, 35},       // 55 ms for 50 Hz
                      LongWindowCase{44100, 35, 50, 2426, 4096, 35},     // ⌈2425.5⌉
                      LongWindowCase{44100, 35, 75, 1617, 2048, 35},
                      LongWindowCase{96000, 35, 50, 5280, 8192, 35},     // past 4096: an 8192-point FFT
                      LongWindowCase{96000, 600, 50, 5280, 8192, 4096.0 * 1000.0 / 96000},
                      LongWindowCase{8000, 35, 10, 2200, 4096, 35},
                      LongWindowCase{96000, 35, 10, 8192, 8192, 35},    // at most 8192
                      LongWindowCase{16000, 100, 50, 1600, 2048, 100}));  // long enough already

// --- cepstral post-processing ---------------------------------------------

TEST(CepstralPostProcessing, DeviationFilterAndCentredSmoothing) {
    std::vector<double> v{0, 150, 152, 0};
    CepstralDeviationAndSmoothing(v, 100);
    EXPECT_EQ(v, (std::vector<double>{0, 0, 0, 0}));

    // Differences are truncated before the comparison: 99.9 passes 100.
    v = {100, 199.9, 100, 100, 100, 100, 100};
    CepstralDeviationAndSmoothing(v, 100);
    EXPECT_EQ(v[1], 199.9);  // its left neighbour is the dropped first frame
    EXPECT_EQ(v[2], (199.9 + 100 + 100) / 3);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[6], 0);

    // Smoothing is centred: a frame with two voiced neighbours becomes the
    // mean of the three unsmoothed values; the ends of a run stay as they are.
    v = {0, 120, 150, 180, 180, 0};
    CepstralDeviationAndSmoothing(v, 1000);
    EXPECT_EQ(v[0], 0);
    EXPECT_DOUBLE_EQ(v[1], 120);
    EXPECT_DOUBLE_EQ(v[2], (120 + 150 + 180) / 3.0);
    EXPECT_DOUBLE_EQ(v[3], (150 + 180 + 180) / 3.0);
    EXPECT_DOUBLE_EQ(v[4], 180);
    EXPECT_EQ(v[5], 0);

    // A steady glide keeps its values at their own frames (a forward mean
    // would put each frame's value one frame early).
    v = {0, 100, 110, 120, 130, 140, 0};
    CepstralDeviationAndSmoothing(v, 1000);
    EXPECT_EQ(v, (std::vector<double>{0, 100, 110, 120, 130, 140, 0}));

    // An isolated voiced frame never survives.
    v = {0, 0, 210, 0, 0};
    CepstralDeviationAndSmoothing(v, 100);
    EXPECT_EQ(v, (std::vector<double>{0, 0, 0, 0, 0}));
}

// --- cepstral track -----------------------------------------------------------

TEST(CepstralTrack, ImpulseTrainAt200HzIsVoicedAt200HzButTheEndFrames) {
    const double fs = 10000;
    const auto x = test::impulse_train(20000, 50, 10000);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    ScriptedProgress progress;
    const PitchOutcome out = CepstralPitchTrack(src, 0, x.size(), fs, 0.0, o, progress);
    ASSERT_TRUE(out.track);
    const auto& f0 = out.track->f0;
    ASSERT_EQ(f0.size(), 200u);  // 20000 samples / 100-sample step
    EXPECT_EQ(f0.front(), 0.0);
    EXPECT_EQ(f0.back(), 0.0);
    for (std::size_t i = 1; i + 1 < f0.size(); ++i) EXPECT_NEAR(f0[i], 200.0, 1e-9) << i;
    EXPECT_EQ(progress.captions, std::vector<std::string>{dsp_text::kCaptionPitch});
    EXPECT_EQ(progress.last_total, 200);
    EXPECT_EQ(progress.steps, 200);
    EXPECT_EQ(progress.opened, 1);
    EXPECT_EQ(progress.closed, 1);
    // Frame 3 spans samples 300 … 849 (the 35 ms window lengthened to 55 ms,
    // 2.75 periods of 50 Hz): its value belongs to 57.5 ms.
    EXPECT_DOUBLE_EQ(out.track->time_ms(3), 57.5);
    EXPECT_DOUBLE_EQ(out.track->step_ms, 10.0);
}

TEST(CepstralTrack, EnergyGateDropsQuietFramesAndSilenceBelowOne) {
    const double fs = 10000;
    // Loud pulses in the first half, pulses 1000 times weaker after, silence last.
    std::vector<std::int16_t> x(30000, 0);
    for (std::size_t i = 0; i < 10000; i += 50) x[i] = 20000;
    for (std::size_t i = 10000; i < 20000; i += 50) x[i] = 20;
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    o.cepstral_threshold_pct = 1;
    NullProgress np;
    auto out = CepstralPitchTrack(src, 0, x.size(), fs, 0.0, o, np);
    ASSERT_TRUE(out.track);
    const auto& f0 = out.track->f0;
    int loud = 0, quiet = 0;
    for (int i = 5; i < 95; ++i) loud += f0[i] > 0;
    for (int i = 105; i < 300; ++i) quiet += f0[i] > 0;
    EXPECT_EQ(loud, 90);
    EXPECT_EQ(quiet, 0);
    // With threshold 0 the weak pulses pass the gate, the silence does not.
    o.cepstral_threshold_pct = 0;
    out = CepstralPitchTrack(src, 0, x.size(), fs, 0.0, o, np);
    quiet = 0;
    int silent = 0;
    for (int i = 105; i < 195; ++i) quiet += out.track->f0[i] > 0;
    for (int i = 205; i < 300; ++i) silent += out.track->f0[i] > 0;
    EXPECT_EQ(quiet, 90);
    EXPECT_EQ(silent, 0);
}

double true_f0(double t) { return 120.0 + 60.0 * t; }  // 120 → 180 Hz over one second

TEST(PitchTracks, SyntheticVoiceFollowsAKnownContour) {
    const double fs = 16000;
    const auto x = test::synth_voice(
        fs, 1.4, [](double t) { return t < 0.2 || t > 1.2 ? 0.0 : true_f0(t - 0.2); },
        {{500, 60}, {1500, 90}, {2500, 120}}, 20000, 3, 30);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    for (int method : {kPitchMethodCepstral, kPitchMethodAmdf}) {
        PitchOptions o;
        o.cepstral = method;
        o.amdf_threshold = 10;
        NullProgress np;
        const auto out = method == kPitchMethodCepstral ? CepstralPitchTrack(src, 0, x.size(), fs, 0.0, o, np)
                                                        : AmdfPitchTrack(src, 0, x.size(), fs, o, np);
        ASSERT_TRUE(out.track) << method;
        const PitchTrack& tr = *out.track;
        int inside = 0, voiced = 0, good = 0, outside_voiced = 0;
        for (std::size_t i = 0; i < tr.size(); ++i) {
            const double t = tr.time_ms(i) / 1000.0;
            // Frames well inside the voiced stretch (the window is 35 ms).
            if (t > 0.25 && t < 1.15) {
                ++inside;
                if (tr.voiced(i)) {
                    ++voiced;
                    const double truth = true_f0(t - 0.2);
                    // The AMDF tracker works on integer lags of a coarse table.
                    const double tol = method == kPitchMethodCepstral ? 0.04 : 0.10;
                    good += std::fabs(tr.f0[i] - truth) < tol * truth;
                }
            }
            if ((t < 0.15 || t > 1.25) && tr.voiced(i)) ++outside_voiced;
        }
        EXPECT_GT(voiced, inside * 9 / 10) << method;
        EXPECT_GT(good, voiced * 95 / 100) << method;
        EXPECT_EQ(outside_voiced, 0) << method;
    }
}

TEST(PitchTracks, RawFileSourceAndThreadCountGiveTheSameTrack) {
    const double fs = 11025;
    const auto x = test::synth_voice(
        fs, 2.0, [](double t) { return t < 0.3 ? 0.0 : 100.0 + 80.0 * std::sin(3 * t); }, {{600, 70}, {1500, 100}},
        9000, 7, 50);
    test::ScratchDir dir;
    const std::string raw = write_raw(dir, x);
    for (int method : {kPitchMethodCepstral, kPitchMethodAmdf}) {
        PitchOptions o;
        o.cepstral = method;
        NullProgress np;
        SampleSource mem = SampleSource::memory(x.data(), x.size());
        SampleSource file = SampleSource::over(std::make_unique<ChannelSamples>(ChannelSamples::raw_file(raw, x.size())));
        auto run = [&](SampleSource& s, int threads) {
            return method == kPitchMethodCepstral ? CepstralPitchTrack(s, 1234, 18000, fs, 3.0, o, np, threads)
                                                  : AmdfPitchTrack(s, 1234, 18000, fs, o, np, threads);
        };
        const auto a = run(mem, 1), b = run(file, 2), c = run(mem, 2);
        ASSERT_TRUE(a.track && b.track && c.track);
        EXPECT_EQ(a.track->f0, b.track->f0) << method;
        EXPECT_EQ(a.track->f0, c.track->f0) << method;
        int voiced = 0;
        for (double v : a.track->f0) voiced += v > 0;
        EXPECT_GT(voiced, 20) << method;
        // The first value belongs to the centre of the first frame: half the
        // window (607 samples, 2.75 periods of 50 Hz) for the cepstral track,
        // the frame's own sample for the AMDF track.
        const double centre = method == kPitchMethodCepstral ? 1234 + 607 / 2.0 : 1234;
        EXPECT_DOUBLE_EQ(a.track->time_ms(0), centre * 1000.0 / fs);
    }
    // A raw file that cannot be read abandons.
    SampleSource missing = SampleSource::over(std::make_unique<ChannelSamples>(ChannelSamples::raw_file(dir.file("absent.raw"), x.size())));
    PitchOptions o;
    NullProgress np;
    EXPECT_EQ(CepstralPitchTrack(missing, 0, 5000, fs, 0, o, np).failure, PitchFailure::ReadFailed);
}

TEST(PitchTracks, DocumentChannelInMemoryAndOnDisk) {
    test::DocFixture fx;
    CMarbeckDoc& doc = *fx.doc;
    const auto x = test::impulse_train(16000, 80, 8000);  // 200 Hz at 16 kHz
    CChannels& ch = load_channel(doc, x, 16000.0);
    PitchOptions o;
    auto mem = ComputePitch(doc, 0, 0, 0, o, fx.progress);
    ASSERT_TRUE(mem.track);
    // The same recording kept on disk.
    doc.adopt_sample_file(write_raw(fx.dir, x));
    ch.samples.reset();
    auto disk = ComputePitch(doc, 0, 0, 0, o, fx.progress);
    ASSERT_TRUE(disk.track);
    EXPECT_EQ(mem.track->f0, disk.track->f0);
    EXPECT_NEAR(mem.track->f0[50], 200.0, 1e-9);
    // A selection: frames start at the selection.
    auto part = ComputePitch(doc, 0, 4000, 8000, o, fx.progress);
    ASSERT_TRUE(part.track);
    EXPECT_EQ(part.track->size(), 50u);
    EXPECT_DOUBLE_EQ(part.track->time_ms(0), 250.0 + 27.5);  // half the 55 ms window
}

// Longer than the AMDF tracker's 1 MiB pieces: from the file the pieces
// and their overlaps give the track of the samples in memory.
TEST(PitchTracks, AmdfOfAChannelOnDiskOverManyPiecesMatchesMemory) {
    test::DocFixture fx;
    CMarbeckDoc& doc = *fx.doc;
    std::vector<std::int16_t> x(2'600'000);
    double phase = 0.0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        phase += 2.0 * std::numbers::pi * (100.0 + 200.0 * double(i) / double(x.size())) / 16000.0;
        x[i] = static_cast<std::int16_t>(9000.0 * std::sin(phase) + 3000.0 * std::sin(3.0 * phase));
    }
    CChannels& ch = load_channel(doc, x, 16000.0);
    PitchOptions o;
    o.cepstral = kPitchMethodAmdf;
    const auto mem = ComputePitch(doc, 0, 0, 0, o, fx.progress);
    ASSERT_TRUE(mem.track);
    doc.adopt_sample_file(write_raw(fx.dir, x));
    ch.samples.reset();
    const auto disk = ComputePitch(doc, 0, 0, 0, o, fx.progress);
    ASSERT_TRUE(disk.track);
    EXPECT_EQ(mem.track->f0, disk.track->f0);
    EXPECT_NEAR(mem.track->value_at(81'250.0), 200.0, 10.0) << "the tone rises from 100 to 300 Hz";
}

TEST(PitchTracks, CancelLeavesNoTrackAndClosesTheWindow) {
    const auto x = test::impulse_train(200000, 50, 10000);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    for (int method : {kPitchMethodCepstral, kPitchMethodAmdf}) {
        PitchOptions o;
        o.cepstral = method;
        ScriptedProgress progress(0);
        const auto out = method == kPitchMethodCepstral ? CepstralPitchTrack(src, 0, x.size(), 10000, 0, o, progress)
                                                        : AmdfPitchTrack(src, 0, x.size(), 10000, o, progress);
        EXPECT_FALSE(out.track);
        EXPECT_EQ(out.failure, PitchFailure::Cancelled);
        EXPECT_EQ(progress.opened, 1);
        EXPECT_EQ(progress.closed, 1);
        // A cancel part-way also leaves nothing.
        ScriptedProgress later(1500);
        const auto out2 = CepstralPitchTrack(src, 0, x.size(), 10000, 0, o, later);
        EXPECT_FALSE(out2.track);
        EXPECT_EQ(later.closed, 1);
    }
}

// --- AMDF tracker -----------------------------------------------------------

TEST(AmdfTrack, NeedsElevenHundredSamples) {
    const auto x = test::impulse_train(1100, 80, 8000);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    NullProgress np;
    EXPECT_EQ(AmdfPitchTrack(src, 0, 1099, 16000, o, np).failure, PitchFailure::TooShort);
    const auto ok = AmdfPitchTrack(src, 0, 1100, 16000, o, np);
    ASSERT_TRUE(ok.track);
    EXPECT_EQ(ok.track->size(), 11u);
}

TEST(AmdfTrack, SteadyPulseTrainIsFoundInTenthsOfAHertz) {
    // 16000/80 = 200 Hz: pitch is 10·fs/80 tenths, reported as 200.0 Hz.
    const auto x = test::synth_voice(16000, 1.0, [](double) { return 200.0; }, {{800, 100}}, 15000);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    PitchOptions o;
    NullProgress np;
    const auto out = AmdfPitchTrack(src, 0, x.size(), 16000, o, np);
    ASSERT_TRUE(out.track);
    int hits = 0;
    for (std::size_t k = 10; k < 150; ++k) hits += std::fabs(out.track->f0[k] - 200.0) < 0.05;
    EXPECT_GT(hits, 130);
    EXPECT_EQ(out.track->f0[0], -0.1);  // before the first analysable frame
}

std::vector<std::int32_t> continuity(std::vector<std::int32_t> W, int pct) {
    std::vector<std::int32_t> T(W.size());
    CMathFunc::ContinuityAndGaps(W.data(), static_cast<int>(W.size()), pct, T.data());
    return T;
}

TEST(AmdfContinuity, RunsOfFourAreRejectedAndRunsOfFiveKept) {
    EXPECT_EQ(continuity({-1, 1000, 1000, 1000, 1000, -1, -1}, 20), (std::vector<std::int32_t>{-1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(continuity({-1, 1000, 1000, 1000, 1000, 1000, -1}, 20),
              (std::vector<std::int32_t>{-1, 1000, 1000, 1000, 1000, 1000, -1}));
    // A single outlier inside a run is repaired from its neighbours.
    EXPECT_EQ(continuity({1000, 1000, 1500, 1000, 1000, 1000}, 20),
              (std::vector<std::int32_t>{1000, 1000, 1000, 1000, 1000, 1000}));
}

TEST(AmdfContinuity, ShortRejectedGapsBetweenCloseValuesAreBridged) {
    // A rejected stretch after an unvoiced frame is not bridged.
    std::vector<std::int32_t> W{1000, 1000, 1000, 1000, 1000, -1, 2000, 2000, -1, 1100, 1100, 1100, 1100, 1100};
    auto T = continuity(W, 20);
    EXPECT_EQ(T[6], -1);
    EXPECT_EQ(T[7], -1);
    // Rejected frames 5, 6 between voiced frames 4 and 7 (j − a = 3): bridged
    // when |1000 − 1060| ≤ 2060·17·20/2000 = 350. The end of the first run is
    // kept because the frame after it is rejected (negative).
    W = {1000, 1000, 1000, 1000, 1000, 3000, 3000, 1060, 1060, 1060, 1060, 1060};
    T = continuity(W, 20);
    EXPECT_EQ(T[4], 1000);
    EXPECT_EQ(T[5], 1000 + 60 * 1 / 3);
    EXPECT_EQ(T[6], 1000 + 60 * 2 / 3);
    // Too far apart in value (500 > 2500·17·20/2000 = 425): not bridged.
    W = {1000, 1000, 1000, 1000, 1000, 3000, 3000, 1500, 1500, 1500, 1500, 1500};
    T = continuity(W, 20);
    EXPECT_EQ(T[5], -1);
    EXPECT_EQ(T[6], -1);
}

TEST(AmdfSmoothTrack, WeightsAndNegativeEntries) {
    std::vector<std::int32_t> v{100, 200, -1, 400};
    CMathFunc::SmoothTrack(v.data(), 4, 1);
    // Backwards: v3 alone stays 400; v1 = (3·200 + 2·100 + 2)/5 = 160; v0
    // alone stays 100. Forwards: v0 = (3·100 + 2·160 + 2)/5 = 124; v1 (v2
    // negative) stays 160.
    EXPECT_EQ(v, (std::vector<std::int32_t>{124, 160, -1, 400}));
}

}  // namespace
}  // namespace vox
