#include <gtest/gtest.h>

#include <numeric>

#include "core/document/channels.h"

namespace vox {
namespace {

CChannels channel_with(std::vector<std::int16_t> s, double rate = 1000.0) {
    CChannels ch;
    ch.sample_rate = rate;
    ch.sample_count = static_cast<double>(s.size());
    ch.duration_ms = s.size() * 1000.0 / rate;
    ch.samples.assign(s.data(), s.size());
    ch.reset_window();
    ch.plot_rect = {0, 0, 100, 50};
    return ch;
}

LABEL label_at(const char* text, int left, int right, int top = 0, int bottom = 20) {
    LABEL l;
    l.set_text(text);
    l.rect = {left, top, right, bottom};
    return l;
}

TEST(Channels, NewChannelHasItsDefaults) {
    CChannels ch;
    EXPECT_EQ(ch.sample_rate, 11025.0);
    EXPECT_EQ(ch.bits, 16);
    EXPECT_EQ(ch.units, "mv");
    EXPECT_EQ(ch.unit_factor, 8.0);
    EXPECT_EQ(ch.bandwidth_hz, 5500.0);
    EXPECT_EQ(ch.gain_percent, 100);
    EXPECT_FALSE(ch.has_samples());
    const char* names[] = {"tones", "words", "breaks", "misc", "", "", "", "", "", ""};
    for (int t = 0; t < kTierCount; ++t) {
        EXPECT_EQ(ch.tiers[t].name, names[t]);
        EXPECT_EQ(ch.tiers[t].label_count(), 0);
        EXPECT_EQ(ch.tiers[t].height, 20);
    }
}

TEST(Channels, CopyOwnsItsSamplesAndKeepsAbsentBlocksAbsent) {
    CChannels a = channel_with({1, 2, 3, 4});
    a.append_label(1, label_at("x", 1, 5));
    CChannels b;
    b = a;
    a.samples[0] = 99;
    a.clear_tier(1);
    ASSERT_TRUE(b.has_samples());
    EXPECT_EQ(b.samples.size(), 4u);
    EXPECT_EQ(b.samples[0], 1);
    EXPECT_EQ(b.tiers[1].label_count(), 1);

    CChannels empty;
    empty.sample_count = 10;
    CChannels c = channel_with({5});
    c = empty;
    EXPECT_FALSE(c.has_samples());

    CChannels& self = b;
    b = self;
    EXPECT_EQ(b.samples[3], 4);
}

TEST(Channels, FindLabelTakesTheFirstOneWithinTwoPixelsThenMatchesTextAndRows) {
    CChannels ch;
    ch.append_label(0, label_at("ah", 10, 30));  // 3 pixels off: not near
    ch.append_label(0, label_at("ah", 12, 32));  // within 2 pixels
    EXPECT_EQ(ch.find_label(0, label_at("ah", 13, 33)), 1u);
    // Exactly 2 pixels away is not "within".
    EXPECT_EQ(ch.find_label(0, label_at("ah", 14, 34)), std::nullopt);
    // Different rows: not found.
    EXPECT_EQ(ch.find_label(0, label_at("ah", 13, 33, 5, 25)), std::nullopt);
    EXPECT_EQ(ch.find_label(10, label_at("ah", 13, 33)), std::nullopt);
}

TEST(Channels, TierOperationsIgnoreTiersAboveNine) {
    CChannels ch;
    EXPECT_EQ(ch.append_label(10, LABEL{}), 0);
    LABEL out;
    EXPECT_FALSE(ch.get_label(10, 0, out));
    EXPECT_FALSE(ch.get_label(0, 0, out));
    ch.append_label(2, label_at("a", 0, 10));
    EXPECT_TRUE(ch.remove_label(2, label_at("a", 1, 11)));
    EXPECT_EQ(ch.tiers[2].label_count(), 0);
}

TEST(Channels, LabelInRangeIsStrictlyInside) {
    CChannels ch;
    LABEL l = label_at("a", 0, 1);
    l.time_ms = 1000.0;
    ch.append_label(0, l);
    LABEL out;
    EXPECT_FALSE(ch.get_label_in_range(0, 0, 1000.0, 2000.0, out));
    EXPECT_TRUE(ch.get_label_in_range(0, 0, 999.0, 2000.0, out));
}

TEST(Channels, MoveLabelShiftsItsTimeByThePixelDifference) {
    CChannels ch = channel_with(std::vector<std::int16_t>(1000), 1000.0);  // 1 s over 100 px
    ch.tiers[0].band = {0, 40, 100, 60};
    LABEL l = label_at("m", 10, 20);
    l.time_ms = 100.0;
    ch.append_label(0, l);
    ASSERT_TRUE(ch.move_label(0, l, 30, 40));
    LABEL moved;
    ch.get_label(0, 0, moved);
    EXPECT_NEAR(moved.time_ms, 300.0, 1e-9);
    EXPECT_EQ(moved.placement, 0.7);
    EXPECT_EQ(moved.rect, (Rect{30, 40, 40, 60}));
}

TEST(Channels, ConversionsClampToTheChannel) {
    CChannels ch = channel_with(std::vector<std::int16_t>(1000, 7), 1000.0);
    EXPECT_EQ(ch.pixel_to_sample(-10), 0.0);
    EXPECT_EQ(ch.pixel_to_sample(1000), 1000.0);
    EXPECT_EQ(ch.pixel_to_sample(50), 500.0);
    EXPECT_EQ(ch.sample_to_ms(5000), 1000.0);
    EXPECT_EQ(ch.ms_to_sample(-5), 0.0);
    EXPECT_EQ(ch.ms_to_pixel(500.0).left, 50);
    EXPECT_EQ(ch.ms_to_pixel(0.0).left, -1);  // the window's edge is not inside
    EXPECT_EQ(ch.ms_to_pixel(1000.0).right, -1);
    ch.reference = 2.0;
    EXPECT_EQ(ch.value_at_ms(999.99), 5.0);
}

TEST(Channels, SelectionIsOrderedAndNeverNegative) {
    CChannels ch = channel_with(std::vector<std::int16_t>(1000), 1000.0);
    ch.set_marker_from_pixel(60);
    EXPECT_FALSE(ch.has_selection());
    ch.extend_selection_to_pixel(20);
    EXPECT_EQ(ch.sel_lo_sample, 200.0);
    EXPECT_EQ(ch.sel_hi_sample, 600.0);
    EXPECT_EQ(ch.sel_lo_ms, 200.0);
    EXPECT_EQ(ch.sel_length_ms, 400.0);
    EXPECT_EQ(ch.sel_length_samples, 400.0);
    ch.set_marker_from_ms(700.0);
    EXPECT_EQ(ch.sel_length_samples, 0.0);
    EXPECT_EQ(ch.marker_sample, 700.0);
}

struct SmoothCase {
    std::vector<std::int16_t> in;
    double points;
    std::vector<std::int16_t> out;
};

class Smoothing : public ::testing::TestWithParam<SmoothCase> {};

TEST_P(Smoothing, MovingAverageInPlaceFrontToBack) {
    const auto& c = GetParam();
    CChannels ch = channel_with(c.in);
    ch.smooth_points = c.points;
    ch.smooth_on = 1;
    ch.smooth();
    EXPECT_EQ(std::vector<std::int16_t>(ch.samples.data(), ch.samples.data() + c.in.size()), c.out);
}

INSTANTIATE_TEST_SUITE_P(Windows, Smoothing,
                         ::testing::Values(
                             // w >= n leaves the samples alone.
                             SmoothCase{{10, 20, 30}, 3, {10, 20, 30}}, SmoothCase{{10, 20, 30}, 5, {10, 20, 30}},
                             // Each window reads values at or after i (unsmoothed there).
                             SmoothCase{{0, 3, 6, 9, 12}, 2, {1, 4, 7, 9, 12}},
                             // Integer part of negative averages truncates toward zero.
                             SmoothCase{{-1, -2, 0, 0}, 2, {-1, -1, 0, 0}}));

}  // namespace
}  // namespace vox
