#include "core/annotation/measurement_log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/annotation/log_texts.h"
#include "core/platform/scripted_prompts.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

LogEntry entry_with(int values, LogEntryKind kind = LogEntryKind::Duration) {
    LogEntry e("/data/a.wav", kind);
    for (int i = 0; i < values; ++i) e.add(i + 0.3);
    return e;
}

TEST(MeasurementLogFormat, OneDecimalWithoutLeadingBlanks) {
    EXPECT_EQ(FormatLogValue(123.44), "123.4");
    EXPECT_EQ(FormatLogValue(-1.0), "-1.0");
    EXPECT_EQ(FormatLogValue(0.0), "0.0");
    EXPECT_EQ(FormatLogValue(1e120).size(), 122u);  // wider than the 100-character field, not cut
}

TEST(MeasurementLogColumns, TenValuesAddTenEntryColumnsBeforeComments) {
    MeasurementLog log;
    EXPECT_FALSE(log.modified());
    const auto added = log.add_entry(entry_with(10));
    EXPECT_EQ(added.first_new_column, 2u);
    EXPECT_EQ(added.new_columns, 10u);
    ASSERT_EQ(log.column_count(), 13u);
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(log.captions()[1 + i], "Entry " + std::to_string(i));
    EXPECT_EQ(log.captions().back(), log_text::kCommentsCaption);
    EXPECT_TRUE(log.modified());

    // Three values fit: no column, the other value cells of the row empty.
    EXPECT_EQ(log.add_entry(entry_with(3)).new_columns, 0u);
    EXPECT_EQ(log.column_count(), 13u);
    EXPECT_EQ(log.cell_text(1, 0), "/data/a.wav");
    EXPECT_EQ(log.cell_text(1, 1), log_text::kDuration);
    EXPECT_EQ(log.cell_text(1, 4), "2.3");
    EXPECT_EQ(log.cell_text(1, 5), "");
    EXPECT_EQ(log.cell_text(1, 12), "");
}

TEST(MeasurementLogColumns, LaterEntriesNumberOnAndMoveExistingCells) {
    MeasurementLog log;
    log.add_entry(entry_with(2));
    log.set_cell(0, 4, std::string("note"));  // Comments of the first row
    const auto added = log.add_entry(entry_with(5));
    EXPECT_EQ(added.first_new_column, 4u);
    EXPECT_EQ(added.new_columns, 3u);
    EXPECT_EQ(log.captions()[4], "Entry 3");
    EXPECT_EQ(log.captions()[6], "Entry 5");
    EXPECT_EQ(log.captions()[7], log_text::kCommentsCaption);
    EXPECT_EQ(log.cell_text(0, 7), "note");  // the comment stays under its caption
    EXPECT_EQ(log.cell_text(0, 3), "1.3");
}

TEST(MeasurementLogFile, EveryCellFollowedByTabAndLinesEndInCrLf) {
    MeasurementLog log;
    LogEntry e("f.wav", LogEntryKind::PitchMarker);
    e.add(12.5);
    e.add(200.04);
    e.add(-3.0);
    log.add_entry(e);
    log.set_cell(0, 5, 1.25);  // a number typed into Comments
    EXPECT_EQ(log.to_text(),
              "File Name\tEntry definition and order\tEntry 1\tEntry 2\tEntry 3\tComments\t\r\n"
              "f.wav\tPitch Marker Entry: time, pitch, intensity \t12.5\t200.0\t-3.0\t1.2\t\r\n");
}

TEST(MeasurementLogFile, SeparatorsInsideCellsDoNotSplitTheRow) {
    MeasurementLog log;
    LogEntry e("f.wav", LogEntryKind::LabelsAll);
    e.add_text("0");
    e.add_text("two\r\nlines\tand tab");
    log.add_entry(e);
    ScriptedPrompts prompts;
    auto back = MeasurementLog::parse(log.to_text(), prompts);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->row_count(), 1u);
    EXPECT_EQ(back->cell_text(0, 3), "two  lines and tab");
}

struct ReadCase {
    const char* name;
    std::string text;
    const char* message;  // nullptr: valid
    std::size_t columns;
    std::size_t rows;
};

class MeasurementLogRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(MeasurementLogRead, ValidityAndShape) {
    const ReadCase& c = GetParam();
    ScriptedPrompts prompts;
    auto log = MeasurementLog::parse(c.text, prompts);
    if (c.message) {
        EXPECT_FALSE(log);
        EXPECT_EQ(prompts.messages(), std::vector<std::string>{c.message});
        return;
    }
    ASSERT_TRUE(log);
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(log->column_count(), c.columns);
    EXPECT_EQ(log->row_count(), c.rows);
    EXPECT_FALSE(log->modified());
}

INSTANTIATE_TEST_SUITE_P(
    Files, MeasurementLogRead,
    ::testing::Values(
        ReadCase{"Empty", "", log_text::kZeroLength, 0, 0},
        ReadCase{"NoTab", "abc\r\n", log_text::kNotValid, 0, 0},
        ReadCase{"OneTab", "abc\t\r\n", nullptr, 1, 0},
        ReadCase{"OnlyLineEnds", "\r\n\n\r", log_text::kNotValid, 0, 0},
        ReadCase{"TextAfterLastTabDropped", "a\tb\r\nc\td\te\r\n", nullptr, 2, 1},
        ReadCase{"CrOrLfAloneAndEmptyLines", "a\tb\t\r\r\n\nc\t\nd\t\re\t", nullptr, 2, 3},
        ReadCase{"LineOf999Characters", std::string(998, 'x') + "\t\r\n", nullptr, 1, 0},
        ReadCase{"LineOf1000CharactersAbandons", "a\t\r\n" + std::string(999, 'x') + "\t\r\n", log_text::kNotValid,
                 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeasurementLogFile, ShortCaptionLineIsPaddedToTheWidestRow) {
    ScriptedPrompts prompts;
    auto log = MeasurementLog::parse("A\t\r\n1\t2\t3\t\r\n", prompts);
    ASSERT_TRUE(log);
    ASSERT_EQ(log->column_count(), 3u);
    EXPECT_EQ(log->captions()[0], "A");
    EXPECT_EQ(log->captions()[2], "");
    EXPECT_EQ(log->cell_text(0, 2), "3");
}

TEST(MeasurementLogFile, SaveAndReopenReproducesCaptionsAndCells) {
    test::ScratchDir dir;
    ScriptedPrompts prompts;
    MeasurementLog log;
    log.add_entry(entry_with(10, LogEntryKind::FftLpcFormants));
    log.add_entry(entry_with(3, LogEntryKind::PitchAll));
    log.set_cell(1, 12, std::string("voiced"));
    const std::string path = dir.file("log.txt");
    ASSERT_TRUE(log.write_file(path, prompts));
    EXPECT_FALSE(log.modified());

    MeasurementLog back;
    back.add_entry(entry_with(1));
    back.set_modified(true);
    ASSERT_TRUE(back.read_file(path, prompts));
    EXPECT_FALSE(back.modified());
    EXPECT_EQ(back.captions(), log.captions());  // the trailing TABs add no column
    ASSERT_EQ(back.row_count(), 2u);
    for (std::size_t r = 0; r < 2; ++r)
        for (std::size_t c = 0; c < log.column_count(); ++c) EXPECT_EQ(back.cell_text(r, c), log.cell_text(r, c));
    EXPECT_EQ(back.to_text(), log.to_text());
    EXPECT_TRUE(prompts.messages().empty());
}

TEST(MeasurementLogFile, FailedReadKeepsTheTable) {
    test::ScratchDir dir;
    ScriptedPrompts prompts;
    MeasurementLog log;
    log.add_entry(entry_with(2));
    const std::string bad = dir.file("bad.txt");
    std::ofstream(bad, std::ios::binary) << "abc\r\n";
    EXPECT_FALSE(log.read_file(bad, prompts));
    EXPECT_FALSE(log.read_file(dir.file("missing.txt"), prompts));
    EXPECT_EQ(prompts.messages(), (std::vector<std::string>{log_text::kNotValid, log_text::kOpenError}));
    EXPECT_EQ(log.row_count(), 1u);
    EXPECT_EQ(log.column_count(), 5u);
    EXPECT_TRUE(log.modified());
}

TEST(MeasurementLogFile, UnwritablePathReportsAndStaysModified) {
    ScriptedPrompts prompts;
    MeasurementLog log;
    log.add_entry(entry_with(1));
    EXPECT_FALSE(log.write_file("/nonexistent-dir/x/log.txt", prompts));
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{log_text::kOpenError});
    EXPECT_TRUE(log.modified());
}

TEST(MeasurementLogEntry, RecordHoldsAtMostAHundredValuesOf255Characters) {
    LogEntry e(std::string(300, 'p'), LogEntryKind::SpecMarker);
    EXPECT_EQ(e.file_name.size(), 255u);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(e.add(i));
    EXPECT_FALSE(e.add(1.0));
    EXPECT_EQ(e.values.size(), 100u);
    e.values.pop_back();
    EXPECT_TRUE(e.add_text(std::string(400, 'v')));
    EXPECT_EQ(e.values.back().size(), 255u);
}

}  // namespace
}  // namespace vox
