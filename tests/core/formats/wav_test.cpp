#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/formats/open_document.h"
#include "core/formats/wav.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;

// The RIFF header and "fmt " chunk of a plain (non-extensible) file.
Bytes wave_header(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, std::uint32_t data_bytes,
                  unsigned block_align = 0) {
    if (block_align == 0) block_align = channels * bits / 8;
    Bytes b;
    b.text("RIFF").u32le(data_bytes + 36).text("WAVE");
    b.text("fmt ").u32le(16).u16le(tag).u16le(channels).u32le(rate).u32le(rate * block_align);
    b.u16le(block_align).u16le(bits);
    b.text("data").u32le(data_bytes);
    return b;
}

// An extensible "fmt " chunk of `fmt_size` bytes (40 when whole).
Bytes extensible_header(std::uint16_t sub_tag, unsigned channels, std::uint32_t rate, unsigned bits,
                        unsigned valid_bits, std::uint32_t data_bytes, unsigned fmt_size = 40) {
    const unsigned align = channels * bits / 8;
    Bytes fmt;
    fmt.u16le(0xFFFE).u16le(channels).u32le(rate).u32le(rate * align).u16le(align).u16le(bits);
    fmt.u16le(22).u16le(valid_bits).u32le(channels == 1 ? 4 : 3);
    fmt.u16le(sub_tag).u16le(0x0000).u16le(0x0000).u16le(0x0010).u8(0x80).u8(0x00).u8(0x00).u8(0xAA).u8(0x00).u8(0x38);
    fmt.u8(0x9B).u8(0x71);
    fmt.data.resize(fmt_size);
    Bytes b;
    b.text("RIFF").u32le(4 + 8 + fmt_size + 8 + data_bytes).text("WAVE");
    b.text("fmt ").u32le(fmt_size).append(fmt.data);
    b.text("data").u32le(data_bytes);
    return b;
}

std::vector<std::int16_t> open_samples(DocFixture& f, const std::vector<unsigned char>& bytes,
                                       const std::string& name = "t.wav") {
    const std::string path = f.dir.file(name);
    test::write_file(path, bytes);
    CMarbeckDoc& doc = f.fresh();
    if (!open_document(doc, path)) return {};
    EXPECT_EQ(doc.format_name(), "WAV");
    return test::audio_samples(doc);
}

TEST(Wave, EightBitSamplesAreCentredOn128) {
    DocFixture f;
    Bytes b = wave_header(1, 1, 8000, 8, 3);
    b.u8(128).u8(255).u8(0).u8(0);  // pad byte after the odd data chunk
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{0, 32512, -32768}));
}

TEST(Wave, MuLawExpandsByG711) {
    DocFixture f;
    Bytes b = wave_header(7, 1, 8000, 8, 4);
    b.u8(0xFF).u8(0x80).u8(0x00).u8(0x7F);
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{0, 32124, -32124, 0}));
}

TEST(Wave, TwentyFourBitTakesTheTopSixteenBitsTruncatedTowardZero) {
    DocFixture f;
    Bytes b = wave_header(1, 1, 8000, 24, 12);
    b.u8(0x00).u8(0x01).u8(0x00);  // 256 -> 1
    b.u8(0xFF).u8(0xFF).u8(0xFF);  // -1 -> 0 (toward zero, not -1)
    b.u8(0x00).u8(0xFF).u8(0xFF);  // -256 -> -1
    b.u8(0xFF).u8(0xFF).u8(0x7F);  // largest -> 32767
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{1, 0, -1, 32767}));
}

TEST(Wave, FloatsAreScaledTruncatedAndSaturated) {
    DocFixture f;
    Bytes b = wave_header(3, 1, 8000, 32, 28);
    b.f32le(0.5f).f32le(-0.00001f).f32le(1.0f).f32le(-1.0f).f32le(7.5f);
    b.f32le(std::numeric_limits<float>::quiet_NaN()).f32le(-0.25f);
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{16384, 0, 32767, -32768, 32767, 0, -8192}));
}

