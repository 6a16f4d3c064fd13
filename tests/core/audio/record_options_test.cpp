// What follows from a change of the unit's rate, source or an input's rate.

#include <gtest/gtest.h>

#include "core/audio/record_options.h"

namespace vox {
namespace {

TEST(RecordOptions, DefaultCutOffLiesBelowHalfTheRate) {
    for (int rate : {44000, 22000, 11000, 5500, 2750, 1375}) {
        const int f = default_filter_cutoff(rate);
        EXPECT_LT(2 * f, rate) << rate;
        EXPECT_EQ(f, filter_choices(rate).front()) << rate;  // the widest one offered
    }
    EXPECT_EQ(default_filter_cutoff(44000), 21000);
}

TEST(RecordOptions, UnitRatesByModel) {
    EXPECT_EQ(unit_channel_rate_choices(5, 22000, 0), (std::vector<int>{22000, 11000}));
    EXPECT_EQ(unit_channel_rate_choices(5, 22000, 1), (std::vector<int>{22000, 11000, 5500, 2750, 1375}));
    EXPECT_EQ(unit_channel_rate_choices(5, 11000, 3), (std::vector<int>{11000, 5500, 2750, 1375}));
    EXPECT_EQ(unit_channel_rate_choices(9, 22000, 4), (std::vector<int>{11000, 5500, 2750, 1375}));
    EXPECT_EQ(unit_channel_rate_choices(9, 11000, 8), (std::vector<int>{5500, 2750, 1375}));
    EXPECT_EQ(record_rate_choices(kRecordSourceComputer), (std::vector<int>{44100, 22050, 11025}));
    EXPECT_EQ(tab_list({1, 22, 333}), "1\t22\t333");
}

TEST(RecordOptions, ConformingKeepsWhatIsStillOfferedAndResetsTheRest) {
    RecordSettings s;
    s.source = kRecordSourceExternal;
    s.sample_rate_hz = 22000;
    s.unit_model = 9;
    s.channels = RecordSettings::default_channels(5);  // too few records for the model
    s.channels[0] = {0, 22000, 8000, 160};
    s.channels[1] = {1, 11000, 3000, 4};   // still offered at 22000 on the 9-input unit
    s.channels[2] = {1, 22000, 8000, 40};  // too fast; gain step out of range
    conform_unit_channels(s);
    ASSERT_EQ(s.channels.size(), 9u);
    EXPECT_EQ(s.channels[0], (RecordChannelSettings{1, 22000, 8000, 160}));  // back on
    EXPECT_EQ(s.channels[1], (RecordChannelSettings{1, 11000, 3000, 4}));
    EXPECT_EQ(s.channels[2], (RecordChannelSettings{1, 11000, 4000, 0}));
    s.sample_rate_hz = 11000;
    conform_unit_channels(s);
    EXPECT_EQ(s.channels[0].sample_rate_hz, 11000);
    EXPECT_EQ(s.channels[0].filter_cutoff_hz, 4000);
    EXPECT_EQ(s.channels[1], (RecordChannelSettings{1, 5500, 2000, 4}));
}

}  // namespace
}  // namespace vox
