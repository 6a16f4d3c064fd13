// The test-signal synthesiser itself: the accuracy tests rely on its noise
// level, its jitter and its F0 being what was asked for.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/core/dsp/synth.h"

namespace vox::test {
namespace {

class SynthNoise : public ::testing::TestWithParam<double> {};

TEST_P(SynthNoise, NoiseSitsAtTheAskedRatioBelowTheVoice) {
    const double snr = GetParam();
    VoiceSpec v;
    v.fs = 16000;
    v.seconds = 1.0;
    v.f0 = [](double t) { return t < 0.2 ? 0.0 : 140.0; };
    v.formants = {{600, 80}, {1500, 100}};
    v.glottis = Glottis::Rosenberg;
    const auto clean = synth(v);
    v.snr_db = snr;
    const auto noisy = synth(v);
    ASSERT_EQ(clean.size(), noisy.size());
    double ps = 0, pn = 0;
    for (std::size_t i = 3200; i < clean.size(); ++i) {
        ps += double(clean[i]) * clean[i];
        const double d = double(noisy[i]) - clean[i];
        pn += d * d;
    }
    EXPECT_NEAR(10 * std::log10(ps / pn), snr, 0.5);
    // The silent lead-in holds noise only, at the same level.
    double lead = 0;
    for (std::size_t i = 0; i < 3200; ++i) lead += double(noisy[i]) * noisy[i];
    EXPECT_NEAR(10 * std::log10((ps / (clean.size() - 3200)) / (lead / 3200)), snr, 0.7);
}
INSTANTIATE_TEST_SUITE_P(Levels, SynthNoise, ::testing::Values(10.0, 30.0, 45.0));

struct JitterCase {
    double fs, f0, jitter;
};
class SynthJitter : public ::testing::TestWithParam<JitterCase> {};

TEST_P(SynthJitter, PeriodsScatterByTheAskedFractionAroundTheContour) {
    const JitterCase c = GetParam();
    VoiceSpec v;
    v.fs = c.fs;
    v.seconds = 4.0;
    v.f0 = [&](double) { return c.f0; };
    v.jitter = c.jitter;
    v.seed = 5;
    const auto x = synth(v);
    std::vector<double> at;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i] != 0) at.push_back(double(i));
    ASSERT_GT(at.size(), 100u);
    double sum = 0, sum2 = 0;
    for (std::size_t k = 1; k < at.size(); ++k) {
        const double rel = (at[k] - at[k - 1]) * c.f0 / c.fs - 1.0;
        sum += rel;
        sum2 += rel * rel;
    }
    const double n = double(at.size() - 1);
    const double mean = sum / n, sd = std::sqrt(std::max(0.0, sum2 / n - mean * mean));
    // Periods are whole samples: a period of P + r samples (0 ≤ r < 1) comes
    // out as P or P + 1, a relative scatter of √(r(1 − r)) / (P + r).
    const double period = c.fs / c.f0, r = period - std::floor(period);
    const double rounding = std::sqrt(r * (1.0 - r)) / period;
    EXPECT_NEAR(mean, 0.0, 0.003);
    EXPECT_NEAR(sd, std::hypot(c.jitter, rounding), 0.25 * std::hypot(c.jitter, rounding) + 0.001);
}
INSTANTIATE_TEST_SUITE_P(Rates, SynthJitter,
                         ::testing::Values(JitterCase{8000, 100, 0.0}, JitterCase{44100, 200, 0.01},
                                           JitterCase{16000, 120, 0.02}));

TEST(Synth, RosenbergSourceKeepsThePeakAndTheSilence) {
    VoiceSpec v;
    v.fs = 22050;
    v.seconds = 0.6;
    v.f0 = [](double t) { return t > 0.3 ? 0.0 : 180.0; };
    v.formants = {{700, 90}, {1200, 110}, {2600, 160}};
    v.glottis = Glottis::Rosenberg;
    v.peak = 15000;
    const auto x = synth(v);
    int biggest = 0;
    for (auto s : x) biggest = std::max(biggest, std::abs(int(s)));
    EXPECT_EQ(biggest, 15000);
    // The resonators ring out within a few tens of ms after the voice stops.
    int late = 0;
    for (std::size_t i = std::size_t(0.4 * v.fs); i < x.size(); ++i) late = std::max(late, std::abs(int(x[i])));
    EXPECT_LT(late, 2);
}

}  // namespace
}  // namespace vox::test
