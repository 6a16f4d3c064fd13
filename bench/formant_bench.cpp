// Formant measurement speed: the FFT/LPC slice and a 600-column spectrogram
// with formant tracks, at the common rates, on a steady synthetic /a/ of the
// 110 Hz and of the 220 Hz voice.
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
#include "tests/core/dsp/vowels.h"

namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

// Writes the suite's signals when asked to, before the benchmarks run.
const bool kWritten = [] {
    const char* dir = std::getenv("VOXTREL_FORMANT_WAVS");
    if (!dir) return false;
    std::FILE* list = std::fopen((std::string(dir) + "/truth.txt").c_str(), "w");
    if (!list) return false;
    for (int rate : kRates)
        for (const vox::test::Vowel& v : vox::test::kVowels)
            for (double f0 : {110.0, 220.0})
                for (bool noisy : {false, true}) {
                    const double* F = f0 < 150 ? v.male : v.female;
                    const std::string name = std::string(dir) + "/" + std::to_string(rate) + "_" + v.name +
                                             std::to_string(static_cast<int>(f0)) + (noisy ? "n" : "") + ".wav";
                    vox::test::write_wav_mono16(name, vox::test::steady_vowel(rate, f0, F, noisy), rate);
                    std::fprintf(list, "%s %d %s %d %d %g %g %g\n", name.c_str(), rate, v.name, static_cast<int>(f0),
                                 noisy ? 1 : 0, F[0], F[1], F[2]);
                }
    std::fclose(list);
    return true;
}();

void BM_Slice(benchmark::State& state) {
    const double fs = static_cast<double>(state.range(0));
    const double f0 = static_cast<double>(state.range(1));
    const auto x = vox::test::steady_vowel(fs, f0, f0 < 150.0 ? vox::test::kVowels[0].male : vox::test::kVowels[0].female, false);
    vox::SampleSource src = vox::SampleSource::memory(x.data(), x.size());
    vox::SliceRequest rq;
    rq.fs = fs;
    rq.frame_start = x.size() / 2;
    rq.out_points = 600;
    rq.options = vox::fft_lpc_rate_defaults(vox::FftLpcOptions{}, fs);
    for (auto _ : state) benchmark::DoNotOptimize(vox::ComputeFftLpcSlice(src, rq, nullptr));
}
BENCHMARK(BM_Slice)
    ->ArgsProduct({{8000, 22050, 44100, 48000}, {110, 220}})
    ->ArgNames({"rate", "f0"})
    ->Unit(benchmark::kMillisecond);

void BM_SpectrogramWithFormants(benchmark::State& state) {
    const double fs = static_cast<double>(state.range(0));
    const double f0 = static_cast<double>(state.range(1));
    const auto x = vox::test::steady_vowel(fs, f0, f0 < 150.0 ? vox::test::kVowels[0].male : vox::test::kVowels[0].female, false);
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
BENCHMARK(BM_SpectrogramWithFormants)
    ->ArgsProduct({{8000, 22050, 44100, 48000}, {110, 220}})
    ->ArgNames({"rate", "f0"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
