// voxtrel-cli labels --to and convert --labels: tiers out to a TextGrid and
// in from one, run as a user runs them.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <variant>

#include "core/annotation/textgrid.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

test::ShellRun cli(const std::string& args) {
    return test::run_shell("'" + std::string(std::getenv("VOXTREL_CLI")) + "' " + args, true);
}

std::string source(const std::string& rel) { return "'" + std::string(VOXTREL_SOURCE_DIR) + "/" + rel + "'"; }

textgrid::Grid read_grid(const std::string& path) {
    const auto bytes = test::read_file(path);
    auto r = textgrid::Parse(std::string(bytes.begin(), bytes.end()));
    if (auto* e = std::get_if<textgrid::ParseError>(&r)) ADD_FAILURE() << path << " line " << e->line << ": " << e->what;
    return std::holds_alternative<textgrid::Grid>(r) ? std::get<textgrid::Grid>(r) : textgrid::Grid{};
}

class TextGridCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
    test::ScratchDir dir;
};

TEST_F(TextGridCli, LabelsOfTheBundledSampleGoOutAsPointTiers) {
    const std::string out = dir.file("speech.TextGrid");
    const auto r = cli("labels " + source("data/samples/speech.vxl") + " --to '" + out + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    const textgrid::Grid g = read_grid(out);
    ASSERT_EQ(g.tiers.size(), 2u);
    EXPECT_EQ(g.tiers[1].name, "words");
    EXPECT_TRUE(g.tiers[1].points);
    EXPECT_EQ(g.tiers[1].marks.size(), 9u);
    EXPECT_NEAR(g.xmax, 3.5713, 1e-4);
}

TEST_F(TextGridCli, AGridsTiersComeInAndGoOutAgainUnchanged) {
    const std::string vxl = dir.file("with_grid.vxl"), out = dir.file("back.TextGrid");
    const std::string grid = "tests/core/annotation/textgrid/long_utf16.TextGrid";
    auto r = cli("convert " + source("data/samples/speech.wav") + " '" + vxl + "' --labels " + source(grid));
    ASSERT_EQ(r.rc, 0) << r.err;
    r = cli("labels '" + vxl + "' --to '" + out + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    const textgrid::Grid in = read_grid(std::string(VOXTREL_SOURCE_DIR) + "/" + grid), back = read_grid(out);
    ASSERT_EQ(back.tiers.size(), 2u);
    EXPECT_EQ(back.tiers[0].name, "words");
    // The interval tier comes back as the starts of its labelled intervals,
    // and the grid's end (before the recording's) as an unlabelled mark.
    const auto words = textgrid::TierMarks(in.tiers[0], 3.5713);
    ASSERT_EQ(back.tiers[0].marks.size(), words.size());
    for (std::size_t k = 0; k < words.size(); ++k) {
        EXPECT_NEAR(back.tiers[0].marks[k].time, words[k].time, 1e-4);
        EXPECT_EQ(back.tiers[0].marks[k].mark, words[k].text);
    }
    ASSERT_EQ(back.tiers[1].marks.size(), in.tiers[1].marks.size());
    for (std::size_t k = 0; k < in.tiers[1].marks.size(); ++k) {
        EXPECT_NEAR(back.tiers[1].marks[k].time, in.tiers[1].marks[k].time, 1e-4);
        EXPECT_EQ(back.tiers[1].marks[k].mark, in.tiers[1].marks[k].mark);
    }
}

TEST_F(TextGridCli, RefusalsSayWhyAndWriteNothing) {
    const std::string bad = dir.file("bad.TextGrid"), vxl = dir.file("x.vxl");
    const std::string text = "File type = \"ooTextFile\"\nObject class = \"TextGrid\"\n\n0\n1\n<exists>\nx\n";
    test::write_file(bad, std::vector<unsigned char>(text.begin(), text.end()));
    auto r = cli("convert " + source("data/samples/speech.wav") + " '" + vxl + "' --labels '" + bad + "'");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("Line 7: a count of tiers was expected"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(vxl));

    r = cli("convert " + source("data/samples/speech.wav") + " '" + dir.file("x.wav") + "' --labels '" + bad + "'");
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find("only a .vxl file keeps tiers"), std::string::npos) << r.err;

    // A recording without labels has nothing to export.
    const std::string out = dir.file("none.TextGrid");
    r = cli("labels " + source("data/samples/speech.wav") + " --to '" + out + "'");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("holds no labels"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));

    r = cli("labels " + source("data/samples/speech.vxl"));
    EXPECT_EQ(r.rc, 2);
}

}  // namespace
}  // namespace vox
