// Spectrogram window timing: a 1000 × 500-pixel image (1000 frames of 500
// rows) with formant tracking, of a stretch of a one-hour 44.1 kHz recording
// held in memory, from set-up to the finished cached image. Runs offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cmath>
#include <memory>

#include "core/document/marbeck_doc.h"
#include "core/platform/scripted_prompts.h"
#include "core/platform/temp_names.h"
#include "gui/views/analysis/spectrogram_view.h"

namespace {

using namespace vox;

QApplication& app() {
    static int argc = 1;
    static char name[] = "spectrogram_view_bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication a(argc, argv);
    return a;
}

struct Fixture {
    ScriptedPrompts prompts;
    NullProgress progress;
    TempNames names{system_temp_folder()};
    DocServices services{prompts, progress, names};
    std::unique_ptr<CMarbeckDoc> doc;
    std::unique_ptr<CSpectrogramView> view;
    static constexpr double kRate = 44100.0;

    Fixture() {
        app();
        doc = std::make_unique<CMarbeckDoc>(services);
        const std::size_t n = static_cast<std::size_t>(kRate * 3600.0);
        CChannels& ch = doc->channels[0];
        ch.set_foreign_audio(kRate, double(n));
        ch.allocate_samples(n);
        // Vowel-like: harmonics of a gliding F0 shaped by two broad peaks;
        // one second made once and repeated over the hour.
        const std::size_t sec = static_cast<std::size_t>(kRate);
        for (std::size_t i = 0; i < sec; ++i) {
            const double t = double(i) / kRate;
            const double f0 = 110.0 + 30.0 * t;
            double v = 0.0;
            for (int k = 1; k <= 20; ++k) {
                const double f = k * f0;
                const double g = std::exp(-std::pow((f - 700.0) / 250.0, 2)) + 0.5 * std::exp(-std::pow((f - 1800.0) / 300.0, 2));
                v += (0.05 + g) * std::sin(2 * M_PI * f * t);
            }
            ch.samples[i] = static_cast<std::int16_t>(4000.0 * v);
        }
        for (std::size_t i = sec; i < n; ++i) ch.samples[i] = ch.samples[i % sec];
        doc->channel_count = 1;
        doc->loaded = 1;
        doc->doc_rate = kRate;
        doc->doc_count = double(n);
        doc->doc_duration_ms = ch.duration_ms;
        view = std::make_unique<CSpectrogramView>(*doc);
        view->resize(1100, 640);
        view->show();
        QApplication::processEvents();
        // Size the window so that the drawing area is exactly 1000 × 500.
        for (int k = 0; k < 3; ++k) {
            const SpectrogramGeometry g = view->pane().screen_geometry();
            const int dw = 1000 - (g.area.right - g.area.left), dh = 500 - (g.area.bottom - g.area.top);
            if (dw == 0 && dh == 0) break;
            view->resize(view->width() + dw, view->height() + dh);
            QApplication::processEvents();
        }
    }
};

SpectrogramOptions options() {
    SpectrogramOptions o;  // the dialog's defaults at 44.1 kHz, with formants
    o.bandwidth_index = 2;
    o.frequency_range_hz = 5000;
    o.dynamic_range_db = 35;
    o.pre_emphasis = 0.98;
    o.display_formants = 1;
    o.formant_lpc_coefficients = 4 + 2 * 22;
    return o;
}

void run(benchmark::State& state, double first_s, double seconds) {
    static Fixture f;
    const double a = first_s * Fixture::kRate, b = (first_s + seconds) * Fixture::kRate;
    for (auto _ : state) {
        f.view->setup(SpectrogramStretch{a, b, first_s * 1000.0, (first_s + seconds) * 1000.0}, options());
        if (!f.view->pane().compute_now()) state.SkipWithError("not computed");
        benchmark::DoNotOptimize(f.view->pane().cached_image().constBits());
    }
    const SpectrogramColumns* c = f.view->pane().columns();
    state.counters["columns"] = c ? c->columns : 0;
    state.counters["rows"] = c ? c->rows : 0;
}

void BM_Spectrogram1000x500_TenSecondsOfAnHour(benchmark::State& s) { run(s, 1800.0, 10.0); }
void BM_Spectrogram1000x500_WholeHour(benchmark::State& s) { run(s, 0.0, 3600.0); }

BENCHMARK(BM_Spectrogram1000x500_TenSecondsOfAnHour)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Spectrogram1000x500_WholeHour)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
