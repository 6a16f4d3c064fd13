// voxtrel-cli info, export-raw and convert, run as a user runs them.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;

// The CLI's standard output and standard error together.
test::ShellRun run(const std::string& args) {
    const char* cli = std::getenv("VOXTREL_CLI");
    if (!cli) return {};
    return test::run_shell("'" + std::string(cli) + "' " + args + " 2>&1");
}

// A 16-bit WAV file of `channels` interleaved channels; sample i of channel c is 100 c + i.
std::string stereo_wav(const test::ScratchDir& dir, int channels, int frames) {
    Bytes b;
    b.text("RIFF").u32le(36 + frames * 2 * channels).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(channels).u32le(8000).u32le(8000 * 2 * channels);
    b.u16le(2 * channels).u16le(16).text("data").u32le(frames * 2 * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) b.i16le(100 * c + i);
    const std::string path = dir.file("multi.wav");
    test::write_file(path, b.data);
    return path;
}

std::vector<std::int16_t> raw_samples(const std::string& path) {
    const auto bytes = test::read_file(path);
    std::vector<std::int16_t> s(bytes.size() / 2);
    for (std::size_t i = 0; i < s.size(); ++i) s[i] = get_i16le(&bytes[2 * i]);
    return s;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("VOXTREL_CLI")) GTEST_SKIP() << "VOXTREL_CLI not set";
    }
    test::ScratchDir dir;
};

TEST_F(Cli, InfoDescribesTheBundledSample) {
    const auto r = run(std::string("info '") + VOXTREL_SOURCE_DIR + "/data/samples/speech.vxl'");
    ASSERT_EQ(r.rc, 0) << r.out;
    EXPECT_NE(r.out.find("VXL_PC"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("22050 Hz"), std::string::npos);
    EXPECT_NE(r.out.find("\"words\" 9 labels"), std::string::npos);
}

TEST_F(Cli, ChannelOptionPicksTheChannelAndIsRequiredForMultichannelFiles) {
    const std::string wav = stereo_wav(dir, 3, 50);
    const std::string out = dir.file("ch3.raw");
    const auto chosen = run("export-raw '" + wav + "' '" + out + "' --channel 3");
    ASSERT_EQ(chosen.rc, 0) << chosen.out;
    const auto s = raw_samples(out);
    ASSERT_EQ(s.size(), 50u);
    EXPECT_EQ(s[0], 200);
    EXPECT_EQ(s[49], 249);

    const auto missing = run("info '" + wav + "'");
    EXPECT_NE(missing.rc, 0);
    EXPECT_NE(missing.out.find("--channel 1..3"), std::string::npos) << missing.out;
    const auto beyond = run("info '" + wav + "' --channel 4");
    EXPECT_NE(beyond.rc, 0);
}

// A two-channel WAV without a usable --channel: one line naming the count
// and the option, and nothing else (no second asking by a later reader, no
// offer to read it as headerless samples).
struct ChannelCase {
    const char* name;
    const char* args;  // after the file
    const char* said;  // all of standard error, after the file's path
};

class CliChannel : public Cli, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(CliChannel, SaysOnceHowManyChannelsThereAreAndHowToChoose) {
    const std::string wav = stereo_wav(dir, 2, 400);
    const std::string cmd = GetParam().args;
    const auto space = cmd.find(' ');
    const std::string line = std::string("'") + std::getenv("VOXTREL_CLI") + "' " + cmd.substr(0, space) + " '" + wav +
                             "'" + (space == std::string::npos ? "" : cmd.substr(space));
    const auto r = test::run_shell(line, true);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, wav + GetParam().said);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliChannel,
    ::testing::Values(
        ChannelCase{"InfoWithout", "info", " has 2 channels: choose one with --channel 1..2\n"},
        ChannelCase{"InfoBeyond", "info --channel 3", " has 2 channels: --channel must lie in 1..2\n"},
        ChannelCase{"PitchWithout", "pitch", " has 2 channels: choose one with --channel 1..2\n"},
        ChannelCase{"Measure", "measure --tier words",
                    ": has 2 channels; measure reads one-channel recordings (take one out first with "
                    "voxtrel-cli convert FILE OUT.wav --channel N)\n"}),
    [](const auto& i) { return std::string(i.param.name); });

