// voxtrel-cli record and play through the virtual sound devices.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/formats/open_document.h"
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

std::vector<std::int16_t> speechlike(int n, int rate) {
    std::vector<std::int16_t> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 140.0 * i / rate) + 3000 * std::sin(0.37 * i) + (i % 5));
    return s;
}

std::string mono_wav(const std::string& path, const std::vector<std::int16_t>& s, int rate) {
    Bytes b;
    const auto bytes = static_cast<std::uint32_t>(s.size() * 2);
    b.text("RIFF").u32le(36 + bytes).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(rate).u32le(rate * 2);
    b.u16le(2).u16le(16).text("data").u32le(bytes);
    for (auto v : s) b.i16le(v);
    test::write_file(path, b.data);
    return path;
}

std::vector<std::int16_t> open_samples(const std::string& path) {
    test::DocFixture f;
    if (!open_document(*f.doc, path)) return {};
    return test::audio_samples(*f.doc);
}

class RecordThroughVirtualMic : public ::testing::TestWithParam<int> {};

// Three seconds spoken into the virtual microphone become the document's
// audio channel sample for sample, in whole blocks.
TEST_P(RecordThroughVirtualMic, DocumentTakesWholeBlocks) {
    const int rate = GetParam();
    const int block = (rate / 10000) * 4096;
    test::ScratchDir dir;
    const auto src = speechlike(3 * rate, rate);
    const std::string mic = mono_wav(dir.file("mic.wav"), src, rate);
    const std::string out = dir.file("rec.vxl");
    const auto r = run("record '" + out + "' --seconds 3.1 --rate " + std::to_string(rate) + " --audio=virtual:" + mic +
                       ",speed=20");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto got = open_samples(out);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.size() % static_cast<std::size_t>(block), 0u);
    const std::size_t whole = src.size() / static_cast<std::size_t>(block) * static_cast<std::size_t>(block);
    ASSERT_GE(got.size(), whole);
    EXPECT_TRUE(std::equal(src.begin(), src.begin() + static_cast<long>(whole), got.begin()));
    // What follows the spoken file is the microphone's silence.
    for (std::size_t i = src.size(); i < got.size(); ++i) ASSERT_EQ(got[i], 0) << i;
}
INSTANTIATE_TEST_SUITE_P(Rates, RecordThroughVirtualMic, ::testing::Values(11025, 22050));

struct PlayCase {
    double from_ms, to_ms;
    int block;  // 0: one buffer
};
class PlayThroughVirtualOut : public ::testing::TestWithParam<PlayCase> {};

TEST_P(PlayThroughVirtualOut, PlaysExactlyTheStretch) {
    const auto p = GetParam();
    const int rate = 11025;
    test::ScratchDir dir;
    const auto src = speechlike(4 * rate, rate);
    const std::string in = mono_wav(dir.file("in.wav"), src, rate);
    const std::string played = dir.file("played.wav");
    char range[96];
    std::snprintf(range, sizeof range, " --from %.3f --to %.3f", p.from_ms, p.to_ms);
    const auto r = run("play '" + in + "'" + range + " --audio=virtual:" + played + ",speed=20");
    ASSERT_EQ(r.rc, 0) << r.out;
    const auto first = static_cast<std::size_t>(p.from_ms * rate / 1000.0);
    const auto last = static_cast<std::size_t>(p.to_ms * rate / 1000.0);
    const auto got = open_samples(played);
    std::vector<std::int16_t> expect(src.begin() + static_cast<long>(first), src.begin() + static_cast<long>(last));
    if (p.block) expect.resize((expect.size() / p.block + 1) * p.block, 0);
    EXPECT_EQ(got, expect);
}
INSTANTIATE_TEST_SUITE_P(Stretches, PlayThroughVirtualOut,
                         ::testing::Values(PlayCase{100.0, 2000.0, 0}, PlayCase{0.0, 4000.0, 2048},
                                           PlayCase{250.5, 3500.25, 2048}));

TEST(SoundCli, WithoutDevicesNothingIsRecordedOrPlayed) {
    test::ScratchDir dir;
    const auto rec = run("record '" + dir.file("r.vxl") + "' --seconds 0.2 --audio=none");
    EXPECT_EQ(rec.rc, 1);
    EXPECT_NE(rec.out.find("No Sound Device"), std::string::npos) << rec.out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("r.vxl")));
    const std::string in = mono_wav(dir.file("in.wav"), speechlike(1000, 11025), 11025);
    const auto play = run("play '" + in + "' --audio=none");
    EXPECT_EQ(play.rc, 0);
    EXPECT_NE(play.out.find("No Sound Output Device"), std::string::npos) << play.out;
}

TEST(SoundCli, RefusesBadRequests) {
    test::ScratchDir dir;
    const auto low = run("record '" + dir.file("r.vxl") + "' --seconds 1 --rate 8000 --audio=virtual");
    EXPECT_EQ(low.rc, 1);
    EXPECT_NE(low.out.find("Recording needs a sample rate of at least 10000 Hz."), std::string::npos) << low.out;
    EXPECT_EQ(run("record '" + dir.file("r.vxl") + "' --audio=virtual").rc, 2);
    EXPECT_EQ(run("record '" + dir.file("r.vxl") + "' --seconds 1 --audio=loud").rc, 2);
    const std::string in = mono_wav(dir.file("in.wav"), speechlike(11025, 11025), 11025);
    EXPECT_EQ(run("play '" + in + "' --from 900 --to 200 --audio=virtual").rc, 2);
    EXPECT_EQ(run("play '" + in + "' --to 5000 --audio=virtual").rc, 2);
}

}  // namespace
}  // namespace vox
