// voxtrel-cli's analysis options: each changes what its command computes,
// a saved configuration is taken, and values the option dialogs refuse are
// refused with the dialogs' words.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/app/config_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

test::ShellRun cli(const std::string& args) {
    return test::run_shell("'" + std::string(std::getenv("VOXTREL_CLI")) + "' " + args, true);
}

const std::string kWav = "'" + std::string(VOXTREL_SOURCE_DIR) + "/data/samples/speech.wav'";

std::vector<std::vector<double>> rows(const std::string& out) {
    std::vector<std::vector<double>> r;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream l(line);
        std::vector<double> v;
        for (double x; l >> x;) v.push_back(x);
        if (!v.empty()) r.push_back(v);
    }
    return r;
}

class AnalysisOptionsCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
    test::ScratchDir dir;
};

TEST_F(AnalysisOptionsCli, EachOptionChangesItsAnalysis) {
    const auto base = rows(cli("pitch " + kWav).out);
    ASSERT_GT(base.size(), 100u);
    // A 40 ms window (the range's low end high enough not to ask for a
    // longer one) centres the first frame at 20 ms; a 5 ms step doubles the
    // frames.
    auto r = cli("pitch " + kWav + " --f0-min 100 --f0-max 400 --window-ms 40 --step-ms 5");
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto fine = rows(r.out);
    ASSERT_FALSE(fine.empty());
    EXPECT_NEAR(fine[0][0], 20.0, 1e-9);
    EXPECT_NEAR(static_cast<double>(fine.size()) / base.size(), 2.0, 0.05);

    const auto level = rows(cli("intensity " + kWav).out);
    r = cli("intensity " + kWav + " --step-ms 20");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NEAR(static_cast<double>(rows(r.out).size()) / level.size(), 0.5, 0.02);

    // FFT/LPC: a 2000 Hz range spreads the 100 points over 0 … 2000 Hz
    // (the formant lines, starting with their names, are not rows).
    r = cli("fftlpc " + kWav + " --at 700 --width 100 --max-freq 2000 --lpc-order 10");
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto curve = rows(r.out);
    ASSERT_EQ(curve.size(), 100u);
    EXPECT_NEAR(curve.back()[0], 1980.0, 1e-6);
}

TEST_F(AnalysisOptionsCli, ASavedConfigurationIsTaken) {
    OptionBlock block;
    block.pitch.calc_low_hz = 100.0;
    block.pitch.calc_high_hz = 400.0;
    block.pitch.window_ms = 40.0;
    const std::string cfg = dir.file("tuned.cfg");
    ASSERT_TRUE(write_config_bytes(cfg, encode_config(block, AppConfigValues{})));
    auto r = cli("pitch " + kWav + " --config '" + cfg + "'");
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto t = rows(r.out);
    ASSERT_FALSE(t.empty());
    EXPECT_NEAR(t[0][0], 20.0, 1e-9);
    // An option on the line wins over the configuration.
    r = cli("pitch " + kWav + " --config '" + cfg + "' --window-ms 60");
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NEAR(rows(r.out)[0][0], 30.0, 1e-9);

    const std::string bad = dir.file("bad.cfg");
    test::write_file(bad, std::vector<unsigned char>(100, 7));
    r = cli("pitch " + kWav + " --config '" + bad + "'");
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find("not a configuration file"), std::string::npos) << r.err;
}

struct Refusal {
    const char* name;
    std::string args;
    const char* says;
};

const Refusal kRefusals[] = {
    {"RangeBelowTheDialogs", "pitch " + kWav + " --f0-min 30", "Please select a calculation low range greater than 50 Hz"},
    {"NarrowRange", "pitch " + kWav + " --f0-min 100 --f0-max 200",
     "Calculation high range is too low. Must be greater (low range +200) Hz"},
    {"OptionOfAnotherAnalysis", "intensity " + kWav + " --lpc-order 8", "--lpc-order does not apply to intensity"},
    {"NotANumber", "pitch " + kWav + " --step-ms fast", "--step-ms needs a number from 0.1 to 10000"},
    {"FftSizeNotAPower", "fftlpc " + kWav + " --at 500 --fft-points 300", "power of two from 32 to 4096"},
    {"RangeAboveHalfTheRate", "fftlpc " + kWav + " --at 500 --max-freq 20000",
     "Frequency range is beyond allowable value."},
    {"SpectrogramRangeTooLow", "formants " + kWav + " --width 4 --max-freq 300",
     "Frequency range is too low. Must be > 500 Hz"},
};

class AnalysisOptionRefusals : public AnalysisOptionsCli, public ::testing::WithParamInterface<Refusal> {};

TEST_P(AnalysisOptionRefusals, SayWhyAndComputeNothing) {
    const auto r = cli(GetParam().args);
    EXPECT_EQ(r.rc, 2);
    EXPECT_NE(r.err.find(GetParam().says), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, AnalysisOptionRefusals, ::testing::ValuesIn(kRefusals),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(AnalysisOptionsCli, AnAppliedWindowLongerThanTheFftIsCutWithTheDialogsWarning) {
    const auto r = cli("fftlpc " + kWav + " --at 500 --fft-points 512 --window-ms 500");
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.err.find("Selected applied window is out of range."), std::string::npos) << r.err;
    EXPECT_FALSE(rows(r.out).empty());
}

}  // namespace
}  // namespace vox
