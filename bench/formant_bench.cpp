// Formant measurement speed: the FFT/LPC slice and a 600-column spectrogram
// with formant tracks, at the common rates, on a steady synthetic vowel.
//
// With VOXTREL_FORMANT_WAVS=DIR set, the program first writes the accuracy
// suite's vowels there as 16-bit WAV files (five vowels, F0 110 and 220 Hz,
// clean and with noise 30 dB down, at 8 … 48 kHz) with a list of their true
// F1–F3 (truth.txt: file, rate, vowel, F0, noisy, F1, F2, F3), for
// bench/formant_yardstick.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/app/option_block.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/dsp/spectrogram.h"
#include "core/platform/progress.h"
#include "tests/core/dsp/synth.h"

namespace {

struct Vowel {
    const char* name;
    double male[5], female[5];
};
constexpr Vowel kVowels[] = {
    {"a", {730, 1090, 2440, 3500, 4500}, {850, 1220, 2810, 4000, 4950}},
    {"i", {270, 2290, 3010, 3500, 4500}, {310, 2790, 3310, 4000, 4950}},
    {"u", {300, 870, 2240, 3500, 4500}, {370, 950, 2670, 4000, 4950}},
    {"e", {530, 1840, 2480, 3500, 4500}, {610, 2330, 2990, 4000, 4950}},
    {"o", {570, 840, 2410, 3500, 4500}, {590, 920, 2710, 4000, 4950}},
};
constexpr double kBandwidths[5] = {80, 100, 120, 150, 200};
constexpr int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

std::vector<std::int16_t> voice(double fs, double f0, const double* F, bool noisy) {
    vox::test::VoiceSpec v;
    v.fs = fs;
    v.seconds = 0.4;
    v.f0 = [f0](double) { return f0; };
    for (int k = 0; k < 5; ++k)
        if (F[k] < 0.475 * fs) v.formants.push_back({F[k], kBandwidths[k]});
    v.glottis = vox::test::Glottis::Rosenberg;
    v.jitter = 0.005;
    v.seed = static_cast<unsigned>(fs + f0);
    if (noisy) v.snr_db = 30.0;
    return vox::test::synth(v);
}

// Writes the suite's signals when asked to, before the benchmarks run.
const bool kWritten = [] {
    const char* dir = std::getenv("VOXTREL_FORMANT_WAVS");
    if (!dir) return false;
    std::FILE* list = std::fopen((std::string(dir) + "/truth.txt").c_str(), "w");
    if (!list) return false;
    for (int rate : kRates)
        for (const Vowel& v : kVowels)
            for (double f0 : {110.0, 220.0})
                for (bool noisy : {false, true}) {
                    const double* F = f0 < 150 ? v.male : v.female;
                    const std::string name = std::string(dir) + "/" + std::to_string(rate) + "_" + v.name +
                                             std::to_string(static_cast<int>(f0)) + (noisy ? "n" : "") + ".wav";
                    vox::test::write_wav_mono16(name, voice(rate, f0, F, noisy), rate);
                    std::fprintf(list, "%s %d %s %d %d %g %g %g\n", name.c_str(), rate, v.name, static_cast<int>(f0),
                                 noisy ? 1 : 0, F[0], F[1], F[2]);
                }
    std::fclose(list);
    return true;
}();

void BM_Slice(benchmark::State& state) {
    const double fs = static_cast<double>(state.range(0));
    const auto x = voice(fs, 110, kVowels[0].male, false);
    vox::SampleSource src = vox::SampleSource::memory(x.data(), x.size());
    vox::SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = x.size() / 2;
    rq.out_points = 600;
    rq.options = vox::fft_lpc_rate_defaults(vox::FftLpcOptions{}, fs);
    for (auto _ : state) benchmark::DoNotOptimize(vox::ComputeFftLpcSlice(src, rq, nullptr));
}
BENCHMARK(BM_Slice)->Arg(8000)->Arg(22050)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

void BM_SpectrogramWithFormants(benchmark::State& state) {
    const double fs = static_cast<double>(state.range(0));
    const auto x = voice(fs, 110, kVowels[0].male, false);
    vox::SampleSource src = vox::SampleSource::memory(x.data(), x.size());
    const vox::SpectrogramOptions so = vox::spectrogram_rate_defaults(vox::SpectrogramOptions{}, fs);
    vox::SpectrogramSetup su;
    su.total = static_cast<double>(x.size());
    su.rate = fs;
    su.last = su.total;
    su.window = so.analysis_points;
    su.frequency_range = so.frequency_range_hz;
    su.pre_emphasis = so.pre_emphasis;
    su.formants = true;
    su.lpc_order = so.formant_lpc_coefficients;
    su.columns = 600;
    su.rows = 300;
    vox::NullProgress progress;
    for (auto _ : state) benchmark::DoNotOptimize(vox::ComputeSpectrogram(src, su, progress, nullptr, 1));
}
BENCHMARK(BM_SpectrogramWithFormants)->Arg(8000)->Arg(22050)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace
