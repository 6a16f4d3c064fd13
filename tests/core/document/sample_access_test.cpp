// The document's one access to samples: the same answers from memory and
// from the raw file, extremes and bucket summaries checked against a plain
// scan, and nothing read outside the channel.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <vector>

#include "core/document/channel_analysis.h"
#include "core/document/sample_access.h"
#include "core/io/binary_file.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

std::vector<std::int16_t> noise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<std::int16_t> s(n);
    // Louder towards the end, so that extremes differ between buckets.
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<std::int16_t>(d(rng) * double(i + 1) / double(n));
    return s;
}

std::string write_raw(const test::ScratchDir& dir, const std::vector<std::int16_t>& s, const char* name = "s.raw") {
    std::vector<unsigned char> bytes(s.size() * 2);
    for (std::size_t i = 0; i < s.size(); ++i) put_u16le(&bytes[2 * i], static_cast<std::uint16_t>(s[i]));
    const std::string path = dir.file(name);
    test::write_file(path, bytes);
    return path;
}

// One channel of three interleaved 16-bit channels after a 44-byte header:
// the other channels and the header hold values the channel never has. With
// `tail` a 12-byte chunk follows the frames; without it the file ends one
// sample into a further frame (a partial frame).
std::string write_interleaved(const test::ScratchDir& dir, const std::vector<std::int16_t>& s, bool tail) {
    test::Bytes b;
    b.zeros(44);
    for (auto& byte : b.data) byte = 0x7F;
    for (std::int16_t v : s) b.i16le(0x7FFF).i16le(v).i16le(-0x8000);
    if (tail)
        b.text("LIST").u32le(4).text("junk");
    else
        b.i16le(0x7FFF);
    const std::string path = dir.file("frames.wav");
    test::write_file(path, b.data);
    return path;
}

enum class Held { Memory, MemorySummary, File, FileSummary, Frames, FramesSummary, FramesCut };

