// One hour of 16 kHz audio through the analyses: cepstral and AMDF pitch
// tracks, the intensity contour and a 1000-column spectrogram with formant
// tracking. VOXTREL_BENCH_WAV names a file to analyse instead of the
// built-in synthetic voice (bench/praat_yardstick.sh uses it to time the
// same file as the yardstick program).

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_tracker.h"
#include "core/dsp/spectrogram.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_prompts.h"

namespace {

using namespace vox;

struct Hour {
    std::vector<std::int16_t> x;
    double fs = 16000;
};

// A second of vowel-like voice (pulse train at a gliding F0 through three
// resonators) repeated for an hour.
std::vector<std::int16_t> synth_hour(double fs) {
    const std::size_t sec = static_cast<std::size_t>(fs);
    std::vector<double> y(sec, 0.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < sec; ++i) {
        const double t = i / fs;
        const double f0 = t < 0.2 ? 0.0 : 110.0 + 60.0 * t;
        if (f0 > 0.0) {
            phase += f0 / fs;
            if (phase >= 1.0) {
                phase -= 1.0;
                y[i] = 1.0;
            }
        }
    }
    for (auto [f, b] : {std::pair{600.0, 70.0}, {1400.0, 90.0}, {2500.0, 120.0}}) {
        const double r = std::exp(-M_PI * b / fs);
        const double a1 = 2 * r * std::cos(2 * M_PI * f / fs), a2 = -r * r;
        double y1 = 0, y2 = 0;
        for (double& v : y) {
            const double o = v + a1 * y1 + a2 * y2;
            y2 = y1;
            y1 = o;
            v = o;
        }
    }
    double m = 1e-9;
    for (double v : y) m = std::max(m, std::fabs(v));
    std::vector<std::int16_t> x(sec * 3600);
    unsigned seed = 1;
    for (std::size_t i = 0; i < x.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        const double noise = ((seed >> 16) & 0xFF) - 127.5;
        x[i] = static_cast<std::int16_t>(std::lround(y[i % sec] / m * 12000.0 + noise));
    }
    return x;
}

const Hour& hour() {
    static const Hour h = [] {
        Hour h;
        if (const char* path = std::getenv("VOXTREL_BENCH_WAV")) {
            ScriptedPrompts prompts;
            NullProgress progress;
            TempNames temp(system_temp_folder());
            OptionBlock options;
            options.long_file_minutes = 1e9;  // keep it in memory
            CMarbeckDoc doc(DocServices{prompts, progress, temp}, options);
            if (open_document(doc, path)) {
                h.fs = doc.channels[0].sample_rate;
                h.x.resize(doc.channels[0].count());
                doc.read_audio(0, h.x.size(), h.x.data());
                return h;
            }
        }
        h.x = synth_hour(h.fs);
        return h;
    }();
    return h;
}

void BM_CepstralPitchHour(benchmark::State& state) {
    const Hour& h = hour();
    for (auto _ : state) {
        SampleSource src = SampleSource::memory(h.x.data(), h.x.size());
        PitchOptions o;
        NullProgress np;
        auto out = CepstralPitchTrack(src, 0, h.x.size(), h.fs, 0.0, o, np);
        benchmark::DoNotOptimize(out.track->f0.data());
    }
}
BENCHMARK(BM_CepstralPitchHour)->Unit(benchmark::kSecond)->Iterations(1);

void BM_AmdfPitchHour(benchmark::State& state) {
    const Hour& h = hour();
    for (auto _ : state) {
        SampleSource src = SampleSource::memory(h.x.data(), h.x.size());
        PitchOptions o;
        o.cepstral = 0;
        NullProgress np;
        auto out = AmdfPitchTrack(src, 0, h.x.size(), h.fs, o, np);
        benchmark::DoNotOptimize(out.track->f0.data());
    }
}
BENCHMARK(BM_AmdfPitchHour)->Unit(benchmark::kSecond)->Iterations(3);

void BM_IntensityHour(benchmark::State& state) {
    const Hour& h = hour();
    std::vector<double> out(h.x.size());
    for (auto _ : state) {
        SampleSource src = SampleSource::memory(h.x.data(), h.x.size());
        IntensityOptions o;
        NullProgress np;
        EnergyRange r;
        ComputeIntensityContour(src, h.x.size(), h.fs, 0.0, o, np, out.data(), r);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_IntensityHour)->Unit(benchmark::kSecond)->Iterations(3);

void BM_SpectrogramHour1000Columns(benchmark::State& state) {
    const Hour& h = hour();
    for (auto _ : state) {
        SampleSource src = SampleSource::memory(h.x.data(), h.x.size());
        SpectrogramSetup su;
        su.total = static_cast<double>(h.x.size());
        su.rate = h.fs;
        su.last = su.total;
        su.columns = 1000;
        su.rows = 400;
        su.window = 128;
        su.frequency_range = static_cast<int>(h.fs / 2000) * 1000;
        su.formants = true;
        su.lpc_order = 4 + 2 * static_cast<int>(h.fs / 2000);
        NullProgress np;
        auto r = ComputeSpectrogram(src, su, np, nullptr);
        benchmark::DoNotOptimize(r->values.data());
    }
}
BENCHMARK(BM_SpectrogramHour1000Columns)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
