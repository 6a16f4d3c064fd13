// Inputs that once troubled the label-file import and the log-file reader
// (kept under regressions/), replayed with the properties that must hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/annotation/label_import.h"
#include "core/annotation/measurement_log.h"
#include "core/platform/scripted_prompts.h"

namespace vox {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> files_of(const char* family) {
    std::vector<fs::path> v;
    const fs::path dir = fs::path(VOXTREL_SOURCE_DIR) / "tests/core/annotation/regressions" / family;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.is_regular_file()) v.push_back(e.path());
    std::sort(v.begin(), v.end());
    return v;
}

std::string contents(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(ParserRegressions, LabelFilesKeepOnlyPlaceableLabelsWithinTheRoom) {
    const auto files = files_of("label_import");
    ASSERT_GE(files.size(), 4u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        const std::string text = contents(path);
        const auto lines = ParseLabelFile(text);
        for (const auto& l : lines) EXPECT_LE(l.text.size(), 255u);
        for (const bool ms : {true, false}) {
            std::istringstream in(text);
            LabelImportChoices c;
            c.milliseconds = ms;
            const std::size_t room = 100;
            const LabelFileScan s = ScanLabelFile(in, c, 0.0, 1000.0, room);
            EXPECT_LE(s.kept.size(), room);
            EXPECT_EQ(s.kept.size() + s.outside + s.over_limit, lines.size());
            CChannels ch;
            ImportLabels(ch, 0, s.kept, c, 0.0);
            for (const LABEL& l : ch.tiers[0].labels) {
                EXPECT_GE(l.time_ms, 0.0);
                EXPECT_LE(l.time_ms, 1000.0);
            }
        }
    }
}

TEST(ParserRegressions, LogFilesGiveRowsSpanningTheirColumnsOrARefusal) {
    const auto files = files_of("log_file");
    ASSERT_GE(files.size(), 3u);
    for (const auto& path : files) {
        SCOPED_TRACE(path.filename().string());
        ScriptedPrompts prompts;
        const auto log = MeasurementLog::parse(contents(path), prompts);
        if (!log) {
            EXPECT_FALSE(prompts.messages().empty());
            continue;
        }
        EXPECT_TRUE(prompts.messages().empty());
        ASSERT_GE(log->column_count(), 1u);
        for (std::size_t r = 0; r < log->row_count(); ++r) EXPECT_EQ(log->row(r).size(), log->column_count());
    }
}

}  // namespace
}  // namespace vox