class SampleAccess : public ::testing::TestWithParam<Held> {
protected:
    void SetUp() override {
        x = noise(200'003, 11);
        const Held h = GetParam();
        if (h == Held::Memory || h == Held::MemorySummary)
            src = ChannelSamples::memory(x.data(), x.size());
        else if (h == Held::File || h == Held::FileSummary)
            src = ChannelSamples::raw_file(write_raw(dir, x), x.size() + 50);  // the file holds fewer
        else if (h == Held::FramesCut)  // announces more than the whole frames hold
            src = ChannelSamples::in_file(write_interleaved(dir, x, false), 46, 6, x.size() + 1);
        else  // the count stops the reads before the chunk after the frames
            src = ChannelSamples::in_file(write_interleaved(dir, x, true), 46, 6, x.size());
        if (h == Held::MemorySummary || h == Held::FileSummary || h == Held::FramesSummary) {
            ASSERT_TRUE(src.build_summary());
        }
    }
    test::ScratchDir dir;
    std::vector<std::int16_t> x;
    ChannelSamples src;
};

TEST_P(SampleAccess, ReadsStretchesAndNeverPastTheEnd) {
    ASSERT_EQ(src.count(), x.size());
    ASSERT_TRUE(src.readable());
    std::vector<std::int16_t> got(70'000);
    for (std::uint64_t start : {0ull, 1ull, 99'999ull, 130'003ull}) {
        ASSERT_TRUE(src.read(start, got.size(), got.data())) << start;
        ASSERT_TRUE(std::equal(got.begin(), got.end(), x.begin() + static_cast<std::ptrdiff_t>(start))) << start;
    }
    EXPECT_FALSE(src.read(130'004, got.size(), got.data()));
    EXPECT_FALSE(src.read(~0ull - 5, 10, got.data()));  // start + n wraps around
    EXPECT_TRUE(src.read(x.size(), 0, got.data()));
}

TEST_P(SampleAccess, ExtremesAndBucketsMatchAPlainScan) {
    auto scan = [&](std::uint64_t s0, std::uint64_t n) {
        const auto [a, b] = std::minmax_element(x.begin() + static_cast<std::ptrdiff_t>(s0),
                                                x.begin() + static_cast<std::ptrdiff_t>(s0 + n));
        return SampleExtent{*a, *b};
    };
    for (auto [s0, n] : {std::pair<std::uint64_t, std::uint64_t>{0, 1}, {3, 511}, {255, 513}, {1000, 150'000},
                         {199'000, 1003}}) {
        std::int16_t lo = 0, hi = 0;
        ASSERT_TRUE(src.min_max(s0, n, lo, hi));
        const SampleExtent want = scan(s0, n);
        EXPECT_EQ(lo, want.lo) << s0 << "+" << n;
        EXPECT_EQ(hi, want.hi) << s0 << "+" << n;
    }
    std::int16_t lo, hi;
    EXPECT_FALSE(src.min_max(x.size() - 2, 3, lo, hi));
    EXPECT_FALSE(src.min_max(0, 0, lo, hi));

    // Buckets: 777 over the whole channel, a fractional start, and a window
    // reaching past the end (buckets there are left out).
    for (auto [first, span, buckets] : {std::tuple{0.0, double(x.size()), 777}, std::tuple{1234.5, 150'000.0, 1000},
                                        std::tuple{190'000.0, 20'000.0, 100}}) {
        const auto sum = src.summary(first, span, buckets);
        const double r = span / buckets;
        const std::uint64_t per = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(r));
        std::size_t expected = 0;
        for (int b = 0; b < buckets; ++b) {
            const std::uint64_t s0 = static_cast<std::uint64_t>(first + std::trunc(b * r));
            if (s0 >= x.size()) break;
            ++expected;
            const SampleExtent want = scan(s0, std::min<std::uint64_t>(per, x.size() - s0));
            ASSERT_LT(std::size_t(b), sum.size());
            EXPECT_EQ(sum[std::size_t(b)].lo, want.lo) << b;
            EXPECT_EQ(sum[std::size_t(b)].hi, want.hi) << b;
        }
        EXPECT_EQ(sum.size(), expected);
    }
    EXPECT_TRUE(src.summary(0, 0, 10).empty());
    EXPECT_TRUE(src.summary(-1, 10, 10).empty());
}

TEST_P(SampleAccess, AnalysesReadTheSameSamplesThroughASource) {
    SampleSource s = SampleSource::over(src.clone());
    std::vector<std::int16_t> got(x.size());
    ASSERT_EQ(s.copy(0, got.size() + 10, got.data()), x.size());
    EXPECT_EQ(got, x);
    SampleSource other = s.clone();
    std::size_t avail = 0;
    const std::int16_t* p = other.span(199'990, 100, avail);
    ASSERT_EQ(avail, 13u);
    EXPECT_TRUE(std::equal(p, p + avail, x.end() - 13));
}

INSTANTIATE_TEST_SUITE_P(Held, SampleAccess,
                         ::testing::Values(Held::Memory, Held::MemorySummary, Held::File, Held::FileSummary,
                                           Held::Frames, Held::FramesSummary, Held::FramesCut));

// A file cut short after it was opened: reads of what is gone fail (the
// analyses then stop with a read error), what is left still reads, nothing
// crashes; the same for a raw file and for one channel of interleaved frames.
// A stretch copied into a file as 16-bit little-endian values, one second
// per progress step, whatever holds the samples; a cancel stops it after
// that step and a stretch past the end writes nothing.
TEST_P(SampleAccess, WritesAStretchAsLittleEndianOneSecondPerStep) {
    constexpr std::uint64_t kStart = 1234, kCount = 150'000;
    constexpr double kRate = 16000.0;  // 9.375 s: ten writes
    const std::string out_path = dir.file("out.raw");
    {
        BinaryFile out;
        ASSERT_TRUE(out.open(out_path, BinaryFile::Mode::Write));
        ScriptedProgress progress;
        EXPECT_EQ(src.write_le16(out, kStart, kCount, kRate, &progress, "copy"), CopyOutcome::Done);
        EXPECT_EQ(progress.steps, 10);
        EXPECT_EQ(progress.opened, 1);
        EXPECT_EQ(progress.closed, 1);
        ASSERT_TRUE(out.close());
    }
    const auto bytes = test::read_file(out_path);
    ASSERT_EQ(bytes.size(), kCount * 2);
    std::size_t wrong = 0;
    for (std::uint64_t i = 0; i < kCount; ++i) wrong += get_i16le(&bytes[2 * i]) != x[kStart + i];
    EXPECT_EQ(wrong, 0u);

    BinaryFile out;
    ASSERT_TRUE(out.open(out_path, BinaryFile::Mode::Write));
    ScriptedProgress cancelling(3);
    EXPECT_EQ(src.write_le16(out, kStart, kCount, kRate, &cancelling, "copy"), CopyOutcome::Cancelled);
    EXPECT_EQ(out.length(), 3u * 16000 * 2);
    EXPECT_EQ(src.write_le16(out, x.size() - 10, 11, kRate, nullptr, "copy"), CopyOutcome::Failed);
    EXPECT_EQ(out.length(), 3u * 16000 * 2);
}

TEST(SampleAccessFile, AFileCutShortAfterOpeningFailsTheReadsPastTheCut) {
    test::ScratchDir dir;
    const auto x = noise(100'000, 5);
    for (const bool frames : {false, true}) {
        const std::string path = frames ? write_interleaved(dir, x, true) : write_raw(dir, x);
        const ChannelSamples src =
            frames ? ChannelSamples::in_file(path, 46, 6, x.size()) : ChannelSamples::raw_file(path, x.size());
        std::vector<std::int16_t> got(x.size());
        ASSERT_TRUE(src.read(0, got.size(), got.data())) << frames;
        ASSERT_EQ(got, x) << frames;
        // 1000 samples' worth; the frames end one byte into sample 999.
        const std::uint64_t keep = frames ? 46 + 6 * 999 + 1 : 2 * 1000;
        std::filesystem::resize_file(path, keep);
        EXPECT_EQ(src.count(), x.size()) << "counted when opened";
        EXPECT_FALSE(src.read(0, got.size(), got.data())) << frames;
        EXPECT_FALSE(src.read(999, 2, got.data())) << frames;
        ASSERT_TRUE(src.read(10, 980, got.data())) << frames;
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + 980, x.begin() + 10)) << frames;
        // A fresh opening counts what is left.
        const ChannelSamples again =
            frames ? ChannelSamples::in_file(path, 46, 6, x.size()) : ChannelSamples::raw_file(path, x.size());
        EXPECT_EQ(again.count(), frames ? 999u : 1000u) << "sample 999 lacks its second byte";
    }
}

TEST(SampleAccessFile, PlaceInTheFileMakesDifferentSamples) {
    const auto a = ChannelSamples::in_file("f.wav", 46, 6, 10);
    EXPECT_TRUE(a.same_samples(ChannelSamples::in_file("f.wav", 46, 6, 10)));
    EXPECT_FALSE(a.same_samples(ChannelSamples::in_file("f.wav", 44, 6, 10)));
    EXPECT_FALSE(a.same_samples(ChannelSamples::in_file("f.wav", 46, 4, 10)));
    EXPECT_FALSE(ChannelSamples::raw_file("f.wav", 10).same_samples(ChannelSamples::in_file("f.wav", 0, 4, 10)));
    EXPECT_EQ(ChannelSamples::in_file("f.wav", 0, 1, 10).count(), 0u) << "a stride below one sample holds nothing";
}

TEST(SampleAccessDocument, AChannelIsReadWhereverItsSamplesAre) {
    test::DocFixture f;
    CMarbeckDoc& doc = *f.doc;
    const auto x = noise(5000, 3);
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(8000.0, double(x.size()));
    ch.allocate_samples(x.size());
    std::copy(x.begin(), x.end(), ch.samples.data());
    doc.channel_count = 1;

    const ChannelSamples mem = doc.samples(0);
    EXPECT_TRUE(mem.in_memory());
    EXPECT_FALSE(doc.samples_on_disk());
    EXPECT_EQ(mem.count(), x.size());  // not the 10 spare samples of the block

    ch.samples.reset();
    EXPECT_FALSE(doc.samples(0).held());
    doc.adopt_sample_file(write_raw(f.dir, x));
    const ChannelSamples disk = doc.samples(0);
    EXPECT_TRUE(doc.samples_on_disk());
    EXPECT_FALSE(disk.in_memory());
    EXPECT_FALSE(disk.same_samples(mem));
    std::vector<std::int16_t> got(x.size());
    ASSERT_TRUE(doc.read_audio(0, x.size(), got.data()));
    EXPECT_EQ(got, x);

    // Only the audio channel lives in the file; other channels and
    // positions outside the twenty slots hold nothing.
    EXPECT_FALSE(doc.samples(1).held());
    EXPECT_FALSE(doc.samples(-1).held());
    EXPECT_FALSE(doc.samples(kMaxChannels).held());
    EXPECT_THROW(channel_source(doc, 1), SampleReadError);
}

TEST(SampleAccessDocument, AMissingFileIsUnreadableAndAbandonsAnalysis) {
    test::DocFixture f;
    CMarbeckDoc& doc = *f.doc;
    doc.channels[0].set_foreign_audio(8000.0, 4000.0);
    doc.channels[0].samples.reset();
    doc.adopt_sample_file(f.dir.file("absent.raw"));
    const ChannelSamples s = doc.samples(0);
    EXPECT_TRUE(s.held());
    EXPECT_FALSE(s.readable());
    EXPECT_EQ(s.count(), 0u);
    std::int16_t v;
    EXPECT_FALSE(doc.read_audio(0, 1, &v));
    SampleSource src = channel_source(doc, 0);
    std::size_t avail = 0;
    EXPECT_THROW(src.span(0, 10, avail), SampleReadError);
}

}  // namespace
}  // namespace vox
