// A long 16-bit WAV read in place (no private copy of its samples): the same
// samples and analyses as the copy, other encodings still copied, and the
// recording never written, replaced or removed by the document, whatever
// edit, undo or save follows.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/document/channel_analysis.h"
#include "core/document/doc_edit.h"
#include "core/document/undo_file.h"
#include "core/formats/open_document.h"
#include "core/io/binary_file.h"
#include "tests/core/dsp/synth.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

using test::Bytes;
using test::DocFixture;

constexpr std::uint32_t kRate = 16000;

// A WAV file of 16-bit frames; channel c of frame i is frames[c][i]. The
// block alignment may be wider than the samples (padding bytes of 0x55 at
// the end of each frame); `after` is appended behind the data chunk.
std::vector<unsigned char> wav_of(const std::vector<std::vector<std::int16_t>>& frames, unsigned block_align = 0,
                                  const std::vector<unsigned char>& after = {}) {
    const unsigned channels = static_cast<unsigned>(frames.size());
    if (block_align == 0) block_align = 2 * channels;
    const std::size_t n = frames[0].size();
    const auto data_bytes = static_cast<std::uint32_t>(n * block_align);
    Bytes b;
    b.text("RIFF").u32le(static_cast<std::uint32_t>(36 + data_bytes + after.size())).text("WAVE");
    b.text("fmt ").u32le(16).u16le(1).u16le(channels).u32le(kRate).u32le(kRate * block_align);
    b.u16le(block_align).u16le(16);
    b.text("data").u32le(data_bytes);
    for (std::size_t i = 0; i < n; ++i) {
        for (unsigned c = 0; c < channels; ++c) b.i16le(frames[c][i]);
        for (unsigned k = 2 * channels; k < block_align; ++k) b.u8(0x55);
    }
    b.append(after);
    return b.data;
}

std::vector<std::int16_t> voice(double seconds = 0.6) {
    return test::synth_voice(kRate, seconds, [](double t) { return t < 0.1 ? 0.0 : 120.0 + 100.0 * t; },
                             {{700, 90}, {1200, 110}}, 14000);
}

std::vector<std::int16_t> scaled(const std::vector<std::int16_t>& x, double g) {
    std::vector<std::int16_t> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) y[i] = static_cast<std::int16_t>(x[i] * g);
    return y;
}

// Opens `path` as a long recording, read in place or copied; `channel` is
// the answer to the channel question of a multichannel file.
CMarbeckDoc& open_long(DocFixture& f, const std::string& path, bool in_place, int channel = 0) {
    f.services.samples_in_place = in_place;
    CMarbeckDoc& doc = f.fresh();
    doc.options.long_file_minutes = 0;  // every recording stays on disk
    f.prompts.channel_choices.clear();
    f.prompts.channel_choices.push_back(channel);
    EXPECT_TRUE(open_document(doc, path)) << path;
    EXPECT_TRUE(doc.samples_on_disk());
    return doc;
}

std::size_t files_in(const test::ScratchDir& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++n;
    return n;
}

// --- layouts read in place ---------------------------------------------------------

struct Layout {
    const char* name;
    int channels;
    int chosen;
    unsigned block_align;  // 0: no padding
};

class InPlace : public ::testing::TestWithParam<Layout> {
protected:
    void SetUp() override {
        const Layout l = GetParam();
        x = voice();
        std::vector<std::vector<std::int16_t>> frames;
        for (int c = 0; c < l.channels; ++c) frames.push_back(c == l.chosen ? x : scaled(x, -0.5 - 0.1 * c));
        bytes = wav_of(frames, l.block_align);
        wav = fx.dir.file("rec.wav");
        test::write_file(wav, bytes);
    }
    DocFixture fx;
    std::vector<std::int16_t> x;
    std::vector<unsigned char> bytes;
    std::string wav;
};

