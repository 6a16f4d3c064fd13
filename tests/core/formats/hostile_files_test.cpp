// Hostile files through the whole open path: what is not a regular file,
// empty files, headers that announce more than the file holds (up to 1e300
// samples), WAV files beyond 4 GiB, and files a reader recognises but
// declines, whose reason must reach the person.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <string>
#include <vector>

#include "core/formats/esps.h"
#include "core/formats/open_document.h"
#include "core/formats/wav.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;
using Samples = std::vector<std::int16_t>;
using Event = ScriptedPrompts::Event;

class Hostile : public ::testing::Test {
protected:
    bool open_bytes(const Bytes& b, const std::string& name) {
        path = fx.dir.file(name);
        test::write_file(path, b.data);
        return open_document(*fx.doc, path);
    }
    std::vector<std::string> messages() const { return fx.prompts.messages(); }
    const CChannels& ch0() const { return fx.doc->channels[0]; }

    DocFixture fx;
    std::string path;
};

Bytes words(const Samples& s, bool big = false) {
    Bytes b;
    for (auto v : s) big ? b.i16be(v) : b.i16le(v);
    return b;
}

Samples ramp(std::size_t n) {
    Samples s(n);
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::int16_t>((i * 997) % 20000) - 10000;
    return s;
}

// --- what is not a regular file -----------------------------------------------------

TEST_F(Hostile, FoldersAndDevicesAreRefusedWithAMessage) {
    for (const auto& [target, part] : {std::pair<std::string, const char*>{fx.dir.path().string(), "folder"},
                                       {"/dev/null", "device"}}) {
        fx.prompts.events.clear();
        EXPECT_FALSE(open_document(*fx.doc, target)) << target;
        ASSERT_EQ(messages().size(), 1u) << target;
        EXPECT_NE(messages()[0].find(part), std::string::npos) << messages()[0];
        EXPECT_EQ(fx.prompts.count(Event::GenericFile), 0);
        EXPECT_EQ(fx.doc->loaded, 0);
    }
}

TEST_F(Hostile, AFifoIsRefusedWithoutWaitingForAWriter) {
    const std::string fifo = fx.dir.file("f.wav");
    ASSERT_TRUE(test::run_command("mkfifo '" + fifo + "'"));
    auto opened = std::async(std::launch::async, [&] { return open_document(*fx.doc, fifo); });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // The open is blocked in the FIFO: give it a writer (and an end) so
        // the test can finish, and fail.
        std::ofstream(fifo).close();
        opened.wait();
        FAIL() << "opening a FIFO blocked";
    }
    EXPECT_FALSE(opened.get());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("'f.wav'"), std::string::npos) << messages()[0];
    EXPECT_NE(messages()[0].find("FIFO"), std::string::npos) << messages()[0];
}

TEST_F(Hostile, AnEmptyFileIsCalledEmptyBeforeTheGenericQuestion) {
    fx.prompts.generic_answers.push_back(GenericFileAnswers{});
    EXPECT_FALSE(open_bytes(Bytes(), "zero.wav"));
    EXPECT_EQ(fx.prompts.count(Event::GenericFile), 0);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("'zero.wav'"), std::string::npos);
    EXPECT_NE(messages()[0].find("empty"), std::string::npos);
}

// --- headers that announce more than the file holds ------------------------------------

struct ShortCase {
    const char* label;
    Bytes (*build)(std::size_t announced, const Samples& held);
    std::size_t announced;  // samples the header gives
};

Bytes short_wav(std::size_t announced, const Samples& s) {
    Bytes b;
    b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + 2 * announced)).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000).u16le(2).u16le(16);
    b.text("data").u32le(static_cast<std::uint32_t>(2 * announced));
    return b.append(words(s).data);
}
Bytes short_native(std::size_t announced, const Samples& s) {
    Bytes f;
    f.fixed("VXL_PC", 512);
    f.data[8] = 1;
    const double n = static_cast<double>(announced);
    f.f64le(n / 8.0).f64le(8000.0).f64le(n).f64le(0).f64le(0).f64le(0).f64le(1).f64le(0);
    f.i32le(1).i32le(16).i32le(0).i32le(100).i32le(1).i32le(1).i32le(4000).i32le(0).i32le(1).i32le(1).i32le(0).i32le(0).i32le(0);
    f.fixed("mic", 64).fixed("bits", 64).zeros(4);
    return f.append(words(s).data);
}
Bytes short_sphere(std::size_t announced, const Samples& s) {
    const std::string h = "NIST_1A\n   1024\nsample_rate -i 8000\nchannel_count -i 1\nsample_count -i " +
                          std::to_string(announced) + "\nend_head\n";
    Bytes f;
    return f.text(h).zeros(1024 - h.size()).append(words(s).data);
}
Bytes short_au(std::size_t announced, const Samples& s) {
    Bytes f;
    f.text(".snd").u32be(24).u32be(static_cast<std::uint32_t>(2 * announced)).u32be(3).u32be(8000).u32be(1);
    return f.append(words(s, true).data);
}
Bytes short_aiff(std::size_t announced, const Samples& s) {
    Bytes body;
    // 8000 Hz as an 80-bit extended real: 2^12 × 1.953125.
    body.text("AIFF").text("COMM").u32be(18).i16be(1).u32be(static_cast<std::uint32_t>(announced)).i16be(16);
    body.u16be(16383 + 12).u32be(0xFA000000u).u32be(0);
    body.text("SSND").u32be(static_cast<std::uint32_t>(8 + 2 * s.size())).u32be(0).u32be(0).append(words(s, true).data);
    Bytes f;
    return f.text("FORM").u32be(static_cast<std::uint32_t>(body.size())).append(body.data);
}
Bytes short_nsp(std::size_t announced, const Samples& s) {
    Bytes f;
    f.text("FORM").text("DS16").u32le(0);
    f.text("HEDR").u32le(62).fixed("Mar 03 14:01:22 2004", 20).i32le(8000).zeros(38);
    f.text("SDA_").u32le(static_cast<std::uint32_t>(2 * announced)).append(words(s).data);
    f.patch_u32le(8, static_cast<std::uint32_t>(f.size()));
    return f;
}

class ShortFiles : public Hostile, public ::testing::WithParamInterface<ShortCase> {};

TEST_P(ShortFiles, KeepWhatIsThereAndSayHowMuch) {
    const ShortCase& c = GetParam();
    const Samples held = ramp(7240);  // 905 ms at 8000 Hz
    ASSERT_TRUE(open_bytes(c.build(c.announced, held), "cut.bin"));
    EXPECT_EQ(ch0().sample_count, 7240.0);
    EXPECT_DOUBLE_EQ(ch0().duration_ms, 905.0);
    EXPECT_EQ(test::audio_samples(*fx.doc), held);
    ASSERT_EQ(messages().size(), 1u);
    const std::string m = messages()[0];
    EXPECT_NE(m.find("'cut.bin' is shorter than its header says"), std::string::npos) << m;
    EXPECT_NE(m.find("905 ms of " + std::to_string(c.announced / 8) + " ms"), std::string::npos) << m;
    EXPECT_NE(m.find("7240 of " + std::to_string(c.announced) + " samples"), std::string::npos) << m;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ShortFiles,
    ::testing::Values(ShortCase{"wav", short_wav, 28568}, ShortCase{"native", short_native, 28568},
                      ShortCase{"sphere", short_sphere, 28568}, ShortCase{"au", short_au, 28568},
                      ShortCase{"aiff", short_aiff, 28568}, ShortCase{"nsp", short_nsp, 28568},
                      ShortCase{"wav_far", short_wav, 2000000000}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Hostile, AFileOfTheAnnouncedLengthSaysNothing) {
    const Samples s = ramp(800);
    for (auto build : {short_wav, short_native, short_sphere, short_au, short_aiff, short_nsp}) {
        fx.prompts.events.clear();
        ASSERT_TRUE(open_bytes(build(800, s), "whole.bin"));
        EXPECT_TRUE(messages().empty()) << messages()[0];
        EXPECT_EQ(ch0().sample_count, 800.0);
    }
}

TEST_F(Hostile, ANativeCountOf1e300IsClampedToTheFileAndSaidSo) {
    Bytes f = short_native(4, {1, 2, 3, 4});
    const double huge = 1e300;
    std::memcpy(&f.data[512 + 16], &huge, 8);
    ASSERT_TRUE(open_bytes(f, "h.vxl"));
    EXPECT_EQ(ch0().sample_count, 4.0);
    EXPECT_EQ(test::audio_samples(*fx.doc), (Samples{1, 2, 3, 4}));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("4 of 1e+300 samples"), std::string::npos) << messages()[0];
}

