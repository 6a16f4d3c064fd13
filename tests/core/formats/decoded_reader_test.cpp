// The last reader of the open chain, over a scripted decoder: which files it
// takes, the channel question, memory or the raw file by what is decoded
// (not by what the header announces), and files that end early or break.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/formats/decoded_reader.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_decoder.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::DocFixture;

// Bytes no reader of the program knows: without a decoder they reach the
// generic-file question.
const std::vector<unsigned char> kUnknownBytes(300, 0xA5);

struct DecodedFixture : DocFixture {
    DecodedFixture() {
        services.decoder = &decoder;
        fresh();
        path = dir.file("sound.xyz");
        test::write_file(path, kUnknownBytes);
    }
    // Opens `path` with a long-file limit of `long_seconds` (none when 0).
    bool open(double long_seconds = 0.0) {
        OptionBlock opts;
        if (long_seconds > 0.0) opts.long_file_minutes = long_seconds / 60.0;
        doc = std::make_unique<CMarbeckDoc>(services, opts);
        return open_document(*doc, path);
    }
    std::vector<std::int16_t> expected(std::uint64_t frames, int channel) const {
        std::vector<std::int16_t> s(frames);
        for (std::uint64_t f = 0; f < frames; ++f) s[f] = ScriptedDecoder::sample(f, channel);
        return s;
    }
    // Raw sample files the document left in the scratch folder.
    int temp_files() const {
        int n = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (e.path().filename().string().find("TempFile") != std::string::npos) ++n;
        return n;
    }
    ScriptedDecoder decoder;
    std::string path;
};

TEST(DecodedReader, WithoutADecoderTheGenericQuestionFollowsAsBefore) {
    DocFixture f;
    const std::string path = f.dir.file("sound.xyz");
    test::write_file(path, kUnknownBytes);
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(open_document(*f.doc, path));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 1);
}

TEST(DecodedReader, AFileTheDecoderDoesNotKnowGoesOnToTheGenericQuestion) {
    DecodedFixture f;
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.decoder.opened, (std::vector<std::string>{f.path}));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 1);
    EXPECT_TRUE(f.prompts.messages().empty());
}

TEST(DecodedReader, TheProgramsOwnReadersComeFirst) {
    DecodedFixture f;
    f.decoder.any_file = ScriptedAudio{16000.0, 1, 100, 100};
    test::Bytes wav;
    wav.text("RIFF").u32le(36 + 4).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000);
    wav.u16le(2).u16le(16).text("data").u32le(4).i16le(7).i16le(-7);
    const std::string path = f.dir.file("plain.wav");
    test::write_file(path, wav.data);
    ASSERT_TRUE(open_document(*f.doc, path));
    EXPECT_EQ(f.doc->format_name(), "WAV");
    EXPECT_TRUE(f.decoder.opened.empty());
}

TEST(DecodedReader, AMonoFileIsReadWithTheDecodersFormatName) {
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{22050.0, 1, 30000, 30000, false, "FLAC (Free Lossless Audio Codec)"};
    ASSERT_TRUE(f.open());
    const CMarbeckDoc& doc = *f.doc;
    EXPECT_EQ(doc.format_name(), "FLAC (Free Lossless Audio Codec)");
    EXPECT_EQ(doc.channels[0].sample_rate, 22050.0);
    EXPECT_EQ(doc.channels[0].sample_count, 30000.0);
    EXPECT_NEAR(doc.channels[0].duration_ms, 30000.0 * 1000.0 / 22050.0, 1e-9);
    EXPECT_EQ(doc.foreign_format, 1);
    EXPECT_EQ(doc.loaded, 1);
    EXPECT_EQ(doc.has_channel_title, 0);
    EXPECT_TRUE(doc.channels[0].has_samples());
    EXPECT_EQ(test::audio_samples(doc), f.expected(30000, 0));
    EXPECT_TRUE(f.prompts.messages().empty());
}

// Each channel of a multichannel file can be chosen, including the last of
// twelve.
class DecodedChannels : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(DecodedChannels, TheChosenChannelIsRead) {
    const auto [channels, pick] = GetParam();
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{8000.0, channels, 20000, 20000};
    f.prompts.channel_choices.push_back(pick);
    ASSERT_TRUE(f.open());
    ASSERT_EQ(f.prompts.channel_requests.size(), 1u);
    EXPECT_EQ(f.prompts.channel_requests[0], (std::pair<int, int>{channels, 0}));
    EXPECT_EQ(test::audio_samples(*f.doc), f.expected(20000, pick));
    EXPECT_EQ(f.doc->channel_title, "sound.xyz::Channel " + std::to_string(pick + 1));
    EXPECT_EQ(f.doc->has_channel_title, 1);
    EXPECT_EQ(f.doc->channel_count, 1);
}

INSTANTIATE_TEST_SUITE_P(Picks, DecodedChannels,
                         ::testing::Values(std::pair{2, 0}, std::pair{2, 1}, std::pair{6, 4}, std::pair{12, 11}));

TEST(DecodedReader, ACancelledChannelChoiceEndsTheOpenWithoutTheGenericQuestion) {
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{8000.0, 2, 100, 100};
    f.prompts.channel_choices.push_back(std::nullopt);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
    EXPECT_EQ(f.doc->loaded, 0);
}

// Where the samples go follows what is decoded: the header's count only
// chooses where to start.
struct LengthCase {
    const char* label;
    std::uint64_t announced, delivered;
    double long_seconds;  // the long-file limit (0: none)
    bool on_disk;
    bool short_message;
};
std::ostream& operator<<(std::ostream& os, const LengthCase& c) { return os << c.label; }

class DecodedLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(DecodedLength, SamplesAreAllReadWhereverTheyGo) {
    const LengthCase& c = GetParam();
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{8000.0, 2, c.announced, c.delivered};
    f.prompts.channel_choices.push_back(1);
    ASSERT_TRUE(f.open(c.long_seconds));
    EXPECT_EQ(f.doc->channels[0].sample_count, static_cast<double>(c.delivered));
    EXPECT_EQ(!f.doc->channels[0].has_samples(), c.on_disk);
    EXPECT_EQ(test::audio_samples(*f.doc), f.expected(c.delivered, 1));
    const auto messages = f.prompts.messages();
    if (c.short_message) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("is shorter than its header says"), std::string::npos) << messages[0];
    } else {
        EXPECT_TRUE(messages.empty());
    }
    if (c.on_disk) {
        EXPECT_EQ(f.progress.opened, 1);
        EXPECT_EQ(f.progress.closed, 1);
        EXPECT_EQ(f.progress.captions.at(0), doc_text::kReadingCaption);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodedLength,
    ::testing::Values(LengthCase{"as_announced_in_memory", 24000, 24000, 0, false, false},
                      LengthCase{"as_announced_on_disk", 40000, 40000, 2, true, false},
                      LengthCase{"unannounced_grows_in_memory", 0, 50000, 0, false, false},
                      LengthCase{"unannounced_moves_to_disk", 0, 50001, 2, true, false},
                      LengthCase{"understated_moves_to_disk", 4000, 100000, 1, true, false},
                      LengthCase{"overstated_in_memory", 1000000, 5000, 0, false, true},
                      LengthCase{"overstated_on_disk", 1000000, 5000, 2, true, true}),
    [](const auto& info) { return std::string(info.param.label); });

// Decoding a long file shows the progress window, into memory (from a
// minute of sound) as into the raw file; a cancel opens nothing and leaves
// no file behind.
TEST(DecodedReader, ACancelledLongReadLeavesNothingBehind) {
    for (const double long_seconds : {1.0, 0.0}) {
        DecodedFixture f;
        f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 8000 * 61, 8000 * 61};
        f.progress.cancel_at_step = 3;
        EXPECT_FALSE(f.open(long_seconds));
        EXPECT_EQ(f.progress.steps, 3);
        EXPECT_EQ(f.progress.closed, 1);
        EXPECT_EQ(f.doc->loaded, 0);
        EXPECT_EQ(f.temp_files(), 0);
        EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::OpenFailure), 0);
        EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
    }
}

TEST(DecodedReader, AShortFileInMemoryShowsNoProgressWindow) {
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 8000 * 59, 8000 * 59};
    ASSERT_TRUE(f.open());
    EXPECT_EQ(f.progress.opened, 0);
}

TEST(DecodedReader, AFileDamagedPartOfTheWayKeepsWhatWasDecodedAndSaysSo) {
    for (const double long_seconds : {0.0, 1.0}) {
        DecodedFixture f;
        f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 80000, 12000, true};
        ASSERT_TRUE(f.open(long_seconds));
        EXPECT_EQ(test::audio_samples(*f.doc), f.expected(12000, 0));
        EXPECT_EQ(f.prompts.messages(),
                  (std::vector<std::string>{"The file 'sound.xyz' is damaged: only its first 1500 ms (12000 samples) "
                                            "could be decoded."}));
        EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::Beep), 1);
    }
}

TEST(DecodedReader, AFileThatDecodesToNothingIsRefusedWithoutTheGenericQuestion) {
    for (const double long_seconds : {0.0, 1.0}) {
        DecodedFixture f;
        f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 80000, 0, true, "FLAC"};
        EXPECT_FALSE(f.open(long_seconds));
        EXPECT_EQ(f.prompts.messages(),
                  (std::vector<std::string>{"The file 'sound.xyz' cannot be read: it could not be decoded as FLAC."}));
        EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
        EXPECT_EQ(f.temp_files(), 0);
    }
}

// An empty file: refused with its own message, or, when one of the
// program's readers knew the file and declined it, left to that reader's
// reason and the generic question as without a decoder.
TEST(DecodedReader, AnEmptyFileIsRefused) {
    DecodedFixture f;
    f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 0, 0, false, "CAF"};
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.prompts.messages(),
              (std::vector<std::string>{"The file 'sound.xyz' cannot be read: it holds no samples (CAF)."}));
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
}

TEST(DecodedReader, AnEmptyFileAnotherReaderDeclinedKeepsThatReadersReason) {
    DecodedFixture f;
    test::Bytes twelve_bit;  // WAV of 12-bit samples, no data: the WAV reader says why it declines
    twelve_bit.text("RIFF").u32le(36).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000);
    twelve_bit.u32le(16000).u16le(2).u16le(12).text("data").u32le(0);
    test::write_file(f.path, twelve_bit.data);
    f.decoder.files[f.path] = ScriptedAudio{8000.0, 1, 0, 0, false, "WAV"};
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(f.open());
    ASSERT_EQ(f.prompts.messages().size(), 1u);
    EXPECT_NE(f.prompts.messages()[0].find("12-bit PCM samples"), std::string::npos) << f.prompts.messages()[0];
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 1);
}

TEST(DecodedReader, UnusableRatesAreRefused) {
    for (const double rate : {0.5, 2e6}) {
        DecodedFixture f;
        f.decoder.files[f.path] = ScriptedAudio{rate, 1, 100, 100};
        EXPECT_FALSE(f.open()) << rate;
        ASSERT_EQ(f.prompts.messages().size(), 1u);
        EXPECT_NE(f.prompts.messages()[0].find("cannot be read"), std::string::npos);
    }
}

}  // namespace
}  // namespace vox
