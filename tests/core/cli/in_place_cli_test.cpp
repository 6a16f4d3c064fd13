// voxtrel-cli's read-only commands read a long 16-bit WAV in place: every
// analysis prints exactly what it prints for the same file held in memory,
// and the recording is left byte for byte as it was.

#include <gtest/gtest.h>

#include <cstdlib>
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

struct Recording {
    const char* name;
    int channels;
    const char* channel_option;  // empty for mono
    std::size_t cut_bytes;       // taken off the end: the data size then exceeds the file
};

class InPlaceCli : public ::testing::TestWithParam<Recording> {
protected:
    void SetUp() override {
        if (cli().empty()) GTEST_SKIP() << "VOXTREL_CLI not set";
        const Recording r = GetParam();
        const double fs = 16000;
        const auto x = test::synth_voice(fs, 1.2, [](double t) { return t < 0.3 ? 0.0 : 110.0 + 60.0 * t; },
                                         {{650, 80}, {1700, 100}, {2600, 150}}, 15000);
        const auto ch = static_cast<std::uint32_t>(r.channels);
        const auto data = static_cast<std::uint32_t>(2 * ch * x.size());
        test::Bytes b;
        b.text("RIFF").u32le(36 + data).text("WAVE");
        b.text("fmt ").u32le(16).u16le(1).u16le(ch).u32le(16000).u32le(32000 * ch).u16le(2 * ch).u16le(16);
        b.text("data").u32le(data);
        // The other channel is a quieter, inverted copy: a wrong channel or
        // stride changes every result.
        for (auto s : x) {
            if (r.channels == 2) b.i16le(-s / 3);
            b.i16le(s);
        }
        b.data.resize(b.data.size() - r.cut_bytes);
        bytes = b.data;
        wav = dir.file("take.wav");
        test::write_file(wav, bytes);
    }
    // Standard output of a run, which must succeed.
    std::string run(const std::string& args) {
        const auto r = test::run_shell(cli() + " " + args + " 2>/dev/null");
        EXPECT_EQ(r.rc, 0) << args;
        return r.out;
    }
    test::ScratchDir dir;
    std::string wav;
    std::vector<unsigned char> bytes;
};

TEST_P(InPlaceCli, AnalysesPrintTheSameAsFromMemoryAndTheFileStays) {
    const std::string channel = GetParam().channel_option;
    for (const char* command : {"pitch --method cepstral", "pitch --method amdf", "intensity", "formants --width 150",
                                "fftlpc --at 700 --width 64"}) {
        const std::string args = std::string(command) + " " + wav + " " + channel;
        const std::string from_memory = run(args + " --long-file-minutes 1000");
        const std::string in_place = run(args + " --long-file-minutes 0");
        EXPECT_GT(in_place.size(), 200u) << command;
        EXPECT_EQ(in_place, from_memory) << command;
        EXPECT_EQ(test::read_file(wav), bytes) << command << ": the recording is unchanged and still there";
    }
    const std::string info = run("info " + wav + " " + channel + " --long-file-minutes 0");
    EXPECT_NE(info.find("raw file on disk"), std::string::npos) << info;
    EXPECT_EQ(test::read_file(wav), bytes);
}

INSTANTIATE_TEST_SUITE_P(Cli, InPlaceCli,
                         ::testing::Values(Recording{"Mono", 1, "", 0}, Recording{"StereoSecond", 2, "--channel 2", 0},
                                           Recording{"StereoFirstCutShort", 2, "--channel 1", 4 * 1000 + 3}),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vox
