// The channel question of a multichannel file, asked through the whole open:
// a cancelled or impossible answer ends the open there, without asking again
// through a later reader, without the generic-file question and without a
// failure report.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/formats/open_document.h"
#include "core/platform/scripted_decoder.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::DocFixture;

// A stereo 16-bit WAV file of four frames at 8000 Hz.
void write_stereo_wav(const std::string& path) {
    test::Bytes b;
    b.text("RIFF").u32le(36 + 16).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(2).u32le(8000).u32le(32000).u16le(4).u16le(16);
    b.text("data").u32le(16);
    for (int f = 0; f < 4; ++f) b.i16le(100 + f).i16le(-100 - f);
    test::write_file(path, b.data);
}

struct QuestionCase {
    const char* label;
    const char* ext;
    const char* sox_out;           // null: the file is built here
    std::optional<int> answer;     // none: the person cancels
};

std::ostream& operator<<(std::ostream& os, const QuestionCase& c) { return os << c.label; }

class ChannelQuestion : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(ChannelQuestion, AnUnusableAnswerEndsTheOpenAndIsAskedOnce) {
    const QuestionCase& c = GetParam();
    DocFixture fx;
    // A decoder that would take any file: a reader that declined the file
    // after the question would hand it on to the decoder's own question.
    ScriptedDecoder decoder;
    decoder.any_file = ScriptedAudio{8000.0, 2, 4, 4};
    fx.services.decoder = &decoder;
    CMarbeckDoc& doc = fx.fresh();

    const std::string path = fx.dir.file(std::string("two.") + c.ext);
    if (c.sox_out == nullptr) {
        write_stereo_wav(path);
    } else {
        if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
        ASSERT_TRUE(test::run_command("sox -D -n -r 8000 -b 16 -c 2 " + std::string(c.sox_out) + " '" + path +
                                      "' synth 0.01 sine 440 sine 1250"));
    }
    fx.prompts.channel_choices.push_back(c.answer);
    fx.prompts.channel_choices.push_back(0);  // a second question would be answered

    EXPECT_FALSE(open_document(doc, path));
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::SelectChannel), 1);
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::OpenFailure), 0);
    EXPECT_TRUE(fx.prompts.messages().empty());
    EXPECT_TRUE(decoder.opened.empty());
    EXPECT_EQ(doc.loaded, 0);
    EXPECT_EQ(doc.channels[0].sample_count, 0.0);
    EXPECT_TRUE(doc.path().empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, ChannelQuestion,
                         ::testing::Values(QuestionCase{"wav_cancelled", "wav", nullptr, std::nullopt},
                                           QuestionCase{"wav_no_such_channel", "wav", nullptr, 2},
                                           QuestionCase{"aiff_cancelled", "aiff", "-t aiff", std::nullopt},
                                           QuestionCase{"nist_cancelled", "sph", "-t sph -e signed", std::nullopt},
                                           QuestionCase{"nist_no_such_channel", "sph", "-t sph -e signed", -1}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace vox
