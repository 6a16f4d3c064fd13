// The AMDF tracker on strictly periodic signals and high voices: the octave
// check must work when the minimum is 0, and nothing may blend values an
// octave apart.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/dsp/amdf_reader.h"
#include "core/dsp/math_func.h"
#include "tests/core/dsp/synth.h"

namespace vox {
namespace {

struct Periodic {
    double fs, f0;
    bool sawtooth;  // else a glottal voice
};
class AmdfPeriodic : public ::testing::TestWithParam<Periodic> {};

// A strictly periodic signal puts an AMDF minimum of about 0 at every
// multiple of the period; the old octave check (2·AMDF(f/2) < 3·m) could
// then never pass and a 150 Hz sawtooth at 10 kHz was unvoiced everywhere.
TEST_P(AmdfPeriodic, IsVoicedAtItsOwnF0) {
    const Periodic c = GetParam();
    std::vector<std::int16_t> x;
    if (c.sawtooth) {
        x.resize(static_cast<std::size_t>(c.fs));
        for (std::size_t i = 0; i < x.size(); ++i)
            x[i] = static_cast<std::int16_t>(std::lround(20000.0 * (2.0 * std::fmod(c.f0 * i / c.fs, 1.0) - 1.0)));
    } else {
        test::VoiceSpec v;
        v.fs = c.fs;
        v.seconds = 1.0;
        v.f0 = [&](double) { return c.f0; };
        v.formants = {{800, 90}, {1300, 110}, {2700, 160}};
        v.glottis = test::Glottis::Rosenberg;
        v.jitter = 0.005;
        x = test::synth(v);
    }
    CMathFunc mf;
    std::vector<double> out;
    ASSERT_TRUE(mf.TrackPitchAmdf(x.data(), x.size(), static_cast<int>(c.fs), 50, 500, 100, 1, out));
    // The frames clear of the analysable margins at both ends.
    int frames = 0, right = 0;
    for (std::size_t k = out.size() / 5; k < out.size() * 4 / 5; ++k) {
        ++frames;
        right += std::fabs(out[k] - c.f0) < 0.03 * c.f0;
    }
    EXPECT_GE(right, frames * 97 / 100) << c.fs << " Hz, F0 " << c.f0;
}
INSTANTIATE_TEST_SUITE_P(Signals, AmdfPeriodic,
                         ::testing::Values(Periodic{10000, 150, true}, Periodic{44100, 150, true},
                                           Periodic{8000, 333, true}, Periodic{22050, 420, false},
                                           Periodic{48000, 440, false}, Periodic{16000, 380, false},
                                           Periodic{11025, 65, false}, Periodic{32000, 95, false}));

// The smoothed signal is built piece by piece from the reader: pieces of
// any size (odd, smaller than the 1 ms average, larger than the signal)
// give the same track, and a reader that stops ends the track.
TEST(AmdfReader, PiecesOfAnySizeGiveTheSameTrack) {
    test::VoiceSpec v;
    v.fs = 16000;
    v.seconds = 2.0;
    v.f0 = [](double t) { return 120.0 + 60.0 * t; };
    v.formants = {{700, 90}, {1200, 110}, {2600, 160}};
    const std::vector<std::int16_t> x = test::synth(v);
    std::vector<std::uint8_t> bytes(x.size());
    CMathFunc::ToAmdfBytes(x.data(), x.size(), bytes.data());
    const AmdfByteReader read = [&](std::uint64_t first, std::size_t n, std::uint8_t* out) {
        EXPECT_LE(first + n, bytes.size());
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(first), bytes.begin() + static_cast<std::ptrdiff_t>(first + n), out);
        return true;
    };
    CMathFunc mf;
    std::vector<double> whole;
    ASSERT_TRUE(mf.TrackPitchAmdf(x.data(), x.size(), 16000, 50, 500, 100, 1, whole));
    int voiced = 0;
    for (double f : whole) voiced += f > 0.0;
    ASSERT_GT(voiced, static_cast<int>(whole.size()) / 2);
    for (std::size_t piece : {std::size_t{7}, std::size_t{777}, std::size_t{4096}, x.size() + 5}) {
        std::vector<double> out;
        ASSERT_TRUE(TrackPitchAmdfFromReader(read, x.size(), 16000, 50, 500, 100, 1, 2, out, piece));
        EXPECT_EQ(out, whole) << "pieces of " << piece;
    }
    int calls = 0;
    const AmdfByteReader stop = [&](std::uint64_t, std::size_t, std::uint8_t*) { return ++calls < 3; };
    std::vector<double> out;
    EXPECT_FALSE(TrackPitchAmdfFromReader(stop, x.size(), 16000, 50, 500, 100, 1, 1, out, 1000));
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(out.empty());
}

TEST(AmdfSmoothTrack, AJumpBeyondTheStepLimitIsNotBlended) {
    // An octave jump inside a run: with a 20 % limit neither side moves.
    std::vector<std::int32_t> v{1000, 1000, 1000, 2000, 2000, 2000};
    CMathFunc::SmoothTrack(v.data(), 6, 4, 20);
    EXPECT_EQ(v, (std::vector<std::int32_t>{1000, 1000, 1000, 2000, 2000, 2000}));
    // Close values still are: (3·1100 + 2·1000 + 1000 + 3) / 6.
    v = {1000, 1000, 1100};
    CMathFunc::SmoothTrack(v.data(), 3, 1, 20);
    EXPECT_EQ(v[2], (3 * 1100 + 2 * 1000 + 1000 + 3) / 6);
}

std::vector<std::int32_t> continuity(std::vector<std::int32_t> W, int pct) {
    std::vector<std::int32_t> T(W.size());
    CMathFunc::ContinuityAndGaps(W.data(), static_cast<int>(W.size()), pct, T.data());
    return T;
}

TEST(AmdfContinuity, AnOctaveJumpEndsARunWhateverTheDeviation) {
    // With 100 % the deviation alone would let 1000 → 2000 through.
    const auto T = continuity({1000, 1000, 1000, 1000, 1000, 2000, 2000, -1}, 100);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(T[i], 1000) << i;
    EXPECT_EQ(T[5], -1);  // a run of two after the jump is rejected
    EXPECT_EQ(T[6], -1);
    // Nor is a rejected stretch bridged between values an octave apart.
    const auto B = continuity({1000, 1000, 1000, 1000, 1000, 4000, 2000, 2000, 2000, 2000, 2000}, 100);
    EXPECT_EQ(B[5], -1);
}

}  // namespace
}  // namespace vox
