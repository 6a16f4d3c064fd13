// voxtrel-cli reads compressed files through its decoder: "info" names the
// format as the decoder does, and "export-raw" gives the chosen channel as
// sox decodes it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/test_support.h"

namespace vox {
namespace {

struct CliDecodedCase {
    const char* ext;
    const char* format;  // the "Format:" line
    int tolerance;       // steps from sox's decode
};
std::ostream& operator<<(std::ostream& os, const CliDecodedCase& c) { return os << c.ext; }

class CliDecoded : public ::testing::TestWithParam<CliDecodedCase> {};

TEST_P(CliDecoded, InfoNamesTheFormatAndExportGivesSoxsSamples) {
    const char* cli = std::getenv("VOXTREL_CLI");
    if (!cli) GTEST_SKIP() << "VOXTREL_CLI is not set";
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    const CliDecodedCase& c = GetParam();
    test::ScratchDir dir;
    const std::string file = dir.file(std::string("take.") + c.ext);
    ASSERT_TRUE(test::run_command("sox -D -R -n -r 22050 -b 16 -c 2 '" + file +
                                  "' synth 0.5 sine 200 sine 700 synth whitenoise amod 0.05 gain -3"));
    const std::string q = std::string("'") + cli + "' ";

    const auto info = test::run_shell(q + "info '" + file + "' --channel 2", true);
    EXPECT_EQ(info.rc, 0) << info.err;
    EXPECT_NE(info.out.find(std::string("Format:    ") + c.format + "\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Rate:      22050 Hz"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("(take." + std::string(c.ext) + "::Channel 2)"), std::string::npos) << info.out;

    // Without --channel the command says how to choose one and fails.
    const auto unchosen = test::run_shell(q + "info '" + file + "'", true);
    EXPECT_EQ(unchosen.rc, 1);
    EXPECT_NE(unchosen.err.find("has 2 channels: choose one with --channel 1..2"), std::string::npos) << unchosen.err;
    EXPECT_EQ(unchosen.err.find("--generic"), std::string::npos) << unchosen.err;

    const std::string ours = dir.file("ours.raw"), sox = dir.file("sox.raw");
    ASSERT_EQ(test::run_shell(q + "export-raw '" + file + "' '" + ours + "' --channel 2", true).rc, 0);
    ASSERT_TRUE(test::run_command("sox -D '" + file + "' -t raw -e signed -b 16 -L '" + sox + "' remix 2"));
    const auto a = test::read_file(ours), b = test::read_file(sox);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 20000u);
    int worst = 0;
    for (std::size_t i = 0; i + 1 < a.size(); i += 2) {
        const int x = static_cast<std::int16_t>(a[i] | (a[i + 1] << 8));
        const int y = static_cast<std::int16_t>(b[i] | (b[i + 1] << 8));
        worst = std::max(worst, std::abs(x - y));
    }
    EXPECT_LE(worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Formats, CliDecoded,
                         ::testing::Values(CliDecodedCase{"flac", "FLAC (Free Lossless Audio Codec), Signed 16 bit PCM", 0},
                                           CliDecodedCase{"ogg", "OGG (OGG Container format), Vorbis", 1}),
                         [](const auto& info) { return std::string(info.param.ext); });

}  // namespace
}  // namespace vox
