// Compressed and container files written by sox, opened through the whole
// open chain with the libsndfile decoder handed to the document: the chosen
// channel's samples as sox decodes that channel, the long-file path, and
// truncated or damaged files refused or cut with a message, never a crash.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/formats/open_document.h"
#include "platform/sndfile_decoder.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

struct DecodedCase {
    const char* label;
    const char* sox_out;  // sox output options before the file name
    const char* ext;
    const char* format;   // start of the format name the decoder gives
    int pick;             // channel chosen (zero-based) of the stereo source
    int tolerance;        // largest difference from sox's decode, in steps
};
std::ostream& operator<<(std::ostream& os, const DecodedCase& c) { return os << c.label; }

struct SoxFixture : test::DocFixture {
    SoxFixture() {
        services.decoder = &decoder;
        fresh();
    }
    // Speech-like test sound: a tone per channel plus quiet noise, so that a
    // wrong channel shows and the codecs have something to code.
    std::string make_source(double seconds, int bits = 16) {
        const std::string src = dir.file("src.wav");
        EXPECT_TRUE(test::run_command("sox -D -R -n -r 16000 -b " + std::to_string(bits) + " -c 2 '" + src +
                                      "' synth " + std::to_string(seconds) +
                                      " sine 440 sine 1250 synth whitenoise amod 0.05 gain -3"));
        return src;
    }
    // sox's own 16-bit decode of one channel.
    std::vector<std::int16_t> sox_channel(const std::string& file, int pick) {
        auto samples = test::sox_decode_channel(dir, file, pick);
        EXPECT_FALSE(samples.empty()) << "sox could not decode " << file;
        return samples;
    }
    SndfileDecoder decoder;
};

class DecodedOpen : public ::testing::TestWithParam<DecodedCase> {};

TEST_P(DecodedOpen, TheChosenChannelIsAsSoxDecodesIt) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    const DecodedCase& c = GetParam();
    SoxFixture fx;
    const std::string src = fx.make_source(0.7);
    const std::string file = fx.dir.file(std::string("f.") + c.ext);
    ASSERT_TRUE(test::run_command("sox -D '" + src + "' " + c.sox_out + " '" + file + "'"));
    const auto want = fx.sox_channel(file, c.pick);
    ASSERT_GT(want.size(), 10000u);

    fx.prompts.channel_choices.push_back(c.pick);
    CMarbeckDoc& doc = *fx.doc;
    ASSERT_TRUE(open_document(doc, file)) << c.label;
    EXPECT_EQ(doc.format_name().rfind(c.format, 0), 0u) << doc.format_name();
    EXPECT_EQ(fx.prompts.channel_requests.at(0).first, 2);
    EXPECT_EQ(doc.channel_title, std::string("f.") + c.ext + "::Channel " + std::to_string(c.pick + 1));
    EXPECT_EQ(doc.channels[0].sample_rate, 16000.0);
    EXPECT_EQ(doc.foreign_format, 1);
    const auto got = test::audio_samples(doc);
    ASSERT_EQ(got.size(), want.size());
    int worst = 0;
    for (std::size_t i = 0; i < got.size(); ++i) worst = std::max(worst, std::abs(got[i] - want[i]));
    EXPECT_LE(worst, c.tolerance);
    EXPECT_TRUE(fx.prompts.messages().empty());
}

