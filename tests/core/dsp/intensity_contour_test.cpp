// The per-frame intensity contour reads, at every sample, what the block of
// one value per sample holds (the spreading of the same frames), with the
// same range, for overlapping frames, abutting ones, gaps, fractional and
// sub-sample steps and relative mode; and a channel's contour beyond 2^31
// samples is addressed by 64-bit positions.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/dsp/intensity_contour.h"
#include "core/dsp/intensity.h"
#include "core/dsp/math_func.h"
#include "core/dsp/sample_source.h"
#include "core/platform/progress.h"

namespace vox {
namespace {

struct Geometry {
    int window;
    double step;
    std::size_t total;
    bool relative;
};

class ContourGeometry : public ::testing::TestWithParam<Geometry> {};

TEST_P(ContourGeometry, EverySampleReadsWhatTheSpreadBlockHolds) {
    const Geometry g = GetParam();
    // Frames inside total, values that vary (and one 0, a gated frame).
    std::vector<std::size_t> starts;
    std::vector<double> values;
    for (long long i = 0;; ++i) {
        const auto s = static_cast<std::size_t>(static_cast<double>(i) * g.step);
        if (s + static_cast<std::size_t>(g.window) > g.total) break;
        starts.push_back(s);
        values.push_back(i % 7 == 3 ? 0.0 : 40.0 + 10.0 * std::sin(0.37 * static_cast<double>(i)));
    }
    std::vector<double> block(g.total, -1.0);
    const EnergyRange r =
        CMathFunc::SpreadFrameValues(starts.data(), values.data(), starts.size(), g.window, g.total, g.relative, block.data());
    IntensityContour c;
    c.assign(values, g.window, g.step, g.total, g.relative);
    ASSERT_EQ(c.frames(), values.size());
    ASSERT_EQ(c.size(), g.total);
    EXPECT_EQ(c.min(), r.min);
    EXPECT_EQ(c.max(), r.max);
    for (std::size_t s = 0; s < g.total; ++s) ASSERT_EQ(c[s], block[s]) << "sample " << s;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ContourGeometry,
    ::testing::Values(Geometry{441, 220.5, 20000, false},   // overlapping, fractional step
                      Geometry{441, 220.5, 20000, true},    // the same, relative
                      Geometry{100, 100.0, 5050, false},    // abutting, a tail after the last frame
                      Geometry{80, 110.25, 6000, false},    // gaps between frames
                      Geometry{80, 110.25, 6000, true},     // gaps, relative: 0 counts in the minimum
                      Geometry{16, 0.4, 300, false},        // several frames start at one sample
                      Geometry{500, 10.0, 400, false},      // no frame fits: all 0
                      Geometry{1, 1.0, 50, true}));         // one-sample frames

TEST(IntensityContour, ResetLeavesNoContour) {
    IntensityContour c;
    EXPECT_FALSE(c.valid());
    c.assign({50.0}, 10, 10.0, 10, false);
    EXPECT_TRUE(c.valid());
    EXPECT_EQ(c[5], 50.0);
    EXPECT_EQ(c[10], 0.0);  // beyond the channel
    c.reset();
    EXPECT_FALSE(c.valid());
    EXPECT_EQ(c.size(), 0u);
}

TEST(IntensityContour, PositionsBeyondTwoToThe31Samples) {
    // 14 hours at 44.1 kHz: 2 222 640 000 samples, 10 ms frames of 441
    // samples; values are the frame numbers, so a read shows which frame
    // answered it.
    const std::uint64_t total = 14ull * 3600ull * 44100ull;
    ASSERT_GT(total, std::uint64_t{std::numeric_limits<std::int32_t>::max()});
    const std::size_t F = static_cast<std::size_t>(total / 441);
    std::vector<double> values(F);
    for (std::size_t f = 0; f < F; ++f) values[f] = static_cast<double>(f);
    IntensityContour c;
    c.assign(std::move(values), 441, 441.0, total, false);
    EXPECT_EQ(c.size(), total);
    const std::uint64_t s = 2'200'000'123ull;  // past 2^31
    ASSERT_LT(s, total);
    EXPECT_EQ(c[s], static_cast<double>(s / 441));
    EXPECT_EQ(c.frame_start(F - 1), (F - 1) * 441ull);
    EXPECT_EQ(c[total - 1], static_cast<double>(F - 1));
    EXPECT_EQ(c.max(), static_cast<double>(F - 1));
}

TEST(IntensityContour, ComputedFramesMatchTheSpreadComputation) {
    // A 3 s chirp at 11025 Hz through both entry points: the frames read per
    // sample equal the per-sample computation of the toolbox.
    const double fs = 11025;
    std::vector<std::int16_t> x(static_cast<std::size_t>(3 * fs));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<std::int16_t>(8000.0 * std::sin(0.001 * i * i / fs) * (i % 5000 < 4000 ? 1.0 : 0.0));
    IntensityOptions o;
    o.window_ms = 20;
    o.step_ms = 7;
    for (int relative : {0, 1}) {
        o.relative = relative;
        SampleSource src = SampleSource::memory(x.data(), x.size());
        NullProgress np;
        IntensityContour c;
        ASSERT_TRUE(ComputeIntensityFrames(src, x.size(), fs, 3.0, o, np, c, 2));
        const auto sz = intensity_frame_sizes(o.window_ms, o.step_ms, fs);
        std::vector<double> ref(x.size());
        CMathFunc mf;
        const EnergyRange rr = mf.SampleEnergy(x.data(), ref.data(), 3.0, 0.0, sz.window, sz.step, x.size(), relative != 0, true);
        EXPECT_EQ(c.min(), rr.min);
        EXPECT_EQ(c.max(), rr.max);
        for (std::size_t s = 0; s < x.size(); ++s) ASSERT_EQ(c[s], ref[s]) << s;
    }
}

}  // namespace
}  // namespace vox
