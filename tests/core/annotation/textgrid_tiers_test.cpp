// Grids to label tiers and back: which marks become labels, what is left out
// and said, and a round trip that keeps every time and text.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <variant>

#include "core/annotation/textgrid_tiers.h"

namespace vox {
namespace {

textgrid::Grid fixture_grid() {
    std::ifstream in(std::string(VOXTREL_SOURCE_DIR) + "/tests/core/annotation/textgrid/short_utf16.TextGrid",
                     std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    auto r = textgrid::Parse(s.str());
    EXPECT_TRUE(std::holds_alternative<textgrid::Grid>(r));
    return std::holds_alternative<textgrid::Grid>(r) ? std::get<textgrid::Grid>(r) : textgrid::Grid{};
}

TEST(GridLabels, IntervalStartsAndPointsBecomeLabels) {
    const GridLabels gl = LabelsFromGrid(fixture_grid(), 4000.0);
    ASSERT_EQ(gl.tiers.size(), 2u);
    EXPECT_EQ(gl.tiers[0].name, "words");
    ASSERT_EQ(gl.tiers[0].labels.size(), 3u);
    EXPECT_DOUBLE_EQ(gl.tiers[0].labels[0].time_ms, 310.0);
    EXPECT_EQ(gl.tiers[0].labels[0].text_string(), "\u0283\u026Ap \"quoted\"");
    EXPECT_DOUBLE_EQ(gl.tiers[0].labels[2].time_ms, 2500.0);  // the grid ends before the recording
    EXPECT_EQ(gl.tiers[0].labels[2].text_string(), "");
    ASSERT_EQ(gl.tiers[1].labels.size(), 2u);
    EXPECT_DOUBLE_EQ(gl.tiers[1].labels[1].time_ms, 1250.0);
    EXPECT_EQ(gl.message(), "");
}

TEST(GridLabels, WhatCannotBeTakenIsCountedAndSaid) {
    textgrid::Grid g;
    g.xmax = 2.0;
    for (int t = 0; t < 12; ++t) {
        textgrid::Tier tier;
        tier.name = "t" + std::to_string(t + 1);
        tier.points = true;
        tier.xmax = 2.0;
        tier.marks = {{0.5, "a"}};
        g.tiers.push_back(tier);
    }
    std::string long_text;
    for (int i = 0; i < 200; ++i) long_text += "\u00E9";  // 400 bytes
    g.tiers[0].marks.push_back({1.0, long_text});
    g.tiers[1].marks.push_back({1.9, "after the end"});
    const GridLabels gl = LabelsFromGrid(g, 1500.0);
    ASSERT_EQ(gl.tiers.size(), 10u);
    EXPECT_EQ(gl.left_out, (std::vector<std::string>{"t11", "t12"}));
    EXPECT_EQ(gl.cut_texts, 1u);
    const std::string cut = gl.tiers[0].labels[1].text_string();
    EXPECT_EQ(cut.size(), 254u);  // 127 whole characters of two bytes
    EXPECT_EQ(cut, long_text.substr(0, 254));
    EXPECT_EQ(gl.outside, 1u);
    EXPECT_EQ(gl.tiers[1].labels.size(), 1u);
    const std::string m = gl.message();
    EXPECT_NE(m.find("left out: \"t11\", \"t12\"."), std::string::npos) << m;
    EXPECT_NE(m.find("1 label texts were longer"), std::string::npos) << m;
    EXPECT_NE(m.find("1 marks of the TextGrid lie outside"), std::string::npos) << m;
}

TEST(GridLabels, RoundTripKeepsTimesAndTexts) {
    CChannels ch;
    ch.tiers[9].labels.push_back(LABEL{});  // a tier the grid does not reach keeps its labels
    ch.tiers[9].labels.back().time_ms = 42.25;
    const GridLabels gl = LabelsFromGrid(fixture_grid(), 2500.0);
    PutGridLabels(ch, gl);
    EXPECT_EQ(ch.tiers[0].name, "words");
    EXPECT_EQ(ch.tiers[0].in_use, 1);
    EXPECT_EQ(ch.tiers[9].labels.size(), 1u);

    const textgrid::Grid out = GridFromTiers(ch, 2500.0);
    auto back = textgrid::Parse(textgrid::WriteLong(out));
    ASSERT_TRUE(std::holds_alternative<textgrid::Grid>(back));
    const textgrid::Grid& g = std::get<textgrid::Grid>(back);
    ASSERT_EQ(g.tiers.size(), 3u);
    EXPECT_EQ(g.tiers[2].name, "Tier 10");
    for (std::size_t t = 0; t < 2; ++t) {
        ASSERT_EQ(g.tiers[t].marks.size(), ch.tiers[t].labels.size());
        EXPECT_TRUE(g.tiers[t].points);
        for (std::size_t k = 0; k < g.tiers[t].marks.size(); ++k) {
            EXPECT_NEAR(g.tiers[t].marks[k].time * 1000.0, ch.tiers[t].labels[k].time_ms, 1e-4);
            EXPECT_EQ(g.tiers[t].marks[k].mark, ch.tiers[t].labels[k].text_string());
        }
    }
}

TEST(GridLabels, MalformedMessageNamesTheLine) {
    EXPECT_EQ(MalformedGridMessage(textgrid::ParseError{12, "a number (point time) was expected"}),
              "The file is not a TextGrid that can be read. Line 12: a number (point time) was expected.");
}

}  // namespace
}  // namespace vox