// FLAC and the lossless containers exactly; Vorbis within one step, as the
// two decoders may round a real sample apart (on the machines tried they
// agree exactly).
INSTANTIATE_TEST_SUITE_P(
    Formats, DecodedOpen,
    ::testing::Values(DecodedCase{"flac_left", "-t flac", "flac", "FLAC", 0, 0},
                      DecodedCase{"flac_right", "-t flac", "flac", "FLAC", 1, 0},
                      DecodedCase{"flac24", "-t flac -b 24", "flac", "FLAC", 1, 0},
                      DecodedCase{"vorbis_left", "-t ogg", "ogg", "OGG", 0, 1},
                      DecodedCase{"vorbis_right", "-t ogg -C 3", "ogg", "OGG", 1, 1},
                      DecodedCase{"w64", "-t w64", "w64", "W64", 1, 0},
                      DecodedCase{"caf", "-t caf", "caf", "CAF", 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

// A long FLAC goes to the raw sample file block by block and reads back the
// same as sox's decode.
TEST(DecodedOpenLong, AFlacPastTheLongFileLimitStreamsToTheRawFile) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    SoxFixture fx;
    const std::string src = fx.make_source(3.2);
    const std::string file = fx.dir.file("long.flac");
    ASSERT_TRUE(test::run_command("sox -D '" + src + "' '" + file + "'"));
    OptionBlock opts;
    opts.long_file_minutes = 1.0 / 60.0;  // one second
    CMarbeckDoc doc(fx.services, opts);
    fx.prompts.channel_choices.push_back(1);
    ASSERT_TRUE(open_document(doc, file));
    EXPECT_FALSE(doc.channels[0].has_samples());
    EXPECT_EQ(test::audio_samples(doc), fx.sox_channel(file, 1));
    EXPECT_GE(fx.progress.steps, 4);  // one step per second of sound
}

// MP3 decoders differ in the padding they keep at the end: the samples both
// give agree within one step, and the lengths within one MP3 frame.
TEST(DecodedOpenMp3, SamplesAgreeWithSoxOverTheirCommonLength) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    SoxFixture fx;
    const std::string src = fx.make_source(0.7);
    const std::string file = fx.dir.file("f.mp3");
    if (!test::run_command("sox -D '" + src + "' '" + file + "'")) GTEST_SKIP() << "this sox writes no MP3";
    const auto want = fx.sox_channel(file, 0);
    fx.prompts.channel_choices.push_back(0);
    ASSERT_TRUE(open_document(*fx.doc, file));
    EXPECT_NE(fx.doc->format_name().find("MPEG"), std::string::npos) << fx.doc->format_name();
    const auto got = test::audio_samples(*fx.doc);
    EXPECT_LE(std::max(got.size(), want.size()) - std::min(got.size(), want.size()), 1152u);
    int worst = 0;
    for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i)
        worst = std::max(worst, std::abs(got[i] - want[i]));
    EXPECT_LE(worst, 1);
}

// RF64 (the 64-bit WAV of recorders that pass 4 GiB), built field by field:
// its sizes sit in the "ds64" chunk, the RIFF and data sizes are all ones.
// With the decoder present the program's WAV reader still takes it.
TEST(DecodedOpenRf64, TheChosenChannelHoldsTheSamplesWritten) {
    SoxFixture fx;
    constexpr std::uint32_t kFrames = 3000;
    std::vector<std::int16_t> left(kFrames), right(kFrames);
    test::Bytes data;
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        left[i] = static_cast<std::int16_t>((i * 37) % 30000 - 15000);
        right[i] = static_cast<std::int16_t>(12000 - (i * 11) % 24000);
        data.i16le(left[i]).i16le(right[i]);
    }
    const std::uint64_t data_bytes = data.size();
    test::Bytes b;
    b.text("RF64").u32le(0xFFFFFFFF).text("WAVE");
    b.text("ds64").u32le(28);
    b.u32le(static_cast<std::uint32_t>(4 + 36 + 24 + 8 + data_bytes)).u32le(0);  // RIFF size, 64 bits
    b.u32le(static_cast<std::uint32_t>(data_bytes)).u32le(0);                   // data size, 64 bits
    b.u32le(kFrames).u32le(0);                                                  // frames, 64 bits
    b.u32le(0);                                                                 // no size table
    b.text("fmt ").u32le(16).u16le(1).u16le(2).u32le(11025).u32le(11025 * 4).u16le(4).u16le(16);
    b.text("data").u32le(0xFFFFFFFF).append(data.data);
    const std::string path = fx.dir.file("take.wav");
    test::write_file(path, b.data);
    for (const int pick : {0, 1}) {
        fx.prompts.channel_choices.push_back(pick);
        CMarbeckDoc& doc = fx.fresh();
        ASSERT_TRUE(open_document(doc, path));
        EXPECT_EQ(doc.format_name(), "WAV");  // the program's own reader knows RF64 and comes first
        EXPECT_EQ(doc.channels[0].sample_rate, 11025.0);
        EXPECT_EQ(test::audio_samples(doc), pick == 0 ? left : right);
    }
    EXPECT_TRUE(fx.prompts.messages().empty());
}

