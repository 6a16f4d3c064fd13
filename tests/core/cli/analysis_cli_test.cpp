// voxtrel-cli analysis commands on a constructed WAV file: a 200 Hz pulse
// train through one resonance, after a stretch of silence.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/core/dsp/synth.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

std::string cli() {
    const char* p = std::getenv("VOXTREL_CLI");
    return p ? p : "";
}

// Runs the command and returns its standard output; rc receives the exit code.
std::string capture(const std::string& command, int& rc) {
    const auto r = test::run_shell(command + " 2>/dev/null");
    rc = r.rc;
    return r.out;
}

std::vector<std::vector<double>> rows(const std::string& text) {
    std::vector<std::vector<double>> r;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ls(line);
        std::vector<double> v;
        double x;
        while (ls >> x) v.push_back(x);
        r.push_back(v);
    }
    return r;
}

class AnalysisCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (cli().empty()) GTEST_SKIP() << "VOXTREL_CLI not set";
        const double fs = 16000;
        const auto x = test::synth_voice(fs, 1.5, [](double t) { return t < 0.5 ? 0.0 : 200.0; }, {{600, 80}, {1800, 100}},
                                         15000);
        test::Bytes b;
        b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + 2 * x.size())).text("WAVE");
        b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(16000).u32le(32000).u16le(2).u16le(16);
        b.text("data").u32le(static_cast<std::uint32_t>(2 * x.size()));
        for (auto s : x) b.i16le(s);
        wav = dir.file("voice.wav");
        test::write_file(wav, b.data);
    }
    std::string run(const std::string& args, int& rc) { return capture(cli() + " " + args, rc); }
    test::ScratchDir dir;
    std::string wav;
};

TEST_F(AnalysisCli, PitchPrintsTimeAndF0ForBothMethodsAndRanges) {
    for (const char* method : {"cepstral", "amdf"}) {
        int rc = 0;
        const auto r = rows(run("pitch " + wav + " --method " + method, rc));
        ASSERT_EQ(rc, 0) << method;
        ASSERT_GT(r.size(), 100u);
        int voiced = 0, near200 = 0, early = 0;
        for (const auto& row : r) {
            ASSERT_EQ(row.size(), 2u);
            if (row[1] > 0) {
                ++voiced;
                near200 += std::fabs(row[1] - 200) < 4;
                early += row[0] < 450;
            }
        }
        EXPECT_GT(voiced, 70) << method;
        EXPECT_GT(near200, voiced * 9 / 10) << method;
        EXPECT_EQ(early, 0) << method;
    }
    int rc = 0;
    const auto part = rows(run("pitch " + wav + " --from 600 --to 900", rc));
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(part.size(), 30u);  // 300 ms in 10 ms steps
    // Each time is the centre of its frame: 600 ms plus half the window
    // (55 ms, 2.75 periods of the 50 Hz low end of the calculation range).
    EXPECT_NEAR(part.front()[0], 627.5, 1e-9);
    run("pitch " + wav + " --method yin", rc);
    EXPECT_EQ(rc, 2);
    run("pitch " + wav + " --method amdf --from 0 --to 50", rc);  // 800 samples < 1100
    EXPECT_EQ(rc, 1);
}

TEST_F(AnalysisCli, IntensitySliceFormantsAndSpectrogram) {
    int rc = 0;
    const auto in = rows(run("intensity " + wav, rc));
    ASSERT_EQ(rc, 0);
    ASSERT_GT(in.size(), 140u);
    EXPECT_EQ(in[10][1], 0.0);  // silence
    EXPECT_GT(in[100][1], 60.0);

    const auto sl = rows(run("fftlpc " + wav + " --at 1000 --width 200", rc));
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(sl.size(), 205u);
    run("fftlpc " + wav, rc);
    EXPECT_EQ(rc, 2);

    const auto fm = rows(run("formants " + wav + " --width 60", rc));
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(fm.size(), 60u);
    int f1 = 0;
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(fm[i].size(), 6u);
        if (i < 15) {  // quiet columns suppressed
            EXPECT_EQ(fm[i][1], 0) << i;
        }
        if (i > 25 && std::fabs(fm[i][1] - 600) < 80) ++f1;
    }
    EXPECT_GT(f1, 25);

    const std::string pgm = dir.file("s.pgm");
    run("spectrogram " + wav + " --width 120 --height 80 --out " + pgm, rc);
    ASSERT_EQ(rc, 0);
    const auto bytes = test::read_file(pgm);
    const std::string header = "P5\n120 80\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 120 * 80);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + header.size()), header);
    run("spectrogram " + wav + " --width 120", rc);
    EXPECT_EQ(rc, 2);
}

// A steady vowel has no quiet column: the quiet-column rule weighs each
// column's whole spectrum (its loudest row), not the 0 Hz value alone, which
// falls between the pulses of a low voice.
TEST_F(AnalysisCli, FormantsOfASteadyVowelHaveNoQuietColumn) {
    test::VoiceSpec v;
    v.fs = 8000;
    v.seconds = 0.4;
    v.f0 = [](double) { return 110.0; };
    v.formants = {{730, 80}, {1090, 100}, {2440, 120}, {3500, 150}};
    v.glottis = test::Glottis::Rosenberg;
    const auto x = test::synth(v);
    test::Bytes b;
    b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + 2 * x.size())).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000).u16le(2).u16le(16);
    b.text("data").u32le(static_cast<std::uint32_t>(2 * x.size()));
    for (auto s : x) b.i16le(s);
    const std::string f = dir.file("a.wav");
    test::write_file(f, b.data);
    int rc = 0;
    const auto fm = rows(run("formants " + f + " --width 24", rc));
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(fm.size(), 24u);
    for (int i = 1; i < 24; ++i) {
        EXPECT_NE(fm[i][1], 0) << "column " << i;
        EXPECT_NEAR(fm[i][1], 730, 0.08 * 730) << "column " << i;
    }
}

// A 16-bit mono WAV of a tone at `hz`.
std::string write_tone(test::ScratchDir& dir, const std::string& name, std::uint32_t rate, double seconds, double hz) {
    const std::size_t n = static_cast<std::size_t>(rate * seconds);
    test::Bytes b;
    b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + 2 * n)).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(rate).u32le(2 * rate).u16le(2).u16le(16);
    b.text("data").u32le(static_cast<std::uint32_t>(2 * n));
    for (std::size_t i = 0; i < n; ++i) b.i16le(static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * hz * i / rate)));
    const std::string path = dir.file(name);
    test::write_file(path, b.data);
    return path;
}

// Below 1000 Hz and far above the usual rates, formants and slices come out
// with the options the file's rate gives: five slots per column, no crash.
class CliRate : public AnalysisCli, public ::testing::WithParamInterface<int> {};

TEST_P(CliRate, FormantsAndSliceAtTheFilesRate) {
    const int rate = GetParam();
    const std::string f = write_tone(dir, "t.wav", static_cast<std::uint32_t>(rate), 1.0, rate / 9.0);
    int rc = 0;
    const auto fm = rows(run("formants " + f + " --width 20", rc));
    ASSERT_EQ(rc, 0);
    ASSERT_EQ(fm.size(), 20u);
    for (const auto& r : fm) EXPECT_EQ(r.size(), 6u);
    const auto sl = rows(run("fftlpc " + f + " --at 100 --width 50", rc));
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(sl.size(), 55u);
}

INSTANTIATE_TEST_SUITE_P(Rates, CliRate, ::testing::Values(400, 999, 8000, 44100, 96000));

}  // namespace
}  // namespace vox