TEST(Wave, StereoFileKeepsTheChosenChannelAndNamesIt) {
    DocFixture f;
    Bytes b = wave_header(1, 2, 16000, 16, 12);
    b.i16le(1).i16le(-1).i16le(2).i16le(-2).i16le(3).i16le(-3);
    f.prompts.channel_choices.push_back(1);
    const std::string path = f.dir.file("two.wav");
    test::write_file(path, b.data);
    ASSERT_TRUE(open_document(*f.doc, path));
    EXPECT_EQ(test::audio_samples(*f.doc), (std::vector<std::int16_t>{-1, -2, -3}));
    EXPECT_EQ(f.doc->channels[0].sample_count, 3.0);
    EXPECT_EQ(f.doc->channels[0].sample_rate, 16000.0);
    EXPECT_EQ(f.doc->channel_title, "two.wav::Channel 2");
    EXPECT_EQ(f.doc->has_channel_title, 1);
    ASSERT_EQ(f.prompts.channel_requests.size(), 1u);
    EXPECT_EQ(f.prompts.channel_requests[0], (std::pair<int, int>{2, 0}));
}

TEST(Wave, EveryChannelOfAWideFileIsOffered) {
    DocFixture f;
    Bytes b = extensible_header(1, 16, 8000, 16, 16, 32 * 2);
    for (int frame = 0; frame < 2; ++frame)
        for (int c = 0; c < 16; ++c) b.i16le(100 * c + frame);
    f.prompts.channel_choices.push_back(13);
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{1300, 1301}));
    EXPECT_EQ(f.prompts.channel_requests.at(0).first, 16);
}

TEST(Wave, CancelledChannelChoiceEndsTheOpen) {
    DocFixture f;
    Bytes b = wave_header(1, 2, 8000, 16, 4);
    b.i16le(1).i16le(2);
    f.prompts.channel_choices.push_back(std::nullopt);
    f.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_TRUE(open_samples(f, b.data).empty());
    EXPECT_EQ(f.doc->loaded, 0);
    EXPECT_EQ(f.prompts.count(ScriptedPrompts::Event::GenericFile), 0);
}

TEST(Wave, DataSizeBeyondTheFileIsLimitedToTheFile) {
    DocFixture f;
    Bytes b = wave_header(1, 1, 8000, 16, 1000000);
    b.i16le(5).i16le(6).i16le(7);
    EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{5, 6, 7}));
}

// Writers pad odd-sized chunks; the walk takes the pad when a chunk id follows it.
TEST(Wave, OddSizedChunksBeforeTheDataAreWalkedEitherWay) {
    for (const bool padded : {true, false}) {
        DocFixture f;
        Bytes b;
        b.text("RIFF").u32le(0).text("WAVE");
        b.text("LIST").u32le(3).text("abc");
        if (padded) b.u8(0);
        b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000).u16le(2).u16le(16);
        b.text("data").u32le(4).i16le(-7).i16le(9);
        b.patch_u32le(4, static_cast<std::uint32_t>(b.size() - 8));
        EXPECT_EQ(open_samples(f, b.data), (std::vector<std::int16_t>{-7, 9})) << "padded " << padded;
    }
}

TEST(Wave, ExtensibleReadsAsItsPlainTwin) {
    DocFixture f;
    Bytes plain = wave_header(1, 1, 8000, 24, 9);
    Bytes ext = extensible_header(1, 1, 8000, 24, 24, 9);
    for (Bytes* b : {&plain, &ext}) b->u8(0x00).u8(0x80).u8(0x12).u8(0x00).u8(0x00).u8(0x80).u8(1).u8(2).u8(3);
    const auto want = open_samples(f, plain.data, "plain.wav");
    ASSERT_EQ(want.size(), 3u);
    EXPECT_EQ(open_samples(f, ext.data, "ext.wav"), want);

    Bytes fplain = wave_header(3, 1, 8000, 32, 8);
    Bytes fext = extensible_header(3, 1, 8000, 32, 32, 8);
    for (Bytes* b : {&fplain, &fext}) b->f32le(0.125f).f32le(-0.75f);
    EXPECT_EQ(open_samples(f, fext.data, "fext.wav"), open_samples(f, fplain.data, "fplain.wav"));

    Bytes mext = extensible_header(7, 1, 8000, 8, 8, 2);
    mext.u8(0x80).u8(0x00);
    EXPECT_EQ(open_samples(f, mext.data, "mext.wav"), (std::vector<std::int16_t>{32124, -32124}));
}