TEST_F(Hostile, CountsThatAreNotNumbersOfSamplesAreRefused) {
    for (const char* ident : {"VXL_PC", "LMX_PC"}) {
        for (double count : {-5.0, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
            Bytes f = short_native(4, {1, 2, 3, 4});
            std::memcpy(f.data.data(), ident, 6);
            std::memcpy(&f.data[512 + 16], &count, 8);
            fx.prompts.events.clear();
            EXPECT_FALSE(open_bytes(f, "n.bin")) << ident << " " << count;
            ASSERT_EQ(messages().size(), 1u) << ident << " " << count;
            EXPECT_NE(messages()[0].find("is not a number of samples"), std::string::npos) << messages()[0];
        }
    }
}

TEST(SampleCount, HugeAndNonsenseCountsSaturateInsteadOfWrapping) {
    CChannels ch;
    for (const auto& [count, want] : std::vector<std::pair<double, std::size_t>>{
             {1e300, 9007199254740992ull},
             {18446744073709551616.0, 9007199254740992ull},  // 2^64
             {std::numeric_limits<double>::infinity(), 0},
             {std::numeric_limits<double>::quiet_NaN(), 0},
             {-5.0, 0},
             {12345.9, 12345}}) {
        ch.sample_count = count;
        EXPECT_EQ(ch.count(), want) << count;
    }
}

TEST_F(Hostile, AnEarlierProductCountOf2To64IsRefusedWithTheNumbers) {
    Bytes f;
    f.fixed("LMX_PC", 512);
    f.data[8] = 1;
    f.f64le(50).f64le(8000).f64le(18446744073709551616.0).f64le(0).f64le(0).f64le(0).f64le(1).f64le(0);
    f.i32le(1).i32le(16).i32le(0).i32le(100).i32le(1).i32le(1).i32le(4000).i32le(0).i32le(1).i32le(1).i32le(0).i32le(0).i32le(0);
    f.fixed("mic", 64).fixed("bits", 64).zeros(4).append(words(ramp(400)).data);
    EXPECT_FALSE(open_bytes(f, "e.lmf"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("1.84467e+19"), std::string::npos) << messages()[0];
    EXPECT_NE(messages()[0].find("holds 400"), std::string::npos) << messages()[0];
}

// --- WAV files beyond 4 GiB, as sparse files ---------------------------------------------

constexpr std::uint64_t kBigDataBytes = 4831838208ull;  // 4.5 GiB of 16-bit mono samples

// Writes the header and extends the file to `data_in_file` bytes of data
// without using the disk (a sparse file).
std::string sparse_wav(const test::ScratchDir& dir, const std::string& name, bool rf64, std::uint64_t ds64_data,
                       std::uint64_t data_in_file) {
    Bytes b;
    b.text(rf64 ? "RF64" : "RIFF").u32le(0xFFFFFFFFu).text("WAVE");
    if (rf64) {
        b.text("ds64").u32le(28);
        b.u32le(static_cast<std::uint32_t>(ds64_data + 72)).u32le(static_cast<std::uint32_t>((ds64_data + 72) >> 32));
        b.u32le(static_cast<std::uint32_t>(ds64_data)).u32le(static_cast<std::uint32_t>(ds64_data >> 32));
        b.u32le(static_cast<std::uint32_t>(ds64_data / 2)).u32le(static_cast<std::uint32_t>(ds64_data / 2 >> 32));
        b.u32le(0);
    }
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(44100).u32le(88200).u16le(2).u16le(16);
    b.text("data").u32le(0xFFFFFFFFu);
    const std::string p = dir.file(name);
    test::write_file(p, b.data);
    std::filesystem::resize_file(p, b.size() + data_in_file);
    return p;
}

struct BigCase {
    const char* label;
    bool rf64;
    std::uint64_t ds64_data;     // the data size the ds64 chunk gives
    std::uint64_t data_in_file;  // bytes after the data chunk's header
    std::uint64_t want_bytes;
    bool short_message;
};

class BigWave : public ::testing::TestWithParam<BigCase> {};

TEST_P(BigWave, SizesBeyond32BitsReachTheRealEnd) {
    const BigCase& c = GetParam();
    test::ScratchDir dir;
    const std::string p = sparse_wav(dir, "big.wav", c.rf64, c.ds64_data, c.data_in_file);
    BinaryFile file;
    ASSERT_TRUE(file.open(p, BinaryFile::Mode::Read));
    WaveChunks chunks;
    ASSERT_EQ(CWave().walk_chunks(file, chunks), 0);
    EXPECT_EQ(chunks.data_bytes, c.want_bytes);
    EXPECT_EQ(chunks.rf64, c.rf64);
    EXPECT_EQ(chunks.declared_data_bytes > chunks.data_bytes, c.short_message);

    // Through the document, on the disk path: the progress window is sized
    // by the frame count (one step per 1,000,000 frames of 16-bit PCM); the
    // read is cancelled after its first step so that no disk is used.
    DocFixture fx;
    fx.progress.cancel_at_step = 1;
    fx.doc->options.long_file_minutes = 0;
    EXPECT_FALSE(open_document(*fx.doc, p));
    EXPECT_EQ(fx.progress.last_total, static_cast<long long>(c.want_bytes / 2 / 1000000 + 1));
    const auto msgs = fx.prompts.messages();
    EXPECT_TRUE(msgs.empty()) << msgs[0];  // a cancel is not a failure
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, BigWave,
    ::testing::Values(BigCase{"all_ones_to_the_end", false, 0, kBigDataBytes, kBigDataBytes, false},
                      BigCase{"rf64_ds64", true, kBigDataBytes, kBigDataBytes, kBigDataBytes, false},
                      BigCase{"rf64_ds64_beyond_the_file", true, kBigDataBytes + 1000000, kBigDataBytes,
                              kBigDataBytes, true},
                      BigCase{"rf64_small", true, 1000, 4000, 1000, false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Hostile, AnRf64FileOfTheUsualSizeReadsItsSamples) {
    Bytes b;
    const Samples s = ramp(500);
    b.text("RF64").u32le(0xFFFFFFFFu).text("WAVE");
    b.text("ds64").u32le(28).u32le(1072).u32le(0).u32le(1000).u32le(0).u32le(500).u32le(0).u32le(0);
    b.text("fmt ").u32le(16).u16le(1).u16le(1).u32le(16000).u32le(32000).u16le(2).u16le(16);
    b.text("data").u32le(0xFFFFFFFFu).append(words(s).data).append(words(ramp(7)).data);
    ASSERT_TRUE(open_bytes(b, "r.wav"));
    EXPECT_EQ(fx.doc->format_name(), "WAV");
    EXPECT_EQ(test::audio_samples(*fx.doc), s);
    EXPECT_TRUE(messages().empty());
}

// --- files a reader recognises but declines ---------------------------------------------

struct DeclinedCase {
    const char* label;
    Bytes (*build)();
    const char* reason;  // part of the message
};

Bytes wav_without_data() {
    Bytes b;
    b.text("RIFF").u32le(200).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(8000).u32le(16000);
    b.u16le(2).u16le(16).text("LIST").u32le(4).text("INFO");
    return b.zeros(120);
}
Bytes wav_adpcm() {
    Bytes b;
    b.text("RIFF").u32le(200).text("WAVE").text("fmt ").u32le(16).u16le(2).u16le(1).u32le(8000).u32le(4000);
    b.u16le(256).u16le(4).text("data").u32le(120);
    return b.zeros(120);
}
Bytes aiff_without_comm() {
    Bytes b;
    b.text("FORM").u32le(150).text("AIFF").text("SSND").u32le(128).u32le(0).u32le(0);
    return b.zeros(120);
}
Bytes aifc_ima4() {
    Bytes b;
    b.text("FORM").u32le(200).text("AIFC").text("COMM").u32le(24).i16be(1).u32be(10).i16be(16);
    b.u16be(16383 + 12).u32be(0xFA000000u).u32be(0).text("ima4").u8(0).u8(0);
    return b.text("SSND").u32le(128).zeros(128);
}
Bytes sphere_alaw() {
    const std::string h =
        "NIST_1A\n   1024\nsample_rate -i 8000\nchannel_count -i 1\nsample_coding -s4 alaw\nend_head\n";
    Bytes f;
    return f.text(h).zeros(1024 - h.size()).zeros(100);
}
Bytes nsp_without_data() {
    Bytes f;
    f.text("FORM").text("DS16").u32le(0);
    f.text("HEDR").u32le(62).fixed("Mar 03 14:01:22 2004", 20).i32le(8000).zeros(38);
    f.text("NOTE").u32le(40).zeros(40);
    f.patch_u32le(8, static_cast<std::uint32_t>(f.size()));
    return f;
}
Bytes au_stereo() {
    Bytes f;
    f.text(".snd").u32be(24).u32be(100).u32be(3).u32be(8000).u32be(2);
    return f.zeros(100);
}
Bytes esps_two_fields() {
    Bytes f;
    const std::int32_t hs = 32 + 160 + 26;
    f.i32le(0).i32le(0).i32le(hs).i32le(0).i32le(CEsps::kCheckWord).i32le(0).i32le(0).i32le(0);
    f.zeros(100).i32le(0).i32le(1).i32le(0).i32le(1).i32le(0).zeros(40);
    f.fixed("record_freq", 18).f64le(8000);
    return f.zeros(60);
}
Bytes native_two_channels() {
    Bytes f = short_native(4, {1, 2, 3, 4});
    f.data[8] = 2;
    return f;
}

Bytes acquisition_cut_short() {
    Bytes f;
    f.i32le(6484).i32le(10).i32le(1).i32le(0).i32le(8000).i32le(0).i32le(200).i32le(0);
    return f.zeros(3000);
}

class Declined : public Hostile, public ::testing::WithParamInterface<DeclinedCase> {};

TEST_P(Declined, TheReasonComesBeforeTheGenericQuestion) {
    const DeclinedCase& c = GetParam();
    fx.prompts.generic_answers.push_back(std::nullopt);
    EXPECT_FALSE(open_bytes(c.build(), "damaged.bin"));
    const auto& ev = fx.prompts.events;
    std::size_t message_at = ev.size(), generic_at = ev.size();
    for (std::size_t i = 0; i < ev.size(); ++i) {
        if (ev[i].kind == Event::Message && message_at == ev.size()) message_at = i;
        if (ev[i].kind == Event::GenericFile) generic_at = i;
    }
    ASSERT_LT(message_at, ev.size()) << "no reason was shown";
    EXPECT_LT(message_at, generic_at);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("damaged.bin"), std::string::npos) << messages()[0];
    EXPECT_NE(messages()[0].find(c.reason), std::string::npos) << messages()[0];
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Declined,
    ::testing::Values(DeclinedCase{"wav_without_data", wav_without_data, "as WAV: it has no \"data\" chunk"},
                      DeclinedCase{"wav_adpcm", wav_adpcm, "format tag 2"},
                      DeclinedCase{"aiff_without_comm", aiff_without_comm, "as AIFF: it has no COMM chunk"},
                      DeclinedCase{"aifc_ima4", aifc_ima4, "compression type 'ima4'"},
                      DeclinedCase{"sphere_alaw", sphere_alaw, "sample_coding 'alaw'"},
                      DeclinedCase{"nsp_without_data", nsp_without_data, "as CSL NSP: it has no sample data chunk"},
                      DeclinedCase{"au_stereo", au_stereo, "as SUN au: it holds 2 channels"},
                      DeclinedCase{"esps_two_fields", esps_two_fields, "as ESPS: its records do not hold one"},
                      DeclinedCase{"native_two_channels", native_two_channels, "as VXL_PC: its channel count is 2"},
                      DeclinedCase{"acquisition_cut_short", acquisition_cut_short,
                                   "6484-byte header is cut short at 3032 bytes"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Hostile, NativeHeadersCutShortAreRefusedWithTheirReason) {
    const Bytes whole = short_native(4, {1, 2, 3, 4});
    struct Cut {
        std::size_t keep;
        const char* reason;
    };
    for (const Cut& c : {Cut{600, "its channel header is cut short"}, Cut{759, "its channel header is cut short"}}) {
        Bytes b = whole;
        b.data.resize(c.keep);
        fx.prompts.events.clear();
        EXPECT_FALSE(open_bytes(b, "c.vxl"));
        ASSERT_EQ(messages().size(), 1u) << c.keep;
        EXPECT_NE(messages()[0].find(c.reason), std::string::npos) << messages()[0];
        EXPECT_EQ(fx.prompts.count(Event::OpenFailure), 0);
        EXPECT_EQ(fx.prompts.count(Event::GenericFile), 0);
    }
    // A tier record announced but cut off.
    Bytes tiers = whole;
    tiers.data[512 + 92] = 1;
    fx.prompts.events.clear();
    EXPECT_FALSE(open_bytes(tiers, "t.vxl"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("the header of tier 1 is cut short"), std::string::npos) << messages()[0];
}

TEST_F(Hostile, ReasonsBelongToTheReadThatFoundThem) {
    // A file with a "FORM"/"AIFF" head but no COMM chunk that the person then
    // reads as generic samples: the reason came before the question.
    fx.prompts.generic_answers.push_back(GenericFileAnswers{0, 8000, 1, 1, 1});
    ASSERT_TRUE(open_bytes(aiff_without_comm(), "a.aiff"));
    EXPECT_EQ(fx.prompts.count(Event::GenericFile), 1);
    EXPECT_EQ(messages().size(), 1u);  // the reason, before the question
    // A second, good file read by the same document shows no stale reason.
    fx.prompts.events.clear();
    ASSERT_TRUE(open_bytes(short_wav(4, {1, 2, 3, 4}), "b.wav"));
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace vox
