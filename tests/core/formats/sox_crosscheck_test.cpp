// Files written by sox, read through the open chain and compared sample by
// sample with sox's own 16-bit decode of the same file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/formats/open_document.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::DocFixture;

struct SoxCase {
    const char* label;
    const char* sox_out;  // sox output options before the file name
    const char* ext;
    const char* format;   // name of the reader that must accept it
    int channels;         // of the generated source
    int pick;             // channel chosen when there are several (zero-based)
};

std::ostream& operator<<(std::ostream& os, const SoxCase& c) { return os << c.label; }

class SoxCrossCheck : public ::testing::TestWithParam<SoxCase> {};

TEST_P(SoxCrossCheck, SamplesMatchSoxDecode) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    const SoxCase& c = GetParam();
    DocFixture fx;
    const std::string src = fx.dir.file("src.wav");
    const std::string file = fx.dir.file(std::string("f.") + c.ext);
    // Two different tones per channel so that a wrong channel is caught.
    const std::string synth = c.channels == 1 ? "synth 0.3 sine 440 gain -2"
                                              : "synth 0.3 sine 440 sine 1250 gain -2";
    ASSERT_TRUE(test::run_command("sox -D -n -r 16000 -b 16 -c " + std::to_string(c.channels) + " '" + src + "' " +
                                  synth));
    ASSERT_TRUE(test::run_command("sox -D '" + src + "' " + c.sox_out + " '" + file + "'"));
    const auto want = test::sox_decode_channel(fx.dir, file, c.pick);
    ASSERT_GT(want.size(), 1000u);

    if (c.channels > 1) fx.prompts.channel_choices.push_back(c.pick);
    CMarbeckDoc& doc = *fx.doc;
    ASSERT_TRUE(open_document(doc, file)) << c.label;
    EXPECT_EQ(doc.format_name(), c.format);
    const CChannels& ch = doc.channels[0];
    EXPECT_DOUBLE_EQ(ch.sample_rate, 16000.0);
    EXPECT_EQ(ch.sample_count, static_cast<double>(want.size()));
    EXPECT_DOUBLE_EQ(ch.bandwidth_hz, 8000.0);
    EXPECT_EQ(ch.units, "bits");
    EXPECT_EQ(ch.channel_type, 1);
    EXPECT_EQ(doc.foreign_format, 1);
    const auto got = test::audio_samples(doc);
    ASSERT_EQ(got.size(), want.size());
    std::size_t diffs = 0;
    for (std::size_t i = 0; i < got.size(); ++i) diffs += got[i] != want[i];
    EXPECT_EQ(diffs, 0u) << "first sample " << got[0] << " vs " << want[0];
    if (c.channels > 1) {
        EXPECT_EQ(doc.has_channel_title, 1);
        EXPECT_EQ(doc.channel_title, std::string("f.") + c.ext + "::Channel " + std::to_string(c.pick + 1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, SoxCrossCheck,
    ::testing::Values(SoxCase{"aiff16", "-t aiff -b 16", "aiff", "AIFF", 1, 0},
                      SoxCase{"aiff8", "-t aiff -b 8", "aiff", "AIFF", 1, 0},
                      SoxCase{"aiff16_stereo_right", "-t aiff -b 16", "aiff", "AIFF", 2, 1},
                      SoxCase{"aifc_none", "-t aifc -b 16", "aifc", "AIFF", 1, 0},
                      SoxCase{"au16", "-t au -e signed -b 16", "au", "SUN au", 1, 0},
                      SoxCase{"au8", "-t au -e signed -b 8", "au", "SUN au", 1, 0},
                      SoxCase{"au_ulaw", "-t au -e u-law", "au", "SUN au", 1, 0},
                      SoxCase{"sph16_le", "-t sph -e signed -b 16 -L", "sph", "NIST SPHERE", 1, 0},
                      SoxCase{"sph16_be", "-t sph -e signed -b 16 -B", "sph", "NIST SPHERE", 1, 0},
                      SoxCase{"sph_ulaw", "-t sph -e u-law", "sph", "NIST SPHERE", 1, 0},
                      SoxCase{"sph16_stereo_left", "-t sph -e signed -b 16", "sph", "NIST SPHERE", 2, 0},
                      SoxCase{"sph16_stereo_right", "-t sph -e signed -b 16", "sph", "NIST SPHERE", 2, 1},
                      SoxCase{"wav_ulaw", "-t wav -e u-law", "wav", "WAV", 1, 0}),
    [](const auto& info) { return std::string(info.param.label); });

// The long-file path: a recording at least as long as the limit goes to the
// raw file, and its samples are the same as those read into memory.
TEST(SoxCrossCheckLong, AiffAndSphereThroughTheRawFile) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    for (const char* out : {"-t aiff -b 16", "-t sph -e signed -b 16 -B"}) {
        DocFixture fx;
        const std::string src = fx.dir.file("src.wav");
        const std::string file = fx.dir.file("f.snd");
        ASSERT_TRUE(test::run_command("sox -D -n -r 8000 -b 16 -c 1 '" + src + "' synth 2.5 sine 300 gain -2"));
        ASSERT_TRUE(test::run_command("sox -D '" + src + "' " + std::string(out) + " '" + file + "'"));
        ASSERT_TRUE(open_document(*fx.doc, file));
        const auto in_memory = test::audio_samples(*fx.doc);
        OptionBlock opts;
        opts.long_file_minutes = 1.0 / 60.0;  // one second
        CMarbeckDoc doc(fx.services, opts);
        ASSERT_TRUE(open_document(doc, file)) << out;
        EXPECT_FALSE(doc.channels[0].has_samples());
        EXPECT_TRUE(doc.samples_on_disk());
        EXPECT_EQ(test::audio_samples(doc), in_memory);
        EXPECT_EQ(in_memory.size(), 20000u);
        EXPECT_GE(fx.progress.steps, 3);  // one step per second of sound
    }
}

}  // namespace
}  // namespace vox