// Ogg Opus (sox here neither writes nor reads it): a committed file of one
// second of a 300 Hz sine at half of full scale, written by the library's
// encoder. Decoded, it is that sine again to a lossy codec's accuracy.
TEST(DecodedOpenOpus, ATonesFileDecodesToTheTone) {
    SoxFixture fx;
    const std::string path = std::string(VOXTREL_SOURCE_DIR) + "/tests/data/decoded/tone_300hz.opus";
    ASSERT_TRUE(open_document(*fx.doc, path));
    EXPECT_NE(fx.doc->format_name().find("Opus"), std::string::npos) << fx.doc->format_name();
    EXPECT_EQ(fx.doc->channels[0].sample_rate, 16000.0);
    const auto got = test::audio_samples(*fx.doc);
    ASSERT_EQ(got.size(), 16000u);
    // Away from the codec's onset and end (30 ms each), the error is more
    // than 30 dB below the tone (36.6 dB measured).
    double signal = 0.0, error = 0.0;
    for (std::size_t i = 480; i < got.size() - 480; ++i) {
        const double want = 16384.0 * std::sin(2.0 * M_PI * 300.0 * static_cast<double>(i) / 16000.0);
        signal += want * want;
        error += (got[i] - want) * (got[i] - want);
    }
    EXPECT_GT(10.0 * std::log10(signal / error), 30.0);
}

// Text and headerless samples stay with the generic-file question.
TEST(DecodedOpenGeneric, FilesTheDecoderDoesNotKnowReachTheGenericQuestion) {
    SoxFixture fx;
    const std::string text = fx.dir.file("numbers.txt");
    std::string numbers;
    for (int i = 0; i < 200; ++i) numbers += std::to_string((i * 37) % 2000 - 1000) + "\n";
    test::write_file(text, std::vector<unsigned char>(numbers.begin(), numbers.end()));
    const std::string raw = fx.dir.file("samples.raw");
    std::vector<unsigned char> bytes(4000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 13);
    test::write_file(raw, bytes);
    for (const auto& path : {text, raw}) {
        fx.prompts.generic_answers.push_back(std::nullopt);
        EXPECT_FALSE(open_document(fx.fresh(), path)) << path;
    }
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::GenericFile), 2);
}

// A FLAC cut short or with a damaged stretch: a message says what happened;
// what could be decoded is kept, or the open fails when nothing could.
TEST(DecodedOpenDamaged, TruncatedAndDamagedFlacGiveAMessageAndNoCrash) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    SoxFixture fx;
    const std::string src = fx.make_source(2.0);
    const std::string good = fx.dir.file("good.flac");
    ASSERT_TRUE(test::run_command("sox -D '" + src + "' '" + good + "'"));
    const auto whole = test::read_file(good);
    const auto reference = fx.sox_channel(good, 0);
    ASSERT_GT(whole.size(), 20000u);

    std::vector<std::vector<unsigned char>> damaged;
    for (const std::size_t cut : {std::size_t{60}, std::size_t{2000}, whole.size() / 3, whole.size() - 5})
        damaged.emplace_back(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    auto flipped = whole;
    for (std::size_t i = whole.size() / 2; i < whole.size() / 2 + 400; ++i) flipped[i] ^= 0x5A;
    damaged.push_back(flipped);

    int index = 0;
    for (const auto& bytes : damaged) {
        const std::string path = fx.dir.file("damaged" + std::to_string(index++) + ".flac");
        test::write_file(path, bytes);
        fx.prompts.events.clear();
        fx.prompts.channel_choices.push_back(0);
        fx.prompts.generic_answers.push_back(std::nullopt);
        CMarbeckDoc& doc = fx.fresh();
        const bool read = open_document(doc, path);
        const auto messages = fx.prompts.messages();
        if (read) {
            // Part of the file: what is kept matches the good file's start,
            // and the person is told it is not all.
            ASSERT_EQ(messages.size(), 1u) << path;
            EXPECT_TRUE(messages[0].find("is damaged: only its first") != std::string::npos ||
                        messages[0].find("is shorter than its header says") != std::string::npos)
                << messages[0];
            const auto got = test::audio_samples(doc);
            ASSERT_LT(got.size(), reference.size()) << path;
            ASSERT_GT(got.size(), 0u);
            const std::size_t first_frame = std::min<std::size_t>(got.size(), 4096);
            EXPECT_TRUE(std::equal(got.begin(), got.begin() + first_frame, reference.begin())) << path;
        } else {
            EXPECT_EQ(doc.loaded, 0);
            const bool said = !messages.empty() || fx.prompts.count(ScriptedPrompts::Event::GenericFile) > 0;
            EXPECT_TRUE(said) << path;
        }
    }
}

}  // namespace
}  // namespace vox