TEST_P(InPlace, ReadsTheChosenChannelWithoutACopyAndAnalysesAsTheCopy) {
    std::vector<std::int16_t> copied_samples;
    PitchOutcome copied_pitch[2];
    std::vector<double> copied_level;
    for (const bool in_place : {false, true}) {
        CMarbeckDoc& doc = open_long(fx, wav, in_place, GetParam().chosen);
        EXPECT_EQ(doc.sample_file_borrowed(), in_place);
        // The copy is the one extra file; in place there is none.
        EXPECT_EQ(files_in(fx.dir), in_place ? 1u : 2u);
        ASSERT_EQ(test::audio_samples(doc), x);

        NullProgress progress;
        PitchOutcome pitch[2];
        for (int m = 0; m < 2; ++m) {
            PitchOptions po = doc.options.pitch;
            po.cepstral = m == 0 ? 1 : kPitchMethodAmdf;
            pitch[m] = ComputePitch(doc, 0, 0, 0, po, progress);
            ASSERT_TRUE(pitch[m].track) << m;
        }
        ASSERT_TRUE(ComputeChannelIntensity(doc, 0, doc.options.intensity, progress));
        const CChannels& ch = doc.channels[0];
        std::vector<double> level(static_cast<std::size_t>(ch.intensity_count));
        for (std::size_t i = 0; i < level.size(); ++i) level[i] = ch.intensity[i];
        if (!in_place) {
            copied_samples = test::audio_samples(doc);
            copied_pitch[0] = pitch[0];
            copied_pitch[1] = pitch[1];
            copied_level = level;
            continue;
        }
        for (int m = 0; m < 2; ++m) {
            EXPECT_EQ(pitch[m].track->f0, copied_pitch[m].track->f0) << m;
            EXPECT_EQ(pitch[m].track->time_ms(5), copied_pitch[m].track->time_ms(5)) << m;
        }
        EXPECT_EQ(level, copied_level);
        int voiced = 0;
        for (double f0 : pitch[1].track->f0) voiced += f0 > 0.0;
        EXPECT_GT(voiced, 20) << "the tracks compared hold a voice";
    }
    fx.doc.reset();
    EXPECT_EQ(test::read_file(wav), bytes) << "the recording is untouched and still there";
    EXPECT_EQ(files_in(fx.dir), 1u) << "no temporary file left behind";
}

INSTANTIATE_TEST_SUITE_P(Wave, InPlace,
                         ::testing::Values(Layout{"Mono", 1, 0, 0}, Layout{"StereoLeft", 2, 0, 0},
                                           Layout{"StereoRight", 2, 1, 0}, Layout{"ThreeOfFourPadded", 3, 2, 8}),
                         [](const auto& i) { return std::string(i.param.name); });

// --- what keeps the copy ---------------------------------------------------------

struct Kept {
    const char* name;
    unsigned tag, bits;
    bool long_file;
};

class KeepsTheCopy : public ::testing::TestWithParam<Kept> {};

TEST_P(KeepsTheCopy, OtherEncodingsAndShortFilesAreNotReadInPlace) {
    const Kept k = GetParam();
    DocFixture f;
    const unsigned width = k.bits / 8;
    Bytes b;
    const std::uint32_t n = 4000;
    b.text("RIFF").u32le(36 + n * width).text("WAVE");
    b.text("fmt ").u32le(16).u16le(k.tag).u16le(1).u32le(kRate).u32le(kRate * width).u16le(width).u16le(k.bits);
    b.text("data").u32le(n * width);
    for (std::uint32_t i = 0; i < n; ++i) {
        const int v = static_cast<int>(i % 200) * 100 - 10000;
        if (k.tag == 3) b.f32le(static_cast<float>(v / 32768.0));
        else if (k.bits == 8) b.u8(static_cast<unsigned>(v / 256 + 128));
        else if (k.bits == 16) b.i16le(v);
        else b.u8(0).i16le(v);  // 24-bit: the top two bytes carry v
    }
    const std::string path = f.dir.file("k.wav");
    test::write_file(path, b.data);
    f.services.samples_in_place = true;
    CMarbeckDoc& doc = f.fresh();
    doc.options.long_file_minutes = k.long_file ? 0 : 1000;
    ASSERT_TRUE(open_document(doc, path));
    EXPECT_FALSE(doc.sample_file_borrowed());
    EXPECT_EQ(doc.samples_on_disk(), k.long_file);
    const auto s = test::audio_samples(doc);
    ASSERT_EQ(s.size(), n);
    EXPECT_EQ(s[150], k.bits == 8 ? 4864 : 5000);  // 8 bits keep the top byte of 5000
}

INSTANTIATE_TEST_SUITE_P(Wave, KeepsTheCopy,
                         ::testing::Values(Kept{"EightBit", 1, 8, true}, Kept{"TwentyFourBit", 1, 24, true},
                                           Kept{"Float", 3, 32, true}, Kept{"ShortSixteenBit", 1, 16, false}),
                         [](const auto& i) { return std::string(i.param.name); });

// --- the data chunk's bounds ------------------------------------------------------

