// The unit's 320-byte configuration block against bytes worked out by hand.

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "core/audio/usb_config_block.h"
#include "core/audio/usb_texts.h"

namespace vox {
namespace {

// Five-input settings with every input present and known filter/gain values.
UsbBlockSettings five_inputs() {
    UsbBlockSettings s;
    s.model = 5;
    s.mode = 1;
    s.sample_rate_hz = 22000;
    s.input = kRecordInputMic;
    s.channels = RecordSettings::default_channels(5);
    return s;
}

std::uint16_t be16_at(const UsbConfigBlock& b, std::size_t at) {
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

TEST(UsbConfigBlock, FilterOfOneKilohertzOnChannelOneIsSentAs0x12_0x40) {
    auto s = five_inputs();
    s.channels[1].filter_cutoff_hz = 1000;
    const auto b = build_usb_config_block(s);
    // (trunc(60e6 / 800000) - 2) * 64 = (75 - 2) * 64 = 4672 = 0x1240, high byte first.
    EXPECT_EQ(b[258], 0x12);
    EXPECT_EQ(b[259], 0x40);
}

TEST(UsbConfigBlock, SampleRateOf11025HzSendsTheLowByteOfMinus1088) {
    auto s = five_inputs();
    s.sample_rate_hz = 11025;
    const auto b = build_usb_config_block(s);
    EXPECT_EQ(b[273], 0xC0);  // -1088 = 0x...FBC0
    s.sample_rate_hz = 22000;  // -trunc(545.45) = -545 = 0x...FDDF
    EXPECT_EQ(build_usb_config_block(s)[273], 0xDF);
}

TEST(UsbConfigBlock, FixedFieldsAndZeroGaps) {
    auto s = five_inputs();
    s.input = kRecordInputLine;
    const auto b = build_usb_config_block(s);
    EXPECT_EQ(b[272], 0);
    EXPECT_EQ(b[274], 0x00);  // 4096 little-endian
    EXPECT_EQ(b[275], 0x10);
    EXPECT_EQ(b[276], 0x00);  // "Line" = 256 little-endian
    EXPECT_EQ(b[277], 0x01);
    for (std::size_t i = 278; i < 300; ++i) EXPECT_EQ(b[i], 0) << "offset " << i;
    for (std::size_t i = 316; i < 320; ++i) EXPECT_EQ(b[i], 0) << "offset " << i;
    s.input = kRecordInputMic;
    const auto m = build_usb_config_block(s);
    EXPECT_EQ(m[276], 0);
    EXPECT_EQ(m[277], 0);
}

TEST(UsbConfigBlock, AudioFilterUsesDivisor512AndOtherInputsDivisor800) {
    auto s = five_inputs();
    s.channels[0].filter_cutoff_hz = 1000;  // (117 - 2) * 64 = 7360 = 0x1CC0
    s.channels[2].filter_cutoff_hz = 5000;  // (15 - 2) * 64 = 832 = 0x0340
    s.channels[3].filter_cutoff_hz = 250;   // (300 - 2) * 64 = 19072 = 0x4A80
    s.channels[4].filter_cutoff_hz = 21000; // (3 - 2) * 64 = 64
    const auto b = build_usb_config_block(s);
    EXPECT_EQ(be16_at(b, 256), 0x1CC0);
    EXPECT_EQ(be16_at(b, 260), 0x0340);
    EXPECT_EQ(be16_at(b, 262), 0x4A80);
    EXPECT_EQ(be16_at(b, 264), 64);
    // The 5-input unit has no inputs 5..7: their words are 0.
    for (std::size_t at = 266; at < 272; ++at) EXPECT_EQ(b[at], 0) << "offset " << at;
}

TEST(UsbConfigBlock, NineInputUnitFillsTheThreeFurtherFilterWords) {
    UsbBlockSettings s;
    s.model = 9;
    s.mode = 1;
    s.channels = RecordSettings::default_channels(9);
    s.channels[5].filter_cutoff_hz = 1000;
    s.channels[6].filter_cutoff_hz = 500;   // (150 - 2) * 64 = 9472 = 0x2500
    s.channels[7].filter_cutoff_hz = 100;   // (750 - 2) * 64 = 47872 = 0xBB00
    s.channels[8].filter_cutoff_hz = 1000;  // input 8 has no word in the block
    const auto b = build_usb_config_block(s);
    EXPECT_EQ(be16_at(b, 266), 0x1240);
    EXPECT_EQ(be16_at(b, 268), 0x2500);
    EXPECT_EQ(be16_at(b, 270), 0xBB00);
}

// A cut-off so low that the clock word would not fit 16 bits takes the
// slowest word instead of wrapping round to some fast, unrelated filter.
TEST(UsbConfigBlock, FilterWordsThatCannotBeReachedAreClamped) {
    EXPECT_EQ(usb_filter_clock_word(25, 800), 0xFFC0);  // (3000 - 2) * 64 overflows
    EXPECT_EQ(usb_filter_clock_word(25, 512), 0xFFC0);
    EXPECT_EQ(usb_filter_clock_word(0, 800), 0xFFC0);   // no division by zero
    EXPECT_EQ(usb_filter_clock_word(-5, 800), 0xFFC0);
    EXPECT_EQ(usb_filter_clock_word(60000, 512), 0);    // trunc(1.95) - 2 < 0
    EXPECT_EQ(usb_sample_clock_byte(0), 0);             // no division by zero
}

class MultiplexTable : public ::testing::TestWithParam<std::tuple<int, int, std::string>> {};

TEST_P(MultiplexTable, FirstSixteenBytesRepeatSixteenTimes) {
    const auto& [model, mode, expected] = GetParam();
    UsbBlockSettings s;
    s.model = model;
    s.mode = mode;
    s.channels = RecordSettings::default_channels(model);
    const auto b = build_usb_config_block(s);
    std::string slots;
    for (int i = 0; i < 16; ++i) slots += std::to_string(b[static_cast<std::size_t>(i)]) + (i < 15 ? " " : "");
    EXPECT_EQ(slots, expected);
    for (std::size_t i = 16; i < 256; ++i) EXPECT_EQ(b[i], b[i % 16]) << "offset " << i;
}

INSTANTIATE_TEST_SUITE_P(
    EveryModelAndMode, MultiplexTable,
    ::testing::Values(std::make_tuple(5, 1, std::string("0 1 0 2 0 3 0 4 0 1 0 2 0 3 0 4")),
                      std::make_tuple(5, 2, std::string("0 1 2 3 0 1 2 4 0 1 2 3 0 1 2 4")),
                      std::make_tuple(5, 3, std::string("0 1 2 3 4 5 6 7 0 1 2 3 4 5 6 7")),
                      std::make_tuple(9, 1, std::string("0 1 2 3 0 4 5 6 0 1 2 3 0 4 7 8")),
                      std::make_tuple(9, 2, std::string("0 1 2 3 4 5 6 7 0 1 2 3 4 5 6 8"))));

class RefusedSettings : public ::testing::TestWithParam<std::tuple<int, int, std::string, const char*>> {};

TEST_P(RefusedSettings, ThrowTheirMessage) {
    const auto& [model, mode, input, message] = GetParam();
    UsbBlockSettings s;
    s.model = model;
    s.mode = mode;
    s.input = input;
    s.channels = RecordSettings::default_channels(model);
    try {
        build_usb_config_block(s);
        FAIL() << "accepted";
    } catch (const UsbSettingsError& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    UnknownModesAndInputs, RefusedSettings,
    ::testing::Values(std::make_tuple(5, 0, std::string("Mic"), usb_text::kUnknownMultiplex),
                      std::make_tuple(5, 4, std::string("Mic"), usb_text::kUnknownMultiplex),
                      std::make_tuple(9, 3, std::string("Mic"), usb_text::kUnknownMultiplex),
                      std::make_tuple(7, 1, std::string("Mic"), usb_text::kUnknownMultiplex),
                      std::make_tuple(5, 1, std::string("mic"), usb_text::kWrongInput),
                      std::make_tuple(9, 2, std::string(""), usb_text::kWrongInput)));

class AudioGain : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(AudioGain, IsSentTwiceAt312) {
    auto s = five_inputs();
    s.channels[0].gain = GetParam().first;
    const auto b = build_usb_config_block(s);
    EXPECT_EQ(b[312], GetParam().second);
    EXPECT_EQ(b[313], GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(EverySetting, AudioGain,
                         ::testing::Values(std::pair{10, 5}, std::pair{20, 36}, std::pair{30, 45}, std::pair{40, 50},
                                           std::pair{50, 52}, std::pair{60, 54}, std::pair{70, 56}, std::pair{80, 57},
                                           std::pair{100, 58}, std::pair{160, 60}, std::pair{225, 61},
                                           std::pair{350, 62}, std::pair{90, 5}, std::pair{0, 5}));

TEST(UsbConfigBlock, ChannelGainCodesByStepAndTheTopBitSentAsZero) {
    UsbGainCodeTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(10 + i);
    table[3] = 0x85;  // top bit set
    table[7] = 0xFF;
    UsbBlockSettings s;
    s.model = 9;
    s.mode = 2;
    s.channels = RecordSettings::default_channels(9);
    s.channels[1].gain = 2;
    s.channels[2].gain = 3;
    s.channels[3].gain = 16;
    s.channels[4].gain = 7;
    s.channels[8].gain = 40;  // outside 0..16: step 0
    const auto b = build_usb_config_block(s, table);
    EXPECT_EQ(b[300], 12);
    EXPECT_EQ(b[301], 0);
    EXPECT_EQ(b[302], 26);
    EXPECT_EQ(b[303], 0);
    EXPECT_EQ(b[304], 10);  // input 5, step 0
    EXPECT_EQ(b[307], 10);  // input 8 with a step out of range
    // Inputs 9..14 do not exist on either model: step 0.
    for (std::size_t at : {308u, 309u, 310u, 311u, 314u, 315u}) EXPECT_EQ(b[at], 10) << "offset " << at;
}

TEST(UsbConfigBlock, DefaultGainTableRisesWithTheStep) {
    const auto& t = usb_default_gain_codes();
    for (std::size_t i = 1; i < t.size(); ++i) EXPECT_GT(t[i], t[i - 1]) << "step " << i;
    for (auto code : t) EXPECT_EQ(code & 0x80, 0);
}

// The mode is the first one that delivers each enabled input's rate when the
// audio input runs at the unit's rate.
TEST(UsbConfigBlock, MultiplexModeFollowsTheRequestedRates) {
    auto ch = RecordSettings::default_channels(5);
    EXPECT_EQ(usb_choose_multiplex_mode(5, 22000, ch), 1);  // others off
    ch[1] = {1, 5500, 2000, 0};
    EXPECT_EQ(usb_choose_multiplex_mode(5, 22000, ch), 1);  // a quarter of 22000
    ch[2] = {1, 11000, 4000, 0};
    EXPECT_EQ(usb_choose_multiplex_mode(5, 22000, ch), 2);
    ch[4] = {1, 22000, 8000, 0};
    EXPECT_EQ(usb_choose_multiplex_mode(5, 22000, ch), 3);
    ch[4] = {1, 44000, 8000, 0};  // no mode delivers it: the most even one
    EXPECT_EQ(usb_choose_multiplex_mode(5, 22000, ch), 3);
    auto nine = RecordSettings::default_channels(9);
    nine[8] = {1, 2750, 1000, 0};
    EXPECT_EQ(usb_choose_multiplex_mode(9, 11000, nine), 1);
    nine[8] = {1, 5500, 2000, 0};
    EXPECT_EQ(usb_choose_multiplex_mode(9, 11000, nine), 2);
    EXPECT_EQ(usb_choose_multiplex_mode(6, 11000, nine), 0);  // unknown model: refused later
}

}  // namespace
}  // namespace vox
