// voxtrel-cli on the hostile regression files of tests/data/hostile: every
// run ends within its time limit, refusals and clamps are explained on
// standard error, standard output carries only results, and no command
// reports success having done nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

// Runs the CLI with a time limit of 20 s (exit status 124 when it ran out);
// standard output and standard error apart.
test::ShellRun cli(const std::string& args) {
    return test::run_shell("timeout 20 '" + std::string(std::getenv("VOXTREL_CLI")) + "' " + args, true);
}

std::string data(const std::string& name) {
    return "'" + std::string(VOXTREL_SOURCE_DIR) + "/tests/data/hostile/" + name + "'";
}

enum class Outcome { Refused, Clamped, Read };

struct FileCase {
    const char* file;
    Outcome outcome;
    const char* reason;  // part of standard error
    double samples;      // samples exported when read
};

class HostileCli : public ::testing::TestWithParam<FileCase> {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
    test::ScratchDir dir;
};

TEST_P(HostileCli, InfoAndExportExplainEveryRefusalAndClamp) {
    const FileCase& c = GetParam();
    const auto info = cli("info " + data(c.file));
    ASSERT_NE(info.rc, 124) << c.file << " hung";
    EXPECT_EQ(info.rc, c.outcome == Outcome::Refused ? 1 : 0) << info.err;
    if (c.outcome != Outcome::Read) {
        EXPECT_NE(info.err.find(c.file), std::string::npos) << info.err;
        EXPECT_NE(info.err.find(c.reason), std::string::npos) << info.err;
    }
    if (c.outcome == Outcome::Refused) {
        EXPECT_TRUE(info.out.empty()) << info.out;
    } else {
        char line[64];
        std::snprintf(line, sizeof line, "Samples:   %.0f\n", c.samples);
        EXPECT_NE(info.out.find(line), std::string::npos) << info.out;
    }

    const std::string out = dir.file("out.raw");
    const auto exported = cli("export-raw " + data(c.file) + " '" + out + "'");
    ASSERT_NE(exported.rc, 124) << c.file << " hung";
    if (c.outcome == Outcome::Refused) {
        EXPECT_EQ(exported.rc, 1);
        EXPECT_FALSE(file_exists(out));
    } else {
        EXPECT_EQ(exported.rc, 0) << exported.err;
        EXPECT_EQ(file_size(out), static_cast<std::uint64_t>(c.samples * 2));
    }
}

INSTANTIATE_TEST_SUITE_P(
    RegressionFiles, HostileCli,
    ::testing::Values(FileCase{"rate_tiny.vxl", Outcome::Refused, "sample rate of 1e-300 Hz lies outside", 0},
                      FileCase{"rate_huge.vxl", Outcome::Refused, "sample rate of 2.14748e+09 Hz lies outside", 0},
                      FileCase{"rate_nan.vxl", Outcome::Refused, "sample rate is not a number", 0},
                      FileCase{"count_1e300.vxl", Outcome::Clamped, "400 of 1e+300 samples", 400},
                      FileCase{"count_2e64.lmf", Outcome::Refused, "the header announces 1.84467e+19", 0},
                      FileCase{"empty.wav", Outcome::Refused, "it is empty", 0},
                      FileCase{"no_data_chunk.wav", Outcome::Refused, "as WAV: it has no \"data\" chunk", 0},
                      FileCase{"truncated.wav", Outcome::Clamped, "905 ms of 3571 ms", 7240},
                      FileCase{"tone_150hz.d", Outcome::Read, "", 4000}),
    [](const auto& info) {
        std::string n = info.param.file;
        for (char& ch : n)
            if (ch == '.' || ch == '-') ch = '_';
        return n;
    });

TEST_F(HostileCli, AnalysesOfAnUnusableRateEndAtOnce) {
    // Once an endless loop (intensity) and a huge allocation (formants).
    for (const char* command : {"intensity", "pitch", "formants", "spectrogram"}) {
        const auto r = cli(std::string(command) + " " + data("rate_tiny.vxl"));
        ASSERT_NE(r.rc, 124) << command << " hung";
        EXPECT_EQ(r.rc, 1) << command;
        EXPECT_TRUE(r.out.empty()) << command;
        EXPECT_NE(r.err.find("lies outside 1 Hz to 1 MHz"), std::string::npos) << r.err;
    }
}

TEST_F(HostileCli, StandardOutputOfTheContoursIsOnlyTheirRows) {
    for (const char* command : {"pitch", "intensity"}) {
        const auto r = cli(std::string(command) + " " + data("tone_150hz.d"));
        ASSERT_EQ(r.rc, 0) << command << r.err;
        ASSERT_FALSE(r.out.empty()) << command;
        // Every line is "<time>\t<value>", the diagnostics went to standard error.
        std::size_t lines = 0;
        for (std::size_t at = 0; at < r.out.size(); ++lines) {
            const std::size_t end = r.out.find('\n', at);
            const std::string line = r.out.substr(at, end - at);
            double t = 0, v = 0;
            char rest = 0;
            EXPECT_EQ(std::sscanf(line.c_str(), "%lf\t%lf%c", &t, &v, &rest), 2) << command << ": " << line;
            at = end == std::string::npos ? r.out.size() : end + 1;
        }
        EXPECT_GT(lines, 10u);
        EXPECT_NE(r.err.find("No Byte Swapping involved"), std::string::npos) << r.err;
    }
}

TEST_F(HostileCli, AFifoIsRefusedInsteadOfBlocking) {
    const std::string fifo = dir.file("f.wav");
    ASSERT_TRUE(test::run_command("mkfifo '" + fifo + "'"));
    const auto r = cli("info '" + fifo + "'");
    ASSERT_NE(r.rc, 124) << "info blocked on a FIFO";
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("FIFO"), std::string::npos) << r.err;
}

TEST_F(HostileCli, ExportingAFileWithoutSamplesIsNotASuccess) {
    // A native file whose header holds no samples.
    test::Bytes f;
    f.fixed("VXL_PC", 512);
    f.data[8] = 1;
    f.f64le(0).f64le(8000).f64le(0).f64le(0).f64le(0).f64le(0).f64le(1).f64le(0);
    f.i32le(1).i32le(16).i32le(0).i32le(100).i32le(1).i32le(1).i32le(4000).i32le(0).i32le(1).i32le(1).i32le(0);
    f.i32le(0).i32le(0).fixed("mic", 64).fixed("bits", 64).zeros(4).zeros(2);
    const std::string in = dir.file("none.vxl");
    test::write_file(in, f.data);
    const std::string out = dir.file("none.raw");
    const auto r = cli("export-raw '" + in + "' '" + out + "'");
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.err.find("holds no samples"), std::string::npos) << r.err;
    EXPECT_FALSE(file_exists(out));
}

}  // namespace
}  // namespace vox