struct HostileCase {
    const char* name;
    std::vector<unsigned char> bytes;
    const char* message_part;
};

HostileCase unknown_sub_format() {
    Bytes b = extensible_header(0x0055, 1, 8000, 16, 16, 2);
    b.i16le(1);
    return {"unknown", b.data, "sub-format 00000055-0000-0010-8000-00AA00389B71"};
}
HostileCase truncated_extension() {
    Bytes b = extensible_header(1, 1, 8000, 16, 16, 2, 24);
    b.i16le(1);
    return {"truncated", b.data, "truncated WAVE_FORMAT_EXTENSIBLE"};
}
HostileCase valid_bits_too_large() {
    Bytes b = extensible_header(1, 1, 8000, 16, 20, 2);
    b.i16le(1);
    return {"validbits", b.data, "20 valid bits in 16-bit samples"};
}
HostileCase zero_block_align() {
    Bytes b = wave_header(1, 1, 8000, 16, 2, 0);
    b.data[32] = 0;
    b.data[33] = 0;
    b.i16le(1);
    return {"zeroalign", b.data, "zero channels or block alignment"};
}
HostileCase small_block_align() {
    Bytes b = wave_header(1, 2, 8000, 16, 4, 2);
    b.i16le(1).i16le(2);
    return {"smallalign", b.data, "block alignment of 2 bytes, too small for 2 channels"};
}
HostileCase odd_width() {
    Bytes b = wave_header(1, 1, 8000, 12, 4, 2);
    b.i16le(1).i16le(2);
    return {"twelve", b.data, "12-bit PCM samples"};
}

class WaveRefusals : public ::testing::TestWithParam<HostileCase (*)()> {};

TEST_P(WaveRefusals, NameTheFileAndWhatItHolds) {
    const HostileCase c = GetParam()();
    DocFixture f;
    f.prompts.generic_answers.push_back(std::nullopt);
    const std::string path = f.dir.file(std::string(c.name) + ".wav");
    test::write_file(path, c.bytes);
    EXPECT_FALSE(open_document(*f.doc, path));
    const auto msgs = f.prompts.messages();
    ASSERT_EQ(msgs.size(), 1u) << c.name;
    EXPECT_NE(msgs[0].find(std::string(c.name) + ".wav"), std::string::npos) << msgs[0];
    EXPECT_NE(msgs[0].find(c.message_part), std::string::npos) << msgs[0];
}

INSTANTIATE_TEST_SUITE_P(Wave, WaveRefusals,
                         ::testing::Values(&unknown_sub_format, &truncated_extension, &valid_bits_too_large,
                                           &zero_block_align, &small_block_align, &odd_width));

TEST(Wave, ExportedFileReadsBackWithTheWholeRate) {
    DocFixture f;
    CChannels& ch = f.doc->channels[0];
    ch.set_foreign_audio(22050.7, 500.0);
    ch.allocate_samples(500);
    for (int i = 0; i < 500; ++i) ch.samples[i] = static_cast<std::int16_t>(i * 131 - 32768);
    f.doc->channel_count = 1;
    f.doc->loaded = 1;
    const auto want = test::audio_samples(*f.doc);
    const std::string path = f.dir.file("e.wav");
    ASSERT_TRUE(f.doc->write_wave(path, false));
    CMarbeckDoc& back = f.fresh();
    ASSERT_TRUE(open_document(back, path));
    EXPECT_EQ(back.channels[0].sample_rate, 22050.0);
    EXPECT_EQ(test::audio_samples(back), want);
}

