// voxtrel-cli measure run as a user runs it: the table's shape and
// provenance, the same table whatever the number of jobs, a failing file
// reported while the others are measured, and tables merged by the script.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/config_file.h"
#include "core/app/sha256.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

test::ShellRun cli(const std::string& args) {
    return test::run_shell("'" + std::string(std::getenv("VOXTREL_CLI")) + "' " + args, true);
}

const std::string kVxl = std::string(VOXTREL_SOURCE_DIR) + "/data/samples/speech.vxl";

struct Table {
    std::vector<std::string> comments;
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
};

Table table(const std::string& out) {
    Table t;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#", 0) == 0) {
            t.comments.push_back(line);
        } else if (line.rfind("file\t", 0) == 0) {
            t.headers.push_back(line);
        } else if (!line.empty()) {
            std::vector<std::string> cells;
            std::size_t at = 0;
            for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
                cells.push_back(line.substr(at, tab - at));
            cells.push_back(line.substr(at));
            t.rows.push_back(cells);
        }
    }
    return t;
}

class MeasureCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
    test::ScratchDir dir;
};

TEST_F(MeasureCli, OneRowPerLabelAndPercentageWithItsProvenance) {
    const auto r = cli("measure '" + kVxl + "' --tier words --at 20,50,80");
    ASSERT_EQ(r.rc, 0) << r.err;
    const Table t = table(r.out);
    ASSERT_EQ(t.headers.size(), 1u);
    ASSERT_EQ(t.rows.size(), 9u * 3u);
    // Provenance: the program, the file's digest and the options in force.
    ASSERT_GE(t.comments.size(), 4u);
    EXPECT_EQ(t.comments[0].rfind("# voxtrel-cli measure ", 0), 0u);
    EXPECT_NE(r.out.find("sha256=" + Sha256OfFile(kVxl)), std::string::npos);
    EXPECT_NE(r.out.find("f0_min_hz=50"), std::string::npos);
    int voiced = 0, with_f1 = 0;
    for (const auto& row : t.rows) {
        ASSERT_EQ(row.size(), 15u);
        EXPECT_EQ(row[1], "words");
        // The time is the percentage of the label's stretch.
        const double start = std::stod(row[3]), end = std::stod(row[4]), pct = std::stod(row[5]);
        EXPECT_NEAR(std::stod(row[6]), start + pct / 100.0 * (end - start), 1e-3);
        EXPECT_LT(start, end);
        if (!row[7].empty()) {
            ++voiced;
            EXPECT_GT(std::stod(row[7]), 50.0);
            EXPECT_LT(std::stod(row[7]), 500.0);
        }
        if (!row[9].empty()) ++with_f1;
    }
    EXPECT_GT(voiced, 8);
    EXPECT_GT(with_f1, 20);
    // The last stretch ends at the recording's end.
    EXPECT_NEAR(std::stod(t.rows.back()[4]), 3571.338, 1e-3);
}

TEST_F(MeasureCli, TheTableIsTheSameWhateverTheJobsAndAFailingFileIsReported) {
    const std::string missing = dir.file("missing.wav");
    const auto one = cli("measure '" + kVxl + "' '" + missing + "' '" + kVxl + "' --tier tones --jobs 1");
    const auto three = cli("measure '" + kVxl + "' '" + missing + "' '" + kVxl + "' --tier tones --jobs 3");
    EXPECT_EQ(one.rc, 1);
    EXPECT_EQ(three.rc, 1);
    EXPECT_EQ(one.out, three.out);
    EXPECT_NE(three.err.find(missing), std::string::npos) << three.err;
    // Both copies of the sample were measured, in the order named.
    const Table t = table(three.out);
    EXPECT_EQ(t.rows.size(), 12u);

    const auto wrong_tier = cli("measure '" + kVxl + "' --tier syllables");
    EXPECT_EQ(wrong_tier.rc, 1);
    EXPECT_NE(wrong_tier.err.find("has no tier \"syllables\""), std::string::npos) << wrong_tier.err;
}

// A file no reader takes goes through every reader's check; what they say
// goes to standard error, never into the table.
TEST_F(MeasureCli, StandardOutputCarriesOnlyTheTable) {
    const std::string junk = dir.file("notes.txt");
    test::write_file(junk, std::vector<unsigned char>{'n', 'o', 't', ' ', 's', 'o', 'u', 'n', 'd', '\n'});
    const auto r = cli("measure '" + junk + "' '" + kVxl + "' --tier tones");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find(junk + ": "), std::string::npos) << r.err;
    std::istringstream in(r.out);
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("#", 0) == 0 || line.rfind("file\t", 0) == 0) continue;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 14) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 6);
}