TEST(InPlaceBounds, ReadsStopAtTheDataChunkAndAtTheFilesEnd) {
    DocFixture f;
    const auto x = voice(0.2);
    // A chunk after the data: its bytes are never samples.
    Bytes tail;
    tail.text("LIST").u32le(8).text("abcdefgh");
    const std::string a = f.dir.file("a.wav");
    test::write_file(a, wav_of({x, x}, 0, tail.data));
    CMarbeckDoc& doc = open_long(f, a, true, 1);
    ASSERT_TRUE(doc.sample_file_borrowed());
    EXPECT_EQ(test::audio_samples(doc), x);
    std::int16_t past;
    EXPECT_FALSE(doc.read_audio(x.size(), 1, &past));

    // A data size beyond the end of the file (cut in the middle of a frame):
    // the whole frames that are there.
    auto cut = wav_of({x, x});
    cut.resize(cut.size() - 2 * 4 * 100 - 3);
    const std::string b = f.dir.file("b.wav");
    test::write_file(b, cut);
    CMarbeckDoc& short_doc = open_long(f, b, true, 1);
    ASSERT_TRUE(short_doc.sample_file_borrowed());
    const auto got = test::audio_samples(short_doc);
    ASSERT_EQ(got.size(), x.size() - 200 - 1);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), x.begin()));
}

// --- writes never reach the recording ------------------------------------------

enum class Write { ReferenceGain, Smoothing, UndoAfterAnEdit, UndoAlone };

class InPlaceWrite : public ::testing::TestWithParam<Write> {};

TEST_P(InPlaceWrite, TheDocumentTakesItsOwnCopyAndTheRecordingStays) {
    DocFixture f;
    const auto x = voice(0.3);
    const auto bytes = wav_of({scaled(x, 0.25), x});
    const std::string wav = f.dir.file("r.wav");
    test::write_file(wav, bytes);
    UndoFile undo{UndoFile::name_for(f.dir.path().string(), "r")};

    // The same write on the copied document gives the samples expected.
    std::vector<std::int16_t> expected;
    for (const bool in_place : {false, true}) {
        CMarbeckDoc& doc = open_long(f, wav, in_place, 1);
        ASSERT_EQ(doc.sample_file_borrowed(), in_place);
        switch (GetParam()) {
            case Write::ReferenceGain:
                ASSERT_TRUE(apply_reference_gain(doc, 100.0, 50.0));
                break;
            case Write::Smoothing:
                doc.channels[0].smooth_on = 1;
                doc.channels[0].smooth_points = 7;
                ASSERT_TRUE(smooth_channels(doc));
                break;
            case Write::UndoAfterAnEdit:
                ASSERT_TRUE(undo.save(doc));
                ASSERT_TRUE(apply_reference_gain(doc, 0.0, -50.0));
                ASSERT_EQ(undo.restore(doc, false), UndoFile::Restore::Restored);
                break;
            case Write::UndoAlone:
                // The restore replaces the sample file it finds: here the
                // recording itself.
                ASSERT_TRUE(undo.save(doc));
                ASSERT_EQ(undo.restore(doc, false), UndoFile::Restore::Restored);
                break;
        }
        EXPECT_FALSE(doc.sample_file_borrowed());
        EXPECT_EQ(test::read_file(wav), bytes) << "the recording is never written";
        if (!in_place) {
            expected = test::audio_samples(doc);
        } else {
            EXPECT_EQ(test::audio_samples(doc), expected);
        }
    }
    EXPECT_NE(expected, std::vector<std::int16_t>{});
    if (GetParam() == Write::UndoAfterAnEdit || GetParam() == Write::UndoAlone) {
        EXPECT_EQ(expected, x);
    }
    f.doc.reset();
    EXPECT_EQ(test::read_file(wav), bytes) << "and never removed";
}

INSTANTIATE_TEST_SUITE_P(Document, InPlaceWrite,
                         ::testing::Values(Write::ReferenceGain, Write::Smoothing, Write::UndoAfterAnEdit,
                                           Write::UndoAlone));

TEST(InPlaceSave, SavingOverTheRecordingKeepsTheDocumentsSamples) {
    DocFixture f;
    const auto x = voice(0.3);
    const std::string wav = f.dir.file("s.wav");
    test::write_file(wav, wav_of({scaled(x, 0.5), x}));
    CMarbeckDoc& doc = open_long(f, wav, true, 1);
    ASSERT_TRUE(doc.sample_file_borrowed());
    // The person saves channel 2 over the stereo file it is read from.
    ASSERT_TRUE(doc.write_wave(wav, false));
    EXPECT_FALSE(doc.sample_file_borrowed());
    EXPECT_EQ(test::audio_samples(doc), x) << "not the frames of the new file read with the old layout";
    EXPECT_EQ(test::read_file(wav), wav_of({x}));
}

}  // namespace
}  // namespace vox
