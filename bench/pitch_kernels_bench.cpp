// The kernels of the pitch tracks, one frame or one transform at a time:
// the toolbox's complex transform against the planned real and real-even
// transforms, one cepstral frame at 16 and 44.1 kHz, one intensity frame.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "core/dsp/fft.h"
#include "core/dsp/math_func.h"
#include "core/dsp/pitch_tracker.h"

namespace {

using namespace vox;

std::vector<double> noise(int n) {
    std::mt19937 g(1);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> v(static_cast<std::size_t>(n));
    for (double& x : v) x = u(g);
    return v;
}

void BM_ToolboxComplexFft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    int m = 0;
    while ((1 << m) < n) ++m;
    CMathFunc mf;
    const std::vector<double> x = noise(n);
    std::vector<double> re(n), im(n);
    for (auto _ : state) {
        re = x;
        std::fill(im.begin(), im.end(), 0.0);
        mf.Fft(re.data(), im.data(), m);
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_ToolboxComplexFft)->Arg(1024)->Arg(4096);

void BM_RealFft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    RealFft plan(n);
    const std::vector<double> x = noise(n);
    std::vector<double> re(plan.work_size()), im(plan.work_size());
    for (auto _ : state) {
        plan.forward(x.data(), re.data(), im.data());
        benchmark::DoNotOptimize(re.data());
    }
}
BENCHMARK(BM_RealFft)->Arg(1024)->Arg(4096);

void BM_EvenRealFft(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    EvenRealFft plan(n);
    const std::vector<double> y = noise(n + 1);
    std::vector<double> out(n + 1), work(3 * plan.work_size());
    for (auto _ : state) {
        plan.forward(y.data(), out.data(), work.data());
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_EvenRealFft)->Arg(256)->Arg(512);

// One cepstral frame of a 120 Hz pulse train with the default options.
void BM_CepstralFrame(benchmark::State& state) {
    const double fs = static_cast<double>(state.range(0));
    PitchOptions o;
    const CepstralFrameSizes sz = cepstral_frame_sizes(fs, o);
    std::vector<std::int16_t> x(static_cast<std::size_t>(sz.window + 16));
    std::mt19937 g(2);
    std::uniform_int_distribution<int> u(-200, 200);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<std::int16_t>(std::fmod(i * 120.0 / fs, 1.0) < 0.02 ? 12000 : u(g));
    CMathFunc mf;
    for (auto _ : state) {
        const double f0 = mf.CepstralPitch(x.data(), 0, static_cast<long long>(x.size()), fs, o.calc_low_hz,
                                           o.calc_high_hz, sz.fft, sz.window);
        benchmark::DoNotOptimize(f0);
    }
}
BENCHMARK(BM_CepstralFrame)->Arg(16000)->Arg(44100);

// One intensity frame of 10 ms at 44.1 kHz.
void BM_IntensityFrame(benchmark::State& state) {
    std::vector<std::int16_t> x(441);
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<std::int16_t>(1000 * std::sin(0.1 * i));
    for (auto _ : state) benchmark::DoNotOptimize(CMathFunc::FrameMeasure(x.data(), 441, 0.0, false));
}
BENCHMARK(BM_IntensityFrame);

}  // namespace
