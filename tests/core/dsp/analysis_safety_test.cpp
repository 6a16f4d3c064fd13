// Analyses at rates far from the usual ones and over mixed selections: the
// LPC frame is as long as the rate and order make it (no fixed buffer), the
// slots exist whenever formants are asked for, and "FFT/LPC Selection"
// weighs every frame alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/app/option_block.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/math_func.h"
#include "core/dsp/spectrogram.h"
#include "core/platform/progress.h"
#include "core/platform/scripted_prompts.h"
#include "tests/core/dsp/synth.h"

namespace vox {
namespace {

std::vector<std::int16_t> tone(double fs, double seconds, double hz) {
    std::vector<std::int16_t> x(static_cast<std::size_t>(fs * seconds));
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hz * i / fs));
    return x;
}

struct RateOrder {
    double fs;
    int order;                      // 0: the rate's own
    const char* message = nullptr;  // the slice's one message, if it has one
};

class ExtremeRate : public ::testing::TestWithParam<RateOrder> {};

// LPC frames of order·fs/1000 samples reach 76800 at 768 kHz and 9600 at
// 96 kHz with order 100: the slice and the spectrogram's formant track run
// over them and give finite curves. At 1 Hz the LPC frame holds no sample:
// the slice says so, the spectrogram still has its slots.
TEST_P(ExtremeRate, SliceAndTrackRunOnFramesOfAnyLength) {
    const double fs = GetParam().fs;
    const int order = GetParam().order;
    const auto x = tone(fs, std::max(0.2, 50.0 / fs), fs / 7.0);
    SampleSource src = SampleSource::memory(x.data(), x.size());
    ScriptedPrompts prompts;
    SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = 10;
    rq.out_points = 64;
    rq.options = fft_lpc_rate_defaults(FftLpcOptions{}, fs);
    if (order > 0) rq.options.lpc_coefficients = order;
    const auto r = ComputeFftLpcSlice(src, rq, &prompts);
    if (const char* m = GetParam().message) {
        EXPECT_FALSE(r);
        EXPECT_EQ(prompts.messages(), std::vector<std::string>{m});
        prompts.events.clear();
    } else {
        ASSERT_TRUE(r) << (prompts.messages().empty() ? "" : prompts.messages().front());
        for (double v : r->lpc) EXPECT_TRUE(std::isfinite(v));
        for (double v : r->fft) EXPECT_TRUE(std::isfinite(v));
    }

    SpectrogramSetup su;
    su.total = static_cast<double>(x.size());
    su.rate = fs;
    su.last = su.total;
    su.end_ms = su.total * 1000.0 / fs;
    su.window = 256;
    su.frequency_range = static_cast<int>(fs / 2000) * 1000;
    su.formants = true;
    su.lpc_order = order > 0 ? order : 14;
    su.columns = 3;
    su.rows = 16;
    NullProgress progress;
    const auto cols = ComputeSpectrogram(src, su, progress, &prompts, 1);
    ASSERT_TRUE(cols);
    ASSERT_EQ(cols->formants.size(), 3u);
    EXPECT_TRUE(prompts.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Rates, ExtremeRate,
                         ::testing::Values(RateOrder{768000, 0}, RateOrder{96000, 100}, RateOrder{1000000, 20},
                                           RateOrder{500, 0}, RateOrder{1, 0, dsp_text::kLpcRoutineError}));

// Below 1000 Hz the spectrogram's LPC frame of (int)(fs/1000)·order samples
// would be empty; the slots are there all the same (at most "not found").
TEST(SpectrogramFormants, SlotsExistForEveryColumnAtAnyRate) {
    for (double fs : {400.0, 999.0}) {
        const auto x = tone(fs, 2.0, 50.0);
        SampleSource src = SampleSource::memory(x.data(), x.size());
        SpectrogramSetup su;
        su.total = static_cast<double>(x.size());
        su.rate = fs;
        su.last = su.total;
        su.window = 64;
        su.frequency_range = 0;
        su.formants = true;
        su.lpc_order = 4;
        su.columns = 7;
        su.rows = 8;
        NullProgress progress;
        const auto cols = ComputeSpectrogram(src, su, progress, nullptr, 1);
        ASSERT_TRUE(cols);
        EXPECT_EQ(cols->formants.size(), 7u) << fs;
    }
}

// A selection half /i/ and half /a/ (adult male, F0 110 Hz): every frame
// weighs the same, so each averaged formant lies midway between the vowels'
// (a running average with weight ½ would sit near the last vowel), and the
// averaged formants ascend.
TEST(FftLpcSelection, FramesWeighAlikeAndFormantsAscend) {
    const double fs = 16000;
    auto make = [fs](std::vector<test::Resonance> f) {
        test::VoiceSpec v;
        v.fs = fs;
        v.seconds = 0.3;
        v.f0 = [](double) { return 110.0; };
        v.formants = std::move(f);
        v.glottis = test::Glottis::Rosenberg;
        return test::synth(v);
    };
    const auto i = make({{270, 80}, {2290, 100}, {3010, 120}, {3500, 150}, {4500, 200}});
    const auto a = make({{730, 80}, {1090, 100}, {2440, 120}, {3500, 150}, {4500, 200}});
    std::vector<std::int16_t> x(i.begin(), i.end());
    x.insert(x.end(), a.begin(), a.end());
    SampleSource src = SampleSource::memory(x.data(), x.size());
    SliceRequest rq;
    rq.fs = fs;
    rq.out_points = 128;
    rq.options = fft_lpc_rate_defaults(FftLpcOptions{}, fs);
    rq.selection = true;
    // 20 frames in each vowel, 10 ms apart, away from the joint.
    rq.sel_start = static_cast<std::uint64_t>(0.05 * fs);
    rq.sel_end = rq.sel_start + static_cast<std::uint64_t>(0.4 * fs);
    ScriptedPrompts prompts;
    const auto r = ComputeFftLpcSlice(src, rq, &prompts);
    ASSERT_TRUE(r);
    EXPECT_GE(r->frames, 40);
    const double mid[3] = {(270 + 730) / 2.0, (2290 + 1090) / 2.0, (3010 + 2440) / 2.0};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(r->F[k], mid[k], 0.1 * mid[k]) << "F" << k + 1;
    for (int k = 1; k < 5; ++k) {
        if (r->F[k] >= 0) {
            EXPECT_GT(r->F[k], r->F[k - 1]);
        }
    }
    // The curves are the frames' mean: still 0 at their lowest point.
    EXPECT_EQ(*std::min_element(r->fft.begin(), r->fft.end()), 0.0);
}

}  // namespace
}  // namespace vox
