#include "core/annotation/label_import.h"

#include <gtest/gtest.h>

#include <string>

namespace vox {
namespace {

TEST(LabelImport, OnlyLinesStartingWithADigitOrPointAreUsed) {
    const std::string file =
        "word\t1.0\n"       // letter first
        " 1.5\tspace\n"     // space first
        "\t2.0\ttab\n"      // tab first
        "1.25\tfirst\r\n"   // CR LF
        "\r\n\n"            // empty lines
        ".5\tpoint\r"       // CR alone
        "3\tmulti\tfield\n"  // text keeps later tabs
        "4 no tab\n"        // no time field
        ".\tno number\n"
        "7\t";              // empty text, no line end
    const auto lines = ParseLabelFile(file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_DOUBLE_EQ(lines[0].time, 1.25);
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_DOUBLE_EQ(lines[1].time, 0.5);
    EXPECT_EQ(lines[1].text, "point");
    EXPECT_EQ(lines[2].text, "multi\tfield");
    EXPECT_DOUBLE_EQ(lines[3].time, 7.0);
    EXPECT_EQ(lines[3].text, "");
}

TEST(LabelImport, NothingUsableGivesNoLabels) {
    EXPECT_TRUE(ParseLabelFile("").empty());
    EXPECT_TRUE(ParseLabelFile("a\t1\n b\t2\n\tc\t3\n").empty());
}

struct UnitCase {
    const char* line;
    bool ms;
    double offset;
    double expect_ms;
};
class ImportUnits : public ::testing::TestWithParam<UnitCase> {};

TEST_P(ImportUnits, SecondsAreMultipliedAndTheOffsetSubtracted) {
    const auto lines = ParseLabelFile(GetParam().line);
    ASSERT_EQ(lines.size(), 1u);
    LabelImportChoices c;
    c.milliseconds = GetParam().ms;
    c.align = 2;
    c.add_line = true;
    const LABEL l = ImportedLabel(lines[0], c, GetParam().offset);
    EXPECT_DOUBLE_EQ(l.time_ms, GetParam().expect_ms);
    EXPECT_EQ(l.align, 2);
    EXPECT_TRUE(l.add_line);
    EXPECT_STREQ(l.font.face_name, "Arial");
    EXPECT_EQ(l.font.height, 14);
    EXPECT_EQ(l.font.weight, 400);
    EXPECT_EQ(l.color, 0u);
    EXPECT_DOUBLE_EQ(l.placement, 0.7);
}

INSTANTIATE_TEST_SUITE_P(Units, ImportUnits,
                         ::testing::Values(UnitCase{"1.5\ta", false, 0.0, 1500.0},
                                           UnitCase{"1500\ta", true, 0.0, 1500.0},
                                           UnitCase{"1.5\ta", false, 200.0, 1300.0},
                                           UnitCase{"2e3\ta", true, 0.0, 2000.0}));

TEST(LabelImport, LongLinesAreReadWholeAndTextsCutToWhatALabelHolds) {
    std::string ascii(3000, 'x');
    // 254 ASCII bytes then a two-byte character: the character would be cut in half.
    std::string utf8 = std::string(254, 'y') + "\xC3\xA9" + "zz";
    const auto lines = ParseLabelFile("1\t" + ascii + "\n2\t" + utf8 + "\n3\tafter\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text.size(), 255u);
    EXPECT_EQ(lines[1].text, std::string(254, 'y'));
    EXPECT_EQ(lines[2].text, "after");
    LABEL l = ImportedLabel(lines[0], {}, 0.0);
    EXPECT_EQ(l.text_string().size(), 255u);
}

TEST(LabelImport, LabelsGoToTheChosenTier) {
    CChannels ch;
    const auto lines = ParseLabelFile("10\ta\n20\tb\n");
    EXPECT_EQ(ImportLabels(ch, 3, lines, {}, 0.0), 2);
    EXPECT_EQ(ch.tiers[3].label_count(), 2);
    EXPECT_EQ(ImportLabels(ch, 10, lines, {}, 0.0), 0);
}

}  // namespace
}  // namespace vox
