// Times of analysis results: the regular time base of pitch values, the
// sample time base of the intensity contour, and spectrogram columns.
#include <gtest/gtest.h>

#include <optional>

#include "core/dsp/intensity_contour.h"
#include "core/dsp/time_base.h"
#include "core/dsp/spectrogram.h"

namespace vox {
namespace {

struct NearestCase {
    double ms;
    std::optional<std::size_t> index;  // none: outside
};

class TimeBaseNearest : public ::testing::TestWithParam<NearestCase> {};

// Four values at 10, 30, 50, 70 ms.
TEST_P(TimeBaseNearest, TakesTheNearestValueWithinHalfAStep) {
    const TimeBase tb{10.0, 20.0};
    EXPECT_EQ(tb.index_at(GetParam().ms, 4), GetParam().index) << GetParam().ms;
}

INSTANTIATE_TEST_SUITE_P(Times, TimeBaseNearest,
                         ::testing::Values(NearestCase{10.0, 0}, NearestCase{19.9, 0}, NearestCase{20.1, 1},
                                           NearestCase{70.0, 3}, NearestCase{79.9, 3}, NearestCase{80.0, std::nullopt},
                                           NearestCase{0.0, 0}, NearestCase{-0.1, std::nullopt}));

TEST(TimeBase, IndicesBetweenIncludeBothBoundsAndNoValuesWithoutAStep) {
    const TimeBase tb = TimeBase::of_samples(441.0, 882.0, 44100.0);  // 10 ms, then every 20 ms
    EXPECT_DOUBLE_EQ(tb.first_ms, 10.0);
    EXPECT_DOUBLE_EQ(tb.time_ms(3), 70.0);
    EXPECT_EQ(tb.indices_between(30.0, 70.0, 10), (std::pair<std::size_t, std::size_t>{1, 4}));
    EXPECT_EQ(tb.indices_between(31.0, 49.0, 10), (std::pair<std::size_t, std::size_t>{0, 0}));
    EXPECT_EQ(tb.indices_between(0.0, 1e9, 10), (std::pair<std::size_t, std::size_t>{0, 10}));
    EXPECT_EQ(tb.indices_between(70.0, 30.0, 10), (std::pair<std::size_t, std::size_t>{0, 0}));
    EXPECT_EQ(TimeBase{}.index_at(0.0, 5), std::nullopt);
    EXPECT_EQ(sample_time_ms(100.0, 0.0), 0.0);
}

// 1000 samples at 1000 Hz: frame 0 (40 dB) decides samples 0 … 499, frame 1
// (60 dB) samples 500 … 999.
IntensityContour halves() {
    IntensityContour c;
    c.assign({40.0, 60.0}, 500, 500.0, 1000, false, 1000.0);
    return c;
}

TEST(IntensityTimes, FramesAndSamplesHaveTheTimesOfTheirRate) {
    const IntensityContour c = halves();
    EXPECT_DOUBLE_EQ(c.duration_ms(), 1000.0);
    EXPECT_DOUBLE_EQ(c.frame_time_ms(1), 500.0);
    EXPECT_DOUBLE_EQ(c.time_ms(250), 250.0);
    for (double ms : {0.0, 250.0, 499.9, 500.0, 999.0})
        EXPECT_EQ(c.value_at_ms(ms), c[static_cast<std::uint64_t>(ms)]) << ms;
    EXPECT_EQ(c.value_at_ms(1000.0), 0.0);
    EXPECT_EQ(c.value_at_ms(-1.0), 0.0);
}

TEST(IntensityTimes, MeanOverAStretchWeighsEachSample) {
    const IntensityContour c = halves();
    EXPECT_DOUBLE_EQ(c.mean_between(0.0, 999.0), 50.0);
    EXPECT_DOUBLE_EQ(c.mean_between(100.0, 200.0), 40.0);
    // 400 … 699: 100 samples of 40 dB, 200 of 60 dB.
    EXPECT_DOUBLE_EQ(c.mean_between(400.0, 699.0), (100 * 40.0 + 200 * 60.0) / 300.0);
    EXPECT_EQ(c.mean_between(600.0, 500.0), 0.0);
    EXPECT_EQ(IntensityContour{}.mean_between(0.0, 10.0), 0.0);
    IntensityContour no_rate;
    no_rate.assign({40.0}, 10, 10.0, 10, false);
    EXPECT_EQ(no_rate.value_at_ms(1.0), 0.0);  // no time base, no time
}

TEST(SpectrogramTimes, AColumnIsAtTheFirstSampleOfItsWindow) {
    SpectrogramColumns s;
    s.first = 100.0;
    s.hop = 2.5;
    s.rate = 1000.0;
    EXPECT_EQ(s.column_sample(3), 107.0);  // 107.5 truncated
    EXPECT_DOUBLE_EQ(s.column_time_ms(3), 107.0);
    s.first = -10.0;
    EXPECT_EQ(s.column_sample(0), 0.0);
}

}  // namespace
}  // namespace vox
