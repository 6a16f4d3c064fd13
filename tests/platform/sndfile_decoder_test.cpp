// Compressed and container formats decoded through the library: samples as
// sox decodes them (FLAC exactly, Ogg Vorbis to within one step), the
// lossless containers equal to the samples written, and files the library
// does not know refused.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/io/binary_file.h"
#include "platform/sndfile_decoder.h"
#include "tests/support/test_support.h"

namespace vox {
namespace {

constexpr int kRate = 16000, kChannels = 2;

class SndfileDecoding : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!test::have_program("sox")) GTEST_SKIP() << "sox is not installed";
        // Two tones, one per channel, at 16 kHz for 1 s, 16-bit.
        source = dir.file("source.wav");
        ASSERT_EQ(test::run_shell("sox -n -r 16000 -b 16 -c 2 '" + source +
                                  "' synth 1 sine 300 sine 500 gain -3 2>&1")
                      .rc,
                  0);
    }

    // What sox makes of a file: interleaved 16-bit samples, no dither.
    std::vector<std::int16_t> sox_samples(const std::string& path) {
        const std::string raw = dir.file("sox.raw");
        const auto r = test::run_shell("sox -D '" + path + "' -t raw -e signed -b 16 -L '" + raw + "' 2>&1");
        EXPECT_EQ(r.rc, 0) << r.out;
        const auto bytes = test::read_file(raw);
        std::vector<std::int16_t> s(bytes.size() / 2);
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = get_i16le(&bytes[2 * i]);
        return s;
    }

    std::vector<std::int16_t> decoded(const std::string& path, std::string* format = nullptr) {
        SndfileDecoder dec;
        auto f = dec.open(path);
        EXPECT_TRUE(f) << path;
        if (!f) return {};
        EXPECT_EQ(f->rate(), kRate);
        EXPECT_EQ(f->channels(), kChannels);
        if (format) *format = f->format_name();
        std::vector<std::int16_t> out;
        std::vector<std::int16_t> buf(1000 * kChannels);
        for (std::size_t n; (n = f->read(buf.data(), 1000)) > 0;) out.insert(out.end(), buf.begin(), buf.begin() + n * kChannels);
        EXPECT_FALSE(f->failed());
        return out;
    }

    test::ScratchDir dir;
    std::string source;
};

TEST_P(SndfileDecoding, SamplesAreAsSoxDecodesThem) {
    const std::string ext = GetParam();
    const std::string path = dir.file(std::string("coded.") + ext);
    ASSERT_EQ(test::run_shell("sox '" + source + "' '" + path + "' 2>&1").rc, 0);
    std::string format;
    const auto ours = decoded(path, &format);
    const auto sox = sox_samples(path);
    ASSERT_EQ(ours.size(), sox.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) worst = std::max(worst, std::abs(ours[i] - sox[i]));
    // FLAC is lossless and integer: exact. Vorbis decodes to floating
    // point; the two conversions to 16 bits may round apart by a step.
    EXPECT_LE(worst, ext == std::string("flac") ? 0 : 1) << format;
    EXPECT_NE(format.find(ext == std::string("flac") ? "FLAC" : "OGG"), std::string::npos) << format;
}

INSTANTIATE_TEST_SUITE_P(Formats, SndfileDecoding, ::testing::Values("flac", "ogg"));

class LosslessContainers : public SndfileDecoding {};

TEST_P(LosslessContainers, HoldTheSamplesWritten) {
    const std::string path = dir.file(std::string("coded.") + GetParam());
    ASSERT_EQ(test::run_shell("sox '" + source + "' '" + path + "' 2>&1").rc, 0);
    EXPECT_EQ(decoded(path), sox_samples(source));
}

INSTANTIATE_TEST_SUITE_P(Formats, LosslessContainers, ::testing::Values("w64", "caf"));

TEST(SndfileDecoder, RefusesWhatItDoesNotKnow) {
    test::ScratchDir dir;
    const std::string path = dir.file("text.flac");
    const std::string text = "not audio at all, whatever the name says";
    test::write_file(path, std::vector<unsigned char>(text.begin(), text.end()));
    SndfileDecoder dec;
    EXPECT_EQ(dec.open(path), nullptr);
    EXPECT_EQ(dec.open(dir.file("missing.ogg")), nullptr);
}

}  // namespace
}  // namespace vox
