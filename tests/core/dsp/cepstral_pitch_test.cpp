// The per-frame cepstral pitch at every rate: no peak from the window's own
// spectrum, no octave error on a clear voice, no bias from the
// interpolation, both ends of the period range reachable; and the
// continuity choice among a frame's cepstral peaks.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/dsp/math_func.h"
#include "core/dsp/pitch_tracker.h"
#include "tests/core/dsp/synth.h"

namespace vox {
namespace {

// Frames of the default analysis (window of 2.75 periods of 50 Hz) over a
// signal; the F0 of each frame.
std::vector<double> frames_f0(const std::vector<std::int16_t>& x, double fs, double fLow = 50, double fHigh = 500) {
    PitchOptions o;
    o.calc_low_hz = fLow;
    o.calc_high_hz = fHigh;
    const CepstralFrameSizes sz = cepstral_frame_sizes(fs, o);
    CMathFunc mf;
    std::vector<double> out;
    for (double start = 0; start + sz.window <= double(x.size()); start += sz.step)
        out.push_back(mf.CepstralPitch(x.data(), static_cast<long long>(start), static_cast<long long>(x.size()), fs, fLow,
                                       fHigh, sz.fft, sz.window));
    return out;
}

struct RateF0 {
    double fs, f0;
};
class CepstralFrames : public ::testing::TestWithParam<RateF0> {};

// A 150 Hz sawtooth low-passed at 1 kHz: its spectrum falls far below the window's
// side lobes, which used to put the peak at quefrency nfft − n (87 Hz at
// 44.1 kHz for a 150 Hz tone).
TEST_P(CepstralFrames, LowPassedSawtoothReadsItsOwnF0OnEveryFrame) {
    const RateF0 c{GetParam().fs, 150.0};
    std::vector<double> y(static_cast<std::size_t>(c.fs * 0.6));
    for (std::size_t i = 0; i < y.size(); ++i) {
        const double ph = std::fmod(c.f0 * double(i) / c.fs, 1.0);
        y[i] = 2.0 * ph - 1.0;
    }
    // Two one-pole low-passes at 1 kHz, forward.
    for (int pass = 0; pass < 4; ++pass) {
        const double a = std::exp(-2 * M_PI * 1000.0 / c.fs);
        double s = 0;
        for (double& v : y) v = s = (1 - a) * v + a * s;
    }
    std::vector<std::int16_t> x(y.size());
    for (std::size_t i = 0; i < y.size(); ++i) x[i] = static_cast<std::int16_t>(std::lround(12000 * y[i]));
    const auto f = frames_f0(x, c.fs);
    ASSERT_GT(f.size(), 20u);
    for (std::size_t i = 0; i < f.size(); ++i) EXPECT_NEAR(f[i], c.f0, 0.01 * c.f0) << c.fs << " frame " << i;
}

// A steady voice well inside the range: its rahmonic at twice the period
// must not win (330 Hz used to read 165 Hz), and the interpolated peak has
// no low bias (the fine table used to be offset from the spline's knots).
TEST_P(CepstralFrames, SteadyVoiceReadsItsF0WithoutOctaveErrorOrBias) {
    const RateF0 c = GetParam();
    test::VoiceSpec v;
    v.fs = c.fs;
    v.seconds = 0.6;
    v.f0 = [&](double) { return c.f0; };
    v.formants = {{600, 80}, {1700, 100}, {2600, 140}};
    v.glottis = test::Glottis::Rosenberg;
    const auto f = frames_f0(test::synth(v), c.fs);
    ASSERT_GT(f.size(), 20u);
    double sum = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_NEAR(f[i], c.f0, 0.02 * c.f0) << c.fs << " frame " << i;
        sum += f[i];
    }
    // At 8 kHz a 330 Hz period is 24.2 samples and the narrow power-cepstrum
    // peak is placed within a tenth of a sample of a knot: about 1 %.
    EXPECT_NEAR(sum / double(f.size()), c.f0, 0.012 * c.f0) << c.fs;
}

// The fine peak search has no offset against the spline's knots, even when
// fs/fHigh has a fraction (here 24.5 samples, which used to bias every F0
// low by up to half a sample: 1.4 % at 300 Hz).
TEST(CepstralPitch, FineSearchIsAlignedWithTheSplineKnots) {
    for (double f0 : {300.0, 220.0, 171.0}) {
        test::VoiceSpec v;
        v.fs = 11025;
        v.seconds = 0.6;
        v.f0 = [&](double) { return f0; };
        v.formants = {{600, 80}, {1700, 100}};
        const auto f = frames_f0(test::synth(v), v.fs, 50, 450);
        ASSERT_GT(f.size(), 20u);
        double sum = 0;
        for (double x : f) sum += x;
        EXPECT_NEAR(sum / double(f.size()), f0, 0.007 * f0) << f0;
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, CepstralFrames,
                         ::testing::Values(RateF0{8000, 150}, RateF0{8000, 330}, RateF0{11025, 330}, RateF0{16000, 173},
                                           RateF0{22050, 150}, RateF0{22050, 330}, RateF0{32000, 247},
                                           RateF0{44100, 150}, RateF0{44100, 330}, RateF0{48000, 150},
                                           RateF0{48000, 330}, RateF0{96000, 150}, RateF0{96000, 440}));

struct EdgeCase {
    double fs;
    std::size_t period;  // samples
    double fLow, fHigh;
    bool voiced;
};
class CepstralRangeEnds : public ::testing::TestWithParam<EdgeCase> {};

// A peak exactly at fs/fLow or fs/fHigh is inside the range; moving the
// bound 0.1 Hz past it leaves the frame unvoiced.
TEST_P(CepstralRangeEnds, PeakExactlyAtAnEndIsVoicedAndJustOutsideIsNot) {
    const EdgeCase c = GetParam();
    const auto x = test::impulse_train(static_cast<std::size_t>(c.fs), c.period, 10000);
    PitchOptions o;
    o.calc_low_hz = c.fLow;
    o.calc_high_hz = c.fHigh;
    const CepstralFrameSizes sz = cepstral_frame_sizes(c.fs, o);
    CMathFunc mf;
    const double f = mf.CepstralPitch(x.data(), 1000, static_cast<long long>(x.size()), c.fs, c.fLow, c.fHigh, sz.fft,
                                      sz.window);
    if (c.voiced)
        EXPECT_NEAR(f, c.fs / double(c.period), 1e-9);
    else
        EXPECT_EQ(f, 0.0);
}
INSTANTIATE_TEST_SUITE_P(Bounds, CepstralRangeEnds,
                         ::testing::Values(EdgeCase{10000, 200, 50, 500, true}, EdgeCase{10000, 200, 50.1, 500, false},
                                           EdgeCase{10000, 20, 50, 500, true}, EdgeCase{10000, 20, 50, 499.9, false},
                                           EdgeCase{8000, 100, 80, 300, true}, EdgeCase{8000, 100, 80.1, 300, false},
                                           EdgeCase{16000, 64, 60, 250, true}, EdgeCase{16000, 64, 60, 249.9, false}));

TEST(CepstralPitch, UnsupportedFftSizeAndSilence) {
    const auto x = test::impulse_train(4000, 50, 10000);
    CMathFunc mf;
    EXPECT_EQ(mf.CepstralPitch(x.data(), 0, 4000, 10000, 50, 500, 1000, 350), -1.0);
    EXPECT_NEAR(mf.CepstralPitch(x.data(), 0, 4000, 10000, 50, 500, 8192, 4000), 200.0, 1e-9);
    const std::vector<std::int16_t> silence(4000, 0);
    EXPECT_EQ(mf.CepstralPitch(silence.data(), 0, 4000, 10000, 50, 500, 1024, 350), 0.0);
    EXPECT_EQ(mf.cepstral_candidate_count(), 0);
}

// --- continuity among the peaks ----------------------------------------------------

PitchFrameCandidates frame(std::initializer_list<PitchCandidate> c) {
    PitchFrameCandidates f;
    for (const PitchCandidate& p : c) f.c[f.count++] = p;
    return f;
}

TEST(ChooseContinuousPitch, AnOutlierGivesWayToItsPeakOnTheContour) {
    std::vector<PitchFrameCandidates> fr{
        frame({{100, 10}}),           frame({{101, 10}, {440, 2}}), frame({{440, 10}, {102, 6}}),
        frame({{103, 10}, {210, 3}}), frame({{104, 10}}),           frame({}),
        frame({{300, 5}, {150, 4}}),  frame({{302, 5}, {151, 4}}),
    };
    const auto f = ChooseContinuousPitch(fr);
    EXPECT_EQ(f, (std::vector<double>{100, 101, 102, 103, 104, 0, 300, 302}));
}

TEST(ChooseContinuousPitch, AFrameWithoutAnAlternativeKeepsItsAnswer) {
    // Frame 2 jumps an octave and holds nothing else: continuity cannot
    // invent a value (the deviation filter deals with it later), and the
    // path through it may continue on a close second peak.
    std::vector<PitchFrameCandidates> fr{frame({{200, 10}}), frame({{201, 10}}), frame({{402, 10}}),
                                         frame({{202, 10}, {404, 9}}), frame({{203, 10}}), frame({{204, 10}})};
    const auto f = ChooseContinuousPitch(fr);
    EXPECT_EQ(f[2], 402);
    EXPECT_EQ(f[4], 203);
    EXPECT_EQ(f[5], 204);
    // A stronger subharmonic listed second (the octave check chose the
    // answer) does not take over a steady run.
    fr = {frame({{330, 3}, {165, 10}}), frame({{331, 3}, {165.5, 10}}), frame({{330, 3}, {165, 10}})};
    EXPECT_EQ(ChooseContinuousPitch(fr), (std::vector<double>{330, 331, 330}));
}

}  // namespace
}  // namespace vox
