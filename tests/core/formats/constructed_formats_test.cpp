// Files built byte by byte for the formats no program here writes (and
// hostile variants of the others), read through the whole open chain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/formats/earlier_product.h"
#include "core/formats/esps.h"
#include "core/formats/generic_readers.h"
#include "core/formats/open_document.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;
using Samples = std::vector<std::int16_t>;

class Constructed : public ::testing::Test {
protected:
    // Writes the bytes and reads them through the open chain; when no reader
    // takes the file the generic dialog is cancelled.
    bool open(const Bytes& b, const std::string& name = "f.bin") {
        path = fx.dir.file(name);
        test::write_file(path, b.data);
        return open_document(*fx.doc, path);
    }
    Samples samples() const { return test::audio_samples(*fx.doc); }
    const CChannels& ch0() const { return fx.doc->channels[0]; }
    std::vector<std::string> messages() const { return fx.prompts.messages(); }
    // True when the generic dialog was shown: no reader recognised the file.
    bool fell_through() const { return fx.prompts.count(ScriptedPrompts::Event::GenericFile) > 0; }

    DocFixture fx;
    std::string path;
};

// --- NSP ---------------------------------------------------------------------------

Bytes nsp_chunk(const char* id, const Bytes& body) {
    Bytes c;
    c.text(id).u32le(static_cast<std::uint32_t>(body.size())).append(body.data);
    if (body.size() & 1) c.u8(0xEE);  // pad byte
    return c;
}
Bytes nsp_header(std::int32_t rate) { return Bytes().fixed("Mar 03 14:01:22 2004", 20).i32le(rate).zeros(38); }
Bytes nsp_data(const Samples& s) {
    Bytes b;
    for (auto v : s) b.i16le(v);
    return b;
}
Bytes nsp_file(const std::vector<Bytes>& chunks, std::uint32_t end = 0) {
    Bytes f;
    f.text("FORM").text("DS16").u32le(0);
    for (const auto& c : chunks) f.append(c.data);
    while (f.size() < 101) f.append(nsp_chunk("PAD_", Bytes().zeros(40)).data);
    f.patch_u32le(8, end ? end : static_cast<std::uint32_t>(f.size()));
    return f;
}

struct NspCase {
    const char* label;
    std::vector<Bytes> chunks;
    bool read;
    Samples want;
};
class Nsp : public Constructed, public ::testing::WithParamInterface<NspCase> {};

TEST_P(Nsp, ReadsTheFirstDataChunkAfterAHeader) {
    const NspCase& c = GetParam();
    EXPECT_EQ(open(nsp_file(c.chunks), "f.nsp"), c.read);
    if (!c.read) {
        EXPECT_TRUE(fell_through());
        return;
    }
    EXPECT_EQ(fx.doc->format_name(), "CSL NSP");
    EXPECT_DOUBLE_EQ(ch0().sample_rate, 11025.0);
    EXPECT_DOUBLE_EQ(ch0().bandwidth_hz, 11025.0 / 2);
    EXPECT_EQ(ch0().units, "bits");
    EXPECT_EQ(ch0().number, 1);
    EXPECT_EQ(samples(), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, Nsp,
    ::testing::Values(
        NspCase{"hedr_sda", {nsp_chunk("HEDR", nsp_header(11025)), nsp_chunk("SDA_", nsp_data({1, -2, 300}))}, true,
                {1, -2, 300}},
        NspCase{"sd_b_only", {nsp_chunk("HDR8", nsp_header(11025)), nsp_chunk("SD_B", nsp_data({-7, 8}))}, true, {-7, 8}},
        NspCase{"odd_chunk_padded",
                {nsp_chunk("HEDR", nsp_header(11025)), nsp_chunk("NOTE", Bytes().text("abc")),
                 nsp_chunk("SDA_", nsp_data({42}))},
                true,
                {42}},
        NspCase{"first_of_two",
                {nsp_chunk("HEDR", nsp_header(11025)), nsp_chunk("SD_B", nsp_data({5, 6})),
                 nsp_chunk("SDA_", nsp_data({9, 9, 9}))},
                true,
                {5, 6}},
        NspCase{"data_before_header", {nsp_chunk("SDA_", nsp_data({1})), nsp_chunk("HEDR", nsp_header(11025))}, false, {}},
        NspCase{"no_data", {nsp_chunk("HEDR", nsp_header(11025))}, false, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Constructed, NspHostileSizesStayInsideTheFile) {
    // A data chunk claiming far more than the file: the samples that are there.
    Bytes f = nsp_file({nsp_chunk("HEDR", nsp_header(8000)), nsp_chunk("SDA_", nsp_data({3, 4, 5}))}, 0x7FFFFFF0);
    const std::size_t data_size_at = 12 + 8 + 62 + 4;
    f.patch_u32le(data_size_at, 0xFFFFFFF0u);
    ASSERT_TRUE(open(f, "big.nsp"));
    // Everything from the data chunk to the end of the file, as samples.
    EXPECT_EQ(ch0().sample_count, static_cast<double>((f.size() - data_size_at - 4) / 2));
    EXPECT_EQ(samples()[0], 3);

    // A zero rate is refused with a message naming the file.
    fx.prompts.events.clear();
    EXPECT_FALSE(open(nsp_file({nsp_chunk("HEDR", nsp_header(0)), nsp_chunk("SDA_", nsp_data({1}))}), "zero.nsp"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("zero.nsp"), std::string::npos);
    EXPECT_FALSE(fell_through());
}

// --- SUN au ------------------------------------------------------------------------

Bytes au_file(bool big, std::uint32_t offset, std::uint32_t size, std::uint32_t enc, std::uint32_t rate,
              std::uint32_t channels, const Bytes& data) {
    Bytes f;
    auto w = [&](std::uint32_t v) { big ? f.u32be(v) : f.u32le(v); };
    f.text(big ? ".snd" : "dns.");
    w(offset), w(size), w(enc), w(rate), w(channels);
    f.zeros(offset - 24).append(data.data);
    return f;
}
Bytes words(const Samples& s, bool big) {
    Bytes b;
    for (auto v : s) big ? b.i16be(v) : b.i16le(v);
    return b;
}

TEST_F(Constructed, AuByteOrderTwinsReadAlike) {
    Samples ramp;
    for (int i = 0; i < 60; ++i) ramp.push_back(static_cast<std::int16_t>(i * 997 - 30000));
    ASSERT_TRUE(open(au_file(true, 28, 120, 3, 8000, 1, words(ramp, true)), "be.au"));
    EXPECT_EQ(fx.doc->format_name(), "SUN au");
    EXPECT_EQ(samples(), ramp);
    EXPECT_DOUBLE_EQ(ch0().sample_rate, 8000.0);
    ASSERT_TRUE(open(au_file(false, 28, 120, 3, 8000, 0, words(ramp, false)), "le.au"));
    EXPECT_EQ(samples(), ramp);
}

TEST_F(Constructed, AuSizesAndEncodings) {
    Bytes bytes;
    for (int i = 0; i < 100; ++i) bytes.u8(static_cast<unsigned>(i * 3));
    // All ones: to the end of the file; 8-bit linear is signed × 256.
    ASSERT_TRUE(open(au_file(true, 32, 0xFFFFFFFFu, 2, 8000, 1, bytes), "open.au"));
    ASSERT_EQ(ch0().sample_count, 100.0);
    EXPECT_EQ(samples()[1], 3 * 256);
    EXPECT_EQ(samples()[50], static_cast<std::int8_t>(150) * 256);
    // A size beyond the file: what the file holds; µ-law expanded.
    ASSERT_TRUE(open(au_file(true, 24, 5000, 1, 8000, 1, bytes), "ulaw.au"));
    EXPECT_EQ(ch0().sample_count, 100.0);
    EXPECT_EQ(samples()[0], -32124);  // µ-law 0x00
}

TEST_F(Constructed, AuRefusals) {
    const Bytes data = Bytes().zeros(100);
    EXPECT_FALSE(open(au_file(true, 24, 100, 3, 8000, 2, data), "stereo.au"));
    EXPECT_TRUE(fell_through());
    EXPECT_FALSE(open(au_file(true, 24, 100, 27, 8000, 1, data), "g721.au"));
    EXPECT_FALSE(open(au_file(true, 24, 100, 3, 0, 1, data), "norate.au"));
    Bytes far = au_file(true, 24, 100, 3, 8000, 1, data);
    far.data[4] = 0x7F;  // data offset far beyond the file
    fx.prompts.events.clear();
    EXPECT_FALSE(open(far, "far.au"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("far.au"), std::string::npos);
}

// --- ESPS --------------------------------------------------------------------------

// counts: doubles, floats, longs, shorts, bytes per record.
Bytes esps_file(bool big, std::array<int, 5> counts, double freq, const Bytes& records, bool with_freq = true) {
    Bytes f;
    auto w = [&](std::int32_t v) { big ? f.i32be(v) : f.i32le(v); };
    auto d = [&](double v) { big ? f.f64be(v) : f.f64le(v); };
    const std::int32_t header_size = 32 + 160 + 3 * 26;
    w(0), w(0), w(header_size), w(0), w(CEsps::kCheckWord), w(0), w(0), w(0);
    Bytes fixed = Bytes().zeros(100);
    f.append(fixed.data);
    for (int c : counts) w(c);
    f.zeros(160 - 120);
    // Generic items: the name, then its double 18 bytes after the name's start.
    for (auto [name, value] : {std::pair<const char*, double>{with_freq ? "record_freq" : "record_xxxx", freq},
                               {"start_time", 0.25}, {"end_time", 1.5}}) {
        f.fixed(name, 18);
        d(value);
    }
    f.append(records.data);
    return f;
}

TEST_F(Constructed, EspsShortRecordsInBothByteOrders) {
    for (bool big : {false, true}) {
        const Samples s{100, -200, 32767, -32768, 5};
        ASSERT_TRUE(open(esps_file(big, {0, 0, 0, 1, 0}, 16000.0, words(s, big)), "f.d")) << big;
        EXPECT_EQ(fx.doc->format_name(), "ESPS");
        EXPECT_DOUBLE_EQ(ch0().sample_rate, 16000.0);
        EXPECT_EQ(samples(), s);
        EXPECT_DOUBLE_EQ(ch0().trail_d1, 0.25);
        EXPECT_DOUBLE_EQ(ch0().trail_d2, 1.5);
    }
    ASSERT_TRUE(open(esps_file(true, {0, 0, 0, 0, 1}, 8000.0, Bytes().u8(0x80).u8(0x7F).u8(1)), "b.d"));
    EXPECT_EQ(samples(), (Samples{-32768, 32512, 256}));
}

// The reader's byte-order diagnostics go to the stream the document was
// handed, and nowhere (standard output included) when it was handed none.
TEST_F(Constructed, EspsDiagnosticsGoToTheDocumentsStream) {
    const Samples s{1, 2, 3};
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(open(esps_file(true, {0, 0, 0, 1, 0}, 16000.0, words(s, true)), "quiet.d"));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    fx.services.diagnostics = stream;
    fx.fresh();
    ASSERT_TRUE(open(esps_file(false, {0, 0, 0, 1, 0}, 16000.0, words(s, false)), "little.d"));
    ASSERT_TRUE(open(esps_file(true, {0, 0, 0, 1, 0}, 16000.0, words(s, true)), "big.d"));
    std::rewind(stream);
    std::string text;
    for (int c; (c = std::fgetc(stream)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(stream);
    fx.services.diagnostics = nullptr;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    // One file of each byte order: one of them is swapped on any machine.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "No Byte Swapping involved"), lines.end()) << text;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Byte Swapping involved"), lines.end()) << text;
}

TEST_F(Constructed, EspsRefusals) {
    // Two fields per record: not a sound.
    EXPECT_FALSE(open(esps_file(false, {0, 1, 0, 1, 0}, 16000.0, Bytes().zeros(60)), "two.d"));
    EXPECT_TRUE(fell_through());
    // No fields at all: nothing to divide the data by.
    EXPECT_FALSE(open(esps_file(false, {0, 0, 0, 0, 0}, 16000.0, Bytes().zeros(60)), "none.d"));
    // Missing rate: refused with a message.
    fx.prompts.events.clear();
    EXPECT_FALSE(open(esps_file(false, {0, 0, 0, 1, 0}, 0, Bytes().zeros(60), false), "norate.d"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("record_freq"), std::string::npos);
    // A header size beyond the file.
    Bytes big = esps_file(false, {0, 0, 0, 1, 0}, 16000.0, Bytes().zeros(60));
    big.patch_u32le(8, 0x10000000);
    fx.prompts.events.clear();
    EXPECT_FALSE(open(big, "bighead.d"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("header size"), std::string::npos);
}

// --- AIFF hostile and constructed cases --------------------------------------------

Bytes ext80(double v) {
    // Positive normal numbers only (and the special patterns below).
    Bytes b;
    int e;
    const double m = std::frexp(v, &e);  // v = m × 2^e, 0.5 ≤ m < 1
    const auto mant = static_cast<std::uint64_t>(std::ldexp(m, 64));
    b.u16be(static_cast<unsigned>(e - 1 + 16383)).u32be(static_cast<std::uint32_t>(mant >> 32)).u32be(
        static_cast<std::uint32_t>(mant));
    return b;
}

Bytes aiff_file(bool aifc, const char* compression, int channels, std::uint32_t frames, int bits, const Bytes& rate,
                const Bytes& data, bool junk_before_ssnd = false) {
    Bytes comm;
    comm.i16be(channels).u32be(frames).i16be(bits).append(rate.data);
    if (aifc) comm.text(compression).u8(0).u8(0);
    Bytes body;
    body.text(aifc ? "AIFC" : "AIFF");
    body.text("COMM").u32be(static_cast<std::uint32_t>(comm.size())).append(comm.data);
    if (junk_before_ssnd) body.text("FLLR").u32be(5).zeros(6);
    body.text("SSND").u32be(static_cast<std::uint32_t>(data.size() + 8)).u32be(0).u32be(0).append(data.data);
    while (body.size() < 120) body.u8(0);
    Bytes f;
    f.text("FORM").u32be(static_cast<std::uint32_t>(body.size())).append(body.data);
    return f;
}

TEST_F(Constructed, AifcSowtStereoRightChannel) {
    Bytes data;
    for (int i = 0; i < 40; ++i) data.i16le(i).i16le(-1000 - i);
    fx.prompts.channel_choices.push_back(1);
    ASSERT_TRUE(open(aiff_file(true, "sowt", 2, 40, 16, ext80(22050), data), "s.aifc"));
    EXPECT_DOUBLE_EQ(ch0().sample_rate, 22050.0);
    ASSERT_EQ(ch0().sample_count, 40.0);
    EXPECT_EQ(samples()[0], -1000);
    EXPECT_EQ(samples()[39], -1039);
    EXPECT_EQ(fx.doc->channel_title, "s.aifc::Channel 2");
}

TEST_F(Constructed, AiffEightBitAndOddChunksAndShortData) {
    Bytes data = Bytes().u8(0x80).u8(0x7F).u8(0x01);
    // The frame count claims 1000 frames; only three are there. A filler
    // chunk of odd size lies before the sound data.
    ASSERT_TRUE(open(aiff_file(false, "", 1, 1000, 8, ext80(8000), data, true), "e.aiff"));
    EXPECT_EQ(ch0().sample_count, 3.0);
    EXPECT_EQ(samples()[0], -32768);
    EXPECT_EQ(samples()[1], 32512);
    EXPECT_EQ(samples()[2], 256);
}

TEST_F(Constructed, AiffUnusableRatesAreRefused) {
    const Bytes nan = Bytes().u16be(0x7FFF).u32be(0xC0000000u).u32be(0);
    const Bytes inf = Bytes().u16be(0x7FFF).u32be(0).u32be(0);
    const Bytes zero = Bytes().zeros(10);
    for (const Bytes* rate : {&nan, &inf, &zero}) {
        fx.prompts.events.clear();
        EXPECT_FALSE(open(aiff_file(false, "", 1, 4, 16, *rate, Bytes().zeros(8)), "r.aiff"));
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find("sample rate"), std::string::npos);
    }
    EXPECT_FALSE(open(aiff_file(true, "ima4", 1, 4, 16, ext80(8000), Bytes().zeros(8)), "ima.aifc"));
    EXPECT_TRUE(fell_through());
}

// --- NIST SPHERE -------------------------------------------------------------------

Bytes sphere(const std::string& fields, const std::string& size_text, const Bytes& data) {
    std::string h = "NIST_1A\n" + size_text + "\n" + fields + "end_head\n";
    const std::size_t header = 1024;
    Bytes f;
    f.text(h).zeros(header - h.size()).append(data.data);
    return f;
}

TEST_F(Constructed, SphereFieldsAndRefusals) {
    const Samples s{10, -20, 30, -40};
    // No sample_coding: PCM. A sample_count beyond the data: what is there.
    ASSERT_TRUE(open(sphere("sample_rate -i 8000\nchannel_count -i 1\nsample_count -i 99999\nsample_n_bytes -i 2\n"
                            "sample_byte_format -s2 10\n",
                            "   1024", words(s, true)),
                     "a.sph"));
    EXPECT_EQ(samples(), s);
    // µ-law with two bytes per sample, header sizes 0 and 5121, no channels.
    for (const auto& [fields, size] :
         {std::pair<std::string, std::string>{"sample_rate -i 8000\nchannel_count -i 1\nsample_coding -s4 ulaw\n"
                                              "sample_n_bytes -i 2\n",
                                              "   1024"},
          {"sample_rate -i 8000\nchannel_count -i 1\n", "      0"},
          {"sample_rate -i 8000\nchannel_count -i 1\n", "   5121"},
          {"sample_rate -i 8000\n", "   1024"}}) {
        fx.prompts.events.clear();
        EXPECT_FALSE(open(sphere(fields, size, words(s, false)), "b.sph")) << fields << size;
        EXPECT_TRUE(fell_through());
    }
}

// --- earlier product ---------------------------------------------------------------

struct LmxChannel {
    double rate;
    Samples s;
    std::vector<std::pair<std::string, std::int32_t>> labels;  // text, font height
    std::int32_t type = 1;
};

Bytes lmx_header(const LmxChannel& c, bool big, const std::string& name) {
    Bytes h;
    auto d = [&](double v) { big ? h.f64be(v) : h.f64le(v); };
    auto w = [&](std::int32_t v) { big ? h.i32be(v) : h.i32le(v); };
    const double n = static_cast<double>(c.s.size());
    d(n * 1000.0 / c.rate), d(c.rate), d(n), d(0), d(0), d(0), d(1), d(0);
    w(c.type), w(16), w(0), w(100), w(1), w(1), w(static_cast<std::int32_t>(c.rate / 2)),
        w(static_cast<std::int32_t>(c.labels.size())), w(1), w(1), w(0), w(0), w(0);
    h.fixed(name, 64).fixed("bits", 64).zeros(4);
    return h;
}
Bytes lmx_label(const std::string& text, std::int32_t font_height, double ms, bool big) {
    Bytes l;
    auto w = [&](std::int32_t v) { big ? l.i32be(v) : l.i32le(v); };
    big ? l.f64be(ms) : l.f64le(ms);
    big ? l.f64be(0.5) : l.f64le(0.5);
    w(7), w(1), w(1), w(2), w(3), w(4), w(200), w(100), w(50), w(font_height);
    l.zeros(56).fixed(text, 256);
    return l;
}

enum class Lmx { Pc, Mac, Float, Float24 };
Bytes lmx_file(Lmx form, const std::vector<LmxChannel>& chans, std::int32_t count_override = 0) {
    const bool big = form == Lmx::Mac;
    const char* ident = form == Lmx::Pc ? "LMX_PC" : form == Lmx::Mac ? "LMX_Mac" : form == Lmx::Float ? "LMX_PC_FLOAT" : "LMX_PC_FLOAT_24";
    Bytes f;
    f.fixed(ident, 512);
    const std::size_t at = (form == Lmx::Float || form == Lmx::Float24) ? 32 : 8;
    const std::int32_t n = count_override ? count_override : static_cast<std::int32_t>(chans.size());
    for (int i = 0; i < 4; ++i) f.data[at + i] = static_cast<unsigned char>(big ? n >> (24 - 8 * i) : n >> (8 * i));
    auto put_samples = [&](const LmxChannel& c) {
        for (auto v : c.s) {
            if (form == Lmx::Pc) f.i16le(v);
            else if (form == Lmx::Mac) f.i16be(v);
            else f.f32le(static_cast<float>(v) / 32768.0f);
        }
    };
    int k = 0;
    for (const auto& c : chans) {
        f.append(lmx_header(c, big, "ch" + std::to_string(++k)).data);
        double t = 1.0;
        for (const auto& [text, height] : c.labels) f.append(lmx_label(text, height, t++, big).data);
        if (form != Lmx::Float24) put_samples(c);
    }
    if (form == Lmx::Float24)
        for (std::size_t i = 0; i < chans[0].s.size(); ++i)
            for (const auto& c : chans) f.f32le(static_cast<float>(c.s[i]) / 32768.0f);
    return f;
}

std::string lmx_name(Lmx form) {
    static const char* const names[] = {"pc", "mac", "float", "float24"};
    return names[static_cast<int>(form)];
}

class Earlier : public Constructed, public ::testing::WithParamInterface<Lmx> {};

TEST_P(Earlier, ThreeChannelsWithTheLabelsOfTheFirst) {
    const Lmx form = GetParam();
    const std::vector<LmxChannel> chans{{16000, {100, -200, 300, -400}, {{"a", -13}, {"bb", 0}}},
                                        {1000, {1, 2, 3, 4}, {{"dropped", -13}}, 0},
                                        {500, {-9, 9, -9, 9}, {}, 0}};
    ASSERT_TRUE(open(lmx_file(form, chans), "f.lmf"));
    CMarbeckDoc& doc = *fx.doc;
    ASSERT_EQ(doc.channel_count, 3);
    EXPECT_EQ(doc.foreign_format, 1);
    for (int c = 0; c < 3; ++c) {
        EXPECT_DOUBLE_EQ(doc.channels[c].sample_rate, chans[c].rate);
        EXPECT_EQ(doc.channels[c].name, "ch" + std::to_string(c + 1));
        EXPECT_EQ(doc.channels[c].view_flag, c == 0 ? 1 : 0);
        ASSERT_TRUE(doc.channels[c].has_samples());
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(doc.channels[c].samples[i], chans[c].s[i]) << c << " " << i;  // floats are written as v / 32768
        EXPECT_TRUE(doc.channels[c].tiers[0].labels.empty() || c == 0);
    }
    if (form == Lmx::Mac) {
        ASSERT_EQ(doc.channels[0].mark_count(), 2);
        EXPECT_STREQ(doc.channels[0].marks[1].text, "bb");
        EXPECT_EQ(doc.channels[0].tiers[0].label_count(), 0);
    } else {
        const Tier& t = doc.channels[0].tiers[0];
        EXPECT_EQ(t.name, "Labels");
        ASSERT_EQ(t.label_count(), 2);
        EXPECT_EQ(t.in_use, 1);
        EXPECT_STREQ(t.labels[0].text, "a");
        EXPECT_EQ(t.labels[0].align, 2);  // 7 is outside 0 … 2
        EXPECT_EQ(t.labels[0].color, make_rgb(200, 100, 50));
        EXPECT_EQ(t.labels[0].placement, 0.0);
        EXPECT_FALSE(t.labels[0].add_line);
        EXPECT_EQ(t.labels[1].font.height, 18);  // 0 becomes 18
        EXPECT_EQ(t.height, 22);                 // the last label's height + 4
    }
}

TEST_P(Earlier, HostileCountsAreRefused) {
    const Lmx form = GetParam();
    const bool is_float = form == Lmx::Float || form == Lmx::Float24;
    const std::vector<LmxChannel> one{{8000, {1, 2, 3}, {}}};
    for (std::int32_t n : {20, -1}) {
        fx.prompts.events.clear();
        EXPECT_FALSE(open(lmx_file(form, one, n), "n.lmf"));
        EXPECT_EQ(messages(), std::vector<std::string>{earlier_text::kWrongChannelNumber});
        EXPECT_FALSE(fell_through());
    }
    // Sample count beyond the file.
    Bytes cut = lmx_file(form, one);
    cut.data.resize(cut.size() - 2);
    fx.prompts.events.clear();
    EXPECT_FALSE(open(cut, "cut.lmf"));
    ASSERT_EQ(messages().size(), 1u);
    if (is_float) EXPECT_EQ(messages()[0], earlier_text::kIncorrectData);
    else EXPECT_NE(messages()[0].find("cut.lmf"), std::string::npos);
    // A label count far beyond the file.
    Bytes labels = lmx_file(form, one);
    const std::size_t count_at = 512 + 92;
    for (int i = 0; i < 4; ++i) labels.data[count_at + i] = 0x40;
    fx.prompts.events.clear();
    EXPECT_FALSE(open(labels, "lab.lmf"));
    EXPECT_EQ(messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Forms, Earlier, ::testing::Values(Lmx::Pc, Lmx::Mac, Lmx::Float, Lmx::Float24),
                         [](const auto& info) { return lmx_name(info.param); });

TEST_F(Constructed, FloatFilesWithoutAudioMarkTheFastChannels) {
    ASSERT_TRUE(open(lmx_file(Lmx::Float, {{44100, {1}, {}, 0}, {2000, {1}, {}, 0}}), "d.lmf"));
    EXPECT_EQ(fx.doc->channels[0].channel_type, 1);
    EXPECT_EQ(fx.doc->channels[1].channel_type, 0);
}

// --- generic files -----------------------------------------------------------------

struct GenericCase {
    const char* label;
    GenericFileAnswers answers;
    std::string content;
    bool read;
    Samples want;
    const char* message;  // expected message part when not read
};
class Generic : public Constructed, public ::testing::WithParamInterface<GenericCase> {};

GenericFileAnswers ascii(int header = 0, bool eight = false) {
    return {header, 8000, 0, eight ? 0 : 1, 1};
}
GenericFileAnswers binary(int header, bool sixteen, bool high) { return {header, 8000, 1, sixteen ? 1 : 0, high ? 1 : 0}; }

TEST_P(Generic, ReadsWhatTheAnswersDescribe) {
    const GenericCase& c = GetParam();
    fx.prompts.generic_answers.push_back(c.answers);
    Bytes b;
    b.text(c.content);
    EXPECT_EQ(open(b, "g.txt"), c.read);
    if (c.read) {
        EXPECT_EQ(samples(), c.want);
        EXPECT_EQ(ch0().name, c.answers.integer_binary ? "int_binary file" : "ascii file");
        EXPECT_DOUBLE_EQ(ch0().sample_rate, 8000.0);
    } else {
        ASSERT_FALSE(messages().empty());
        EXPECT_NE(messages().back().find(c.message), std::string::npos) << messages().back();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Generic,
    ::testing::Values(
        GenericCase{"ascii_blank_line", ascii(), "100\n\n-5\n", true, {100, -5}, ""},
        GenericCase{"ascii_crlf_eight_bit", ascii(0, true), "1\r\n-2\r\n", true, {256, -512}, ""},
        GenericCase{"ascii_header_skipped", ascii(4), "HDR\n7\n8\n", true, {7, 8}, ""},
        GenericCase{"ascii_last_line_kept", ascii(), "1\n2", true, {1, 2}, ""},
        GenericCase{"ascii_long_line", ascii(), std::string(257, '1') + "\n", false, {}, "not a pure ascii"},
        GenericCase{"ascii_no_lines", ascii(), "\n\n\r\n", false, {}, "zero length"},
        GenericCase{"binary_high_first", binary(2, true, true), std::string("xx\x01\x02\xff\xfe", 6), true,
                    {0x0102, -2}, ""},
        GenericCase{"binary_low_first", binary(0, true, false), std::string("\x01\x02\xff\xfe", 4), true,
                    {0x0201, -257}, ""},
        GenericCase{"binary_eight_bit", binary(1, false, true), std::string("h\x80\xff\x00", 4), true,
                    {0, 32512, -32768}, ""},
        GenericCase{"binary_header_too_big", binary(10, true, true), "abcd", false, {}, "header size"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Constructed, EightBitBinaryOfAThousandBytes) {
    fx.prompts.generic_answers.push_back(binary(24, false, true));
    Bytes b;
    b.zeros(24);
    for (int i = 0; i < 1000; ++i) b.u8(static_cast<unsigned>(i));
    ASSERT_TRUE(open(b, "k.raw"));
    EXPECT_EQ(ch0().sample_count, 1000.0);
}

// --- acquisition hardware ----------------------------------------------------------

Bytes acquisition(bool big, std::int32_t header_len, std::int32_t version, const Samples& a, const Samples& b) {
    Bytes f;
    auto w = [&](std::int32_t v) { big ? f.i32be(v) : f.i32le(v); };
    w(header_len), w(version), w(3), w(0), w(20000), w(1000);
    w(static_cast<std::int32_t>(a.size() * 2)), w(static_cast<std::int32_t>(b.size() * 2));
    f.zeros(184 - f.size());
    w(1), w(0), w(1);  // channel 2 is off
    f.zeros(252 - f.size());
    w(1), w(2), w(5);
    f.zeros(320 - f.size());
    f.fixed("mic", 20).fixed("off", 20).fixed("flow", 20);
    f.zeros(660 - f.size());
    f.fixed("bits", 20).fixed("x", 20).fixed("l/s", 20);
    if (header_len == 6484) f.zeros(6484 - f.size());
    f.append(words(a, big).data).append(words(b, big).data);
    while (f.size() < 1700) f.u8(0);
    return f;
}

TEST_F(Constructed, AcquisitionFilesFillOneSlotPerEnabledChannel) {
    for (bool big : {false, true}) {
        const Samples a{1, -2, 3, 4000}, b{-5, 6};
        ASSERT_TRUE(open(acquisition(big, 6484, 10, a, b), "a.acq")) << big;
        const CMarbeckDoc& doc = *fx.doc;
        EXPECT_EQ(doc.format_name(), big ? "Multichannel acquisition (big-endian)" : "Multichannel acquisition (little-endian)");
        ASSERT_EQ(doc.channel_count, 2);
        EXPECT_EQ(doc.channels[0].name, "mic");
        EXPECT_EQ(doc.channels[0].channel_type, 1);
        EXPECT_DOUBLE_EQ(doc.channels[0].sample_rate, 20000.0);
        EXPECT_EQ(samples(), a);
        EXPECT_EQ(doc.channels[1].name, "flow");
        EXPECT_EQ(doc.channels[1].units, "l/s");
        EXPECT_EQ(doc.channels[1].bits, 12);
        EXPECT_EQ(doc.channels[1].channel_type, 0);
        EXPECT_DOUBLE_EQ(doc.channels[1].unit_factor, 5.0);
        ASSERT_EQ(doc.channels[1].sample_count, 2.0);
        EXPECT_EQ(doc.channels[1].samples[0], -5);
    }
    // Data sizes beyond the file.
    Bytes cut = acquisition(false, 6484, 10, {1, 2}, {3});
    cut.patch_u32le(24, 0x7FFFFFF0);
    fx.prompts.events.clear();
    EXPECT_FALSE(open(cut, "cut.acq"));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("cut.acq"), std::string::npos);
}

TEST_F(Constructed, VeryOldMacAcquisitionFileIsDeclinedWithItsMessage) {
    fx.prompts.events.clear();
    EXPECT_FALSE(open(acquisition(true, 1604, 200, {1}, {2}), "old.lmf"));
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages()[0], earlier_text::kOldMacLmf);
}

TEST_F(Constructed, DataChannelWith512ByteHeader) {
    auto file = [](std::int16_t bits, const Bytes& data, std::int32_t count, std::uint16_t rate = 2000,
                   std::int16_t interval_us = 500) {
        Bytes f;
        f.u16le(0).i32le(count).u16le(rate).zeros(16).i16le(bits).zeros(2).i16le(interval_us);
        f.zeros(512 - f.size()).append(data.data);
        return f;
    };
    ASSERT_TRUE(open(file(12, words({100, -100, 7}, false), 3), "d.dat"));
    EXPECT_EQ(fx.doc->format_name(), "Data channel (512-byte header)");
    EXPECT_EQ(samples(), (Samples{100, -100, 7}));
    EXPECT_EQ(ch0().channel_type, 0);
    EXPECT_EQ(ch0().aux_mode, 1);
    EXPECT_EQ(ch0().bits, 12);
    fx.fresh();  // the channel fills the next free slot of a document
    ASSERT_TRUE(open(file(8, Bytes().u8(5).u8(0xFB), 2), "e.dat"));
    EXPECT_EQ(samples(), (Samples{5, -5}));  // widened without scaling
    // A count beyond the samples in the file: not this format.
    EXPECT_FALSE(open(file(12, words({1}, false), 200), "f.dat"));
    EXPECT_TRUE(fell_through());
}

// The rate word is read unsigned: rates from 32,768 to 49,999 Hz (44.1 kHz
// with a 22 µs interval) open at their rate; 0 and 50,000 are not this format.
TEST_F(Constructed, DataChannelRateWordAboveASignedWord) {
    auto file = [](std::uint16_t rate) {
        Bytes f;
        f.u16le(0).i32le(2).u16le(rate).zeros(16).i16le(16).zeros(2).i16le(22);
        return f.zeros(512 - f.size()).append(words({3, -3}, false).data);
    };
    for (std::uint16_t rate : {32768, 44100, 49999}) {
        fx.fresh();
        ASSERT_TRUE(open(file(rate), "r.dat")) << rate;
        EXPECT_DOUBLE_EQ(ch0().sample_rate, rate);
        EXPECT_EQ(samples(), (Samples{3, -3}));
    }
    for (std::uint16_t rate : {0, 50000, 65535}) {
        fx.fresh();
        EXPECT_FALSE(open(file(rate), "r.dat")) << rate;
        EXPECT_TRUE(fell_through()) << rate;
    }
}


// --- the sample-rate rule, for every reader --------------------------------------

// How a format stores its rate, which decides the rates a header can hold.
enum class RateField { Real, Int32, UInt32 };

struct RateFormat {
    const char* label;
    RateField field;
    Bytes (*build)(double rate);  // a file of four samples at that rate
    bool generic = false;         // read through the generic dialog
};

const Samples kFour{100, -200, 300, -400};

Bytes ext80_any(double v) {
    if (std::isnan(v)) return Bytes().u16be(0x7FFF).u32be(0xC0000000u).u32be(0);
    if (std::isinf(v)) return Bytes().u16be(v > 0 ? 0x7FFF : 0xFFFF).u32be(0x80000000u).u32be(0);
    if (v == 0.0) return Bytes().zeros(10);
    Bytes b = ext80(std::fabs(v));
    if (v < 0) b.data[0] |= 0x80;
    return b;
}
// The Mac extended form has a little-endian header and big-endian samples.
Bytes native_file(const char* ident, bool big, double rate, bool big_samples) {
    Bytes f;
    f.fixed(ident, 512);
    f.data[big ? 11 : 8] = 1;
    f.append(lmx_header({rate, kFour, {}}, big, "mic").data);
    return f.append(words(kFour, big_samples).data);
}
Bytes wave_at(double rate) {
    const auto r = static_cast<std::uint32_t>(rate);
    Bytes b;
    b.text("RIFF").u32le(44).text("WAVE").text("fmt ").u32le(16).u16le(1).u16le(1).u32le(r).u32le(r * 2);
    b.u16le(2).u16le(16).text("data").u32le(8);
    return b.append(words(kFour, false).data);
}
Bytes ascii_samples() {
    Bytes b;
    for (auto v : kFour) b.text(std::to_string(v) + "\n");
    return b;
}

const RateFormat kRateFormats[] = {
    {"vxl_pc", RateField::Real, [](double r) { return native_file("VXL_PC", false, r, false); }},
    {"vxl_mac", RateField::Real, [](double r) { return native_file("VXL_Mac", true, r, true); }},
    {"vxl_macx", RateField::Real, [](double r) { return native_file("VXLMACX", false, r, true); }},
    {"lmx_pc", RateField::Real, [](double r) { return lmx_file(Lmx::Pc, {{r, kFour, {}}}); }},
    {"lmx_mac", RateField::Real, [](double r) { return lmx_file(Lmx::Mac, {{r, kFour, {}}}); }},
    {"lmx_float", RateField::Real, [](double r) { return lmx_file(Lmx::Float, {{r, kFour, {}}}); }},
    {"lmx_float24", RateField::Real, [](double r) { return lmx_file(Lmx::Float24, {{r, kFour, {}}}); }},
    {"wav", RateField::UInt32, wave_at},
    {"aiff", RateField::Real,
     [](double r) { return aiff_file(false, "", 1, 4, 16, ext80_any(r), words(kFour, true)); }},
    {"sphere", RateField::Int32,
     [](double r) {
         return sphere("sample_rate -i " + std::to_string(static_cast<long long>(r)) + "\nchannel_count -i 1\n",
                       "   1024", words(kFour, false));
     }},
    {"nsp", RateField::Int32,
     [](double r) {
         return nsp_file({nsp_chunk("HEDR", nsp_header(static_cast<std::int32_t>(r))), nsp_chunk("SDA_", nsp_data(kFour))});
     }},
    {"au", RateField::UInt32,
     [](double r) { return au_file(true, 24, 80, 3, static_cast<std::uint32_t>(r), 1, words(Samples(40, 5), true)); }},
    {"esps", RateField::Real, [](double r) { return esps_file(false, {0, 0, 0, 1, 0}, r, words(kFour, false)); }},
    {"acquisition", RateField::Int32,
     [](double r) {
         Bytes f = acquisition(false, 6484, 10, kFour, {});
         f.patch_u32le(16, static_cast<std::uint32_t>(static_cast<std::int32_t>(r)));
         return f;
     }},
    {"generic_binary", RateField::Int32, [](double) { return words(kFour, true); }, true},
    {"generic_ascii", RateField::Int32, [](double) { return ascii_samples(); }, true},
};

struct RateCase {
    const RateFormat* format;
    double rate;
    bool usable;
};

bool holds(RateField field, double r) {
    if (field == RateField::Real) return true;
    if (!std::isfinite(r) || r != std::floor(r)) return false;
    return field == RateField::Int32 ? r >= -2147483648.0 && r <= 2147483647.0 : r >= 0.0 && r <= 4294967295.0;
}

std::vector<RateCase> rate_cases() {
    const double refused[] = {0.0, -8000.0, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                              1e300, 1e-300, 0.5, 1000001.0, 2147483647.0, 4294959296.0 /* -8000 as 32 bits */};
    std::vector<RateCase> out;
    for (const RateFormat& f : kRateFormats) {
        for (double r : refused)
            if (holds(f.field, r)) out.push_back({&f, r, false});
        out.push_back({&f, 1.0, true});  // both ends of the range are usable
        out.push_back({&f, 1000000.0, true});
    }
    return out;
}

std::string rate_case_name(const ::testing::TestParamInfo<RateCase>& info) {
    const double r = info.param.rate;
    std::string v = std::isnan(r) ? "nan" : std::isinf(r) ? (r > 0 ? "inf" : "minus_inf") : "";
    if (v.empty()) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", std::fabs(r));
        v = (r < 0 ? "minus_" : "") + std::string(text);
        for (char& c : v)
            if (c == '.' || c == '+' || c == '-') c = '_';
    }
    return std::string(info.param.format->label) + "_" + v + "_" + std::to_string(info.index);
}

class RateRule : public Constructed, public ::testing::WithParamInterface<RateCase> {};

TEST_P(RateRule, RatesOutsideOneHertzToOneMegahertzAreRefusedAtOpen) {
    const RateCase& c = GetParam();
    if (c.format->generic) {
        GenericFileAnswers a = c.format->label == std::string("generic_ascii") ? ascii() : binary(0, true, true);
        a.sample_rate_hz = static_cast<int>(c.rate);
        fx.prompts.generic_answers.push_back(a);
    }
    const bool read = open(c.format->build(c.rate), "rate.bin");
    ASSERT_EQ(read, c.usable) << messages().size();
    if (c.usable) {
        EXPECT_DOUBLE_EQ(ch0().sample_rate, c.rate);
        EXPECT_EQ(samples()[1], c.format->label == std::string("au") ? 5 : -200);
        EXPECT_TRUE(messages().empty());
        return;
    }
    // One message naming the file and the rule; no other reader or the
    // generic dialog is offered the file.
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("'rate.bin'"), std::string::npos) << messages()[0];
    EXPECT_NE(messages()[0].find("sample rate"), std::string::npos) << messages()[0];
    EXPECT_EQ(fx.prompts.count(ScriptedPrompts::Event::GenericFile), c.format->generic ? 1 : 0);
    EXPECT_EQ(fx.doc->loaded, 0);
    EXPECT_FALSE(ch0().has_samples());
}

INSTANTIATE_TEST_SUITE_P(EveryReader, RateRule, ::testing::ValuesIn(rate_cases()), rate_case_name);

}  // namespace
}  // namespace vox