TEST_F(Cli, ConvertRoundTripsThroughBothWriters) {
    const std::string wav = stereo_wav(dir, 1, 300);
    const std::string vxl = dir.file("a.vxl");
    const std::string back = dir.file("b.wav");
    ASSERT_EQ(run("convert '" + wav + "' '" + vxl + "'").rc, 0);
    ASSERT_EQ(run("convert '" + vxl + "' '" + back + "'").rc, 0);
    // The WAV written back is the 44-byte header plus the same samples.
    EXPECT_EQ(test::read_file(back), test::read_file(wav));
    const auto info = run("info '" + vxl + "'");
    EXPECT_NE(info.out.find("VXL_PC"), std::string::npos) << info.out;
}

TEST_F(Cli, GenericAnswersReadAHeaderlessFile) {
    Bytes b;
    b.text("HDR!");
    for (int v : {1, -2, 300, -32768}) b.i16be(v);
    const std::string path = dir.file("plain.dat");
    test::write_file(path, b.data);
    const std::string out = dir.file("plain.raw");
    const auto r = run("export-raw '" + path + "' '" + out + "' --generic header=4,rate=8000,type=binary,bits=16,order=high");
    ASSERT_EQ(r.rc, 0) << r.out;
    EXPECT_EQ(raw_samples(out), (std::vector<std::int16_t>{1, -2, 300, -32768}));

    const auto refused = run("info '" + path + "'");
    EXPECT_NE(refused.rc, 0);
    EXPECT_NE(refused.out.find("--generic"), std::string::npos) << refused.out;
}

TEST_F(Cli, RefusalsExitNonZeroWithTheReadersMessage) {
    Bytes b;
    b.text("RIFF").u32le(36).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000);
    b.u16le(2).u16le(12).text("data").u32le(0);
    const std::string path = dir.file("twelve.wav");
    test::write_file(path, b.data);
    const auto r = run("info '" + path + "'");
    EXPECT_NE(r.rc, 0);
    EXPECT_NE(r.out.find("12-bit PCM samples"), std::string::npos) << r.out;

    EXPECT_NE(run("info '" + dir.file("absent.wav") + "'").rc, 0);
    EXPECT_NE(run("frobnicate x").rc, 0);
    EXPECT_NE(run("").rc, 0);
}

// Run without arguments, and with --help, the program lists every command
// it knows, each on a line of its own with its options.
struct UsageCase {
    const char* args;
    int rc;
};

class CliUsage : public Cli, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsage, ListsEveryCommandWithItsOptions) {
    const auto r = run(GetParam().args);
    EXPECT_EQ(r.rc, GetParam().rc) << r.out;
    const std::pair<const char*, const char*> commands[] = {
        {"info", "FILE"},         {"export-raw", "OUT"},      {"convert", "OUT.vxl"},
        {"pitch", "--method"},    {"intensity", "FILE"},      {"fftlpc", "--at"},
        {"formants", "--width"},  {"spectrogram", "--out"},   {"record", "--seconds"},
        {"play", "--from"},       {"usb-config", "--model"},  {"scope", "--runs"},
    };
    for (const auto& [name, option] : commands) {
        const std::string line_start = std::string("\n  ") + name + " ";
        const auto at = r.out.find(line_start);
        ASSERT_NE(at, std::string::npos) << name << " missing in:\n" << r.out;
        const auto eol = r.out.find('\n', at + 1);
        EXPECT_NE(r.out.substr(at, eol - at).find(option), std::string::npos) << name;
    }
    EXPECT_NE(r.out.find("--audio="), std::string::npos);
    EXPECT_NE(r.out.find("--generic"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliUsage, ::testing::Values(UsageCase{"", 2}, UsageCase{"--help", 0}));

}  // namespace
}  // namespace vox