// With a terminal on standard error a line counts the files measured; into
// a file or a pipe nothing but the failures is said.
TEST_F(MeasureCli, AProgressLineCountsTheFilesOnATerminalOnly) {
    if (!test::have_program("script")) GTEST_SKIP() << "script (util-linux) is not installed";
    const std::string run = "'" + std::string(std::getenv("VOXTREL_CLI")) + "' measure '" + kVxl + "' '" + kVxl +
                            "' --tier tones --jobs 2";
    // script gives the command a terminal and copies what it shows.
    const auto shown = test::run_shell("script -qec \"" + run + " >/dev/null\" /dev/null");
    EXPECT_EQ(shown.rc, 0);
    EXPECT_NE(shown.out.find("\rmeasured 2 of 2 files"), std::string::npos) << shown.out;
    const auto piped = cli(run.substr(run.find("' measure") + 2));
    EXPECT_EQ(piped.rc, 0);
    EXPECT_EQ(piped.err, "");
}

// A saved configuration's options measure every file named, and say so in
// the provenance; a file that is not one is a usage error.
TEST_F(MeasureCli, ASavedConfigurationMeasuresEveryFile) {
    OptionBlock block;
    block.pitch.calc_low_hz = 120.0;
    const std::string cfg = dir.file("tuned.cfg");
    ASSERT_TRUE(write_config_bytes(cfg, encode_config(block, AppConfigValues{})));
    const auto r = cli("measure '" + kVxl + "' '" + kVxl + "' --tier tones --jobs 2 --config '" + cfg + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    const Table t = table(r.out);
    EXPECT_NE(r.out.find(" config=" + cfg + "\n"), std::string::npos) << r.out;
    int tuned = 0;
    for (const auto& c : t.comments) tuned += c.find("f0_min_hz=120 ") != std::string::npos;
    EXPECT_EQ(tuned, 2);
    EXPECT_EQ(t.rows.size(), 12u);

    const std::string bad = dir.file("bad.cfg");
    test::write_file(bad, std::vector<unsigned char>(100, 7));
    const auto refused = cli("measure '" + kVxl + "' --tier tones --config '" + bad + "'");
    EXPECT_EQ(refused.rc, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(bad + " is not a configuration file this program can read"), std::string::npos)
        << refused.err;
}

struct Misuse {
    const char* name;
    const char* args;
};

class MeasureMisuse : public MeasureCli, public ::testing::WithParamInterface<Misuse> {};

TEST_P(MeasureMisuse, IsAUsageError) {
    const auto r = cli(std::string("measure ") + GetParam().args);
    EXPECT_EQ(r.rc, 2) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, MeasureMisuse,
                         ::testing::Values(Misuse{"NoTier", "x.wav"}, Misuse{"NoFile", "--tier words"},
                                           Misuse{"PercentOver100", "x.wav --tier words --at 50,120"},
                                           Misuse{"NoJobs", "x.wav --tier words --jobs 0"},
                                           Misuse{"UnknownOption", "x.wav --tier words --colour red"}),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MeasureCli, TablesMergeWithOneHeaderAndEveryCommentLine) {
    const std::string a = dir.file("a.tsv"), b = dir.file("b.tsv");
    ASSERT_EQ(test::run_shell("'" + std::string(std::getenv("VOXTREL_CLI")) + "' measure '" + kVxl +
                              "' --tier tones > '" + a + "'")
                  .rc,
              0);
    ASSERT_EQ(test::run_shell("'" + std::string(std::getenv("VOXTREL_CLI")) + "' measure '" + kVxl +
                              "' --tier words --at 10 > '" + b + "'")
                  .rc,
              0);
    const auto merged = test::run_shell("'" + std::string(VOXTREL_SOURCE_DIR) + "/scripts/merge-measurements.sh' '" +
                                            a + "' '" + b + "'",
                                        true);
    ASSERT_EQ(merged.rc, 0) << merged.err;
    const auto bytes_a = test::read_file(a), bytes_b = test::read_file(b);
    const Table ta = table(std::string(bytes_a.begin(), bytes_a.end()));
    const Table tb = table(std::string(bytes_b.begin(), bytes_b.end()));
    const Table m = table(merged.out);
    EXPECT_EQ(m.headers.size(), 1u);
    EXPECT_EQ(m.comments.size(), ta.comments.size() + tb.comments.size());
    ASSERT_EQ(m.rows.size(), ta.rows.size() + tb.rows.size());
    EXPECT_EQ(m.rows.front(), ta.rows.front());
    EXPECT_EQ(m.rows.back(), tb.rows.back());
    // The header comes after every comment line.
    EXPECT_LT(merged.out.rfind("\n#"), merged.out.find("\nfile\t"));
}

}  // namespace
}  // namespace vox