// --- files written by sox, compared with sox's own decode ------------------------------

struct SoxCase {
    const char* name;
    const char* options;  // sox output options
    int channels;
    bool extensible;  // sox writes the WAVE_FORMAT_EXTENSIBLE form
};

class SoxWave : public ::testing::TestWithParam<std::tuple<SoxCase, bool>> {};

std::vector<std::int16_t> sox_decode(const std::string& path, int channel, const std::string& raw) {
    const std::string cmd = "sox -D '" + path + "' -t raw -e signed-integer -b 16 -L '" + raw + "' remix " +
                            std::to_string(channel + 1);
    if (!test::run_command(cmd)) return {};
    const auto bytes = test::read_file(raw);
    std::vector<std::int16_t> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = get_i16le(&bytes[2 * i]);
    return out;
}

TEST_P(SoxWave, ReadsAsSoxDecodes) {
    if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
    const auto& [c, on_disk] = GetParam();
    DocFixture f;
    // A 16-bit source with the extremes, silence and a sweep, so that every
    // lossless widening must come back exactly.
    Bytes src;
    const int frames = 4000;
    src.text("RIFF").u32le(36 + frames * 2 * c.channels).text("WAVE");
    src.text("fmt ").u32le(16).u16le(1).u16le(c.channels).u32le(16000).u32le(16000 * 2 * c.channels);
    src.u16le(2 * c.channels).u16le(16).text("data").u32le(frames * 2 * c.channels);
    for (int i = 0; i < frames; ++i)
        for (int ch = 0; ch < c.channels; ++ch) {
            int v = static_cast<int>(30000.0 * std::sin(0.001 * i * i / (ch + 1)));
            if (i == 10) v = 32767;
            if (i == 11) v = -32768;
            if (i >= 20 && i < 30) v = 0;
            src.i16le(v);
        }
    const std::string src_path = f.dir.file("src.wav");
    const std::string out_path = f.dir.file(std::string(c.name) + ".wav");
    test::write_file(src_path, src.data);
    ASSERT_TRUE(test::run_command("sox -D '" + src_path + "' " + c.options + " '" + out_path + "'"));

    const auto written = test::read_file(out_path);
    ASSERT_GT(written.size(), 22u);
    EXPECT_EQ(get_u16le(&written[20]) == 0xFFFE, c.extensible) << c.name;

    const int channel = c.channels - 1;
    const auto expected = sox_decode(out_path, channel, f.dir.file("decoded.raw"));
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(frames));

    if (c.channels > 1) f.prompts.channel_choices.push_back(channel);
    CMarbeckDoc& doc = f.fresh();
    if (on_disk) doc.options.long_file_minutes = 0;
    ASSERT_TRUE(open_document(doc, out_path)) << c.name;
    EXPECT_EQ(doc.channels[0].samples.valid(), !on_disk);
    EXPECT_EQ(doc.channels[0].sample_rate, 16000.0);
    EXPECT_EQ(test::audio_samples(doc), expected) << c.name;
    EXPECT_TRUE(f.prompts.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SoxWave,
    ::testing::Combine(::testing::Values(SoxCase{"pcm16", "-b 16", 1, false}, SoxCase{"pcm8", "-e unsigned -b 8", 1, false},
                                         SoxCase{"pcm24", "-b 24", 1, true}, SoxCase{"pcm32", "-b 32", 1, true},
                                         SoxCase{"float32", "-e floating-point -b 32", 1, false},
                                         SoxCase{"float64", "-e floating-point -b 64", 1, false},
                                         SoxCase{"mulaw", "-e mu-law", 1, false}, SoxCase{"stereo24", "-b 24", 2, true},
                                         SoxCase{"three16", "-b 16", 3, true},
                                         SoxCase{"fourfloat", "-e floating-point -b 32", 4, false}),
                       ::testing::Bool()),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_disk" : "_memory");
    });

}  // namespace
}  // namespace vox
