#include "core/annotation/label_import.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
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


// --- bounds -------------------------------------------------------------------

LabelFileScan scan_text(const std::string& text, double duration_ms, std::size_t room = kMaxLabelsPerTier,
                        bool ms = true, double offset = 0.0) {
    std::istringstream in(text);
    LabelImportChoices c;
    c.milliseconds = ms;
    return ScanLabelFile(in, c, offset, duration_ms, room);
}

struct RangeCase {
    const char* text;
    bool ms;
    double offset;
    std::size_t kept, outside;
};
class ImportRange : public ::testing::TestWithParam<RangeCase> {};

// A recording of 1000 ms: only times from 0 to 1000 ms become labels.
TEST_P(ImportRange, TimesOutsideTheRecordingAreCountedNotKept) {
    const auto p = GetParam();
    const LabelFileScan s = scan_text(p.text, 1000.0, kMaxLabelsPerTier, p.ms, p.offset);
    EXPECT_EQ(s.kept.size(), p.kept);
    EXPECT_EQ(s.outside, p.outside);
    EXPECT_EQ(s.over_limit, 0u);
    for (const auto& l : s.kept) {
        LabelImportChoices c;
        c.milliseconds = p.ms;
        const double t = ImportedLabel(l, c, p.offset).time_ms;
        EXPECT_GE(t, 0.0);
        EXPECT_LE(t, 1000.0);
    }
    if (p.outside) {
        EXPECT_EQ(s.message(), std::to_string(p.outside) + import_text::kOutsideSuffix);
    } else {
        EXPECT_EQ(s.message(), "");
    }
}
INSTANTIATE_TEST_SUITE_P(
    Times, ImportRange,
    ::testing::Values(RangeCase{"0\ta\n1000\tb\n500\tc\n", true, 0.0, 3, 0},    // both ends belong to it
                      RangeCase{"1000.001\ta\n1e308\tb\n", true, 0.0, 0, 2},     // past the end
                      RangeCase{"1e999\ta\n5\tb\n1e-999\tc\n", true, 0.0, 2, 1},  // too large; too small is 0
                      RangeCase{"0.5\ta\n1.5\tb\n", false, 0.0, 1, 1},            // seconds
                      RangeCase{"100\ta\n300\tb\n", true, 200.0, 1, 1},            // before the start after the offset
                      RangeCase{"1e-320\ta\n", true, 0.0, 1, 0}));                  // a denormal is a time like any

TEST(LabelImportBounds, ATierTakesNoMoreThanItsRoom) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += std::to_string(i) + "\tx\n";
    text += "5000\tlate\n";
    const LabelFileScan s = scan_text(text, 1000.0, 12);
    EXPECT_EQ(s.kept.size(), 12u);
    EXPECT_EQ(s.over_limit, 18u);
    EXPECT_EQ(s.outside, 1u);
    EXPECT_DOUBLE_EQ(s.kept.back().time, 11.0);
    EXPECT_EQ(s.message(), "1" + std::string(import_text::kOutsideSuffix) + "\n18" + import_text::kOverLimitSuffix);
    EXPECT_EQ(scan_text(text, 1000.0, 0).kept.size(), 0u);
}

// Millions of "0<TAB>" lines: what is kept is bounded by the tier's room,
// whatever the file's size.
TEST(LabelImportBounds, AHugeFileKeepsAtMostTheLimit) {
    std::string text;
    text.reserve(3 * 300000);
    for (int i = 0; i < 300000; ++i) text += "0\t\n";
    const LabelFileScan s = scan_text(text, 1000.0);
    EXPECT_EQ(s.kept.size(), kMaxLabelsPerTier);
    EXPECT_EQ(s.over_limit, 300000 - kMaxLabelsPerTier);
    EXPECT_FALSE(s.truncated);
}

// The reader gives the same lines however the file is cut into pieces.
class ChunkedReading : public ::testing::TestWithParam<unsigned> {};
TEST_P(ChunkedReading, SplitsNeverChangeTheLines) {
    const std::string text = "1\tone\r\n2.5\ttwo\r\r\nword\t3\n.75\t" + std::string(5000, 'q') +
                             "\n8\t\xC3\xA9t\xC3\xA9\n9\tlast";
    const auto whole = ParseLabelFile(text);
    ASSERT_EQ(whole.size(), 5u);
    std::mt19937 g(GetParam());
    std::vector<ImportedLine> pieces;
    LabelLineReader r;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(text.size() - at, 1 + g() % 40);
        r.feed(std::string_view(text).substr(at, n), pieces);
        at += n;
    }
    r.finish(pieces);
    ASSERT_EQ(pieces.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(pieces[i].time, whole[i].time);
        EXPECT_EQ(pieces[i].text, whole[i].text);
    }
    EXPECT_EQ(whole[2].text.size(), 255u);
}
INSTANTIATE_TEST_SUITE_P(Seeds, ChunkedReading, ::testing::Values(1u, 2u, 3u, 17u));

// Only the head of a line is looked at: a time field that only ends after
// thousands of bytes makes no label.
TEST(LabelImportBounds, TheHeadOfALongLineDecides) {
    const std::string long_field = "1" + std::string(LabelLineReader::kMaxLineBytes, '0') + "\tx\n2\ty\n";
    const auto lines = ParseLabelFile(long_field);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "y");
}

}  // namespace
}  // namespace vox
