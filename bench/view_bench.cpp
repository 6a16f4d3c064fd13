// Waveform view timings: a full-window render of a one-hour 44.1 kHz
// recording (after the min/max summary exists), and opening a ten-minute
// 44.1 kHz WAV file to its finished first display with pitch and intensity.
// Runs offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/document/marbeck_doc.h"
#include "core/formats/open_document.h"
#include "core/platform/scripted_prompts.h"
#include "gui/views/waveform/marbeck_view.h"

namespace {

using namespace vox;

QApplication& app() {
    static int argc = 1;
    static char name[] = "view_bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication a(argc, argv);
    return a;
}

struct Services {
    ScriptedPrompts prompts;
    NullProgress progress;
    TempNames names{system_temp_folder()};
    DocServices services{prompts, progress, names};
};

// A voiced-sounding test signal: a 120 Hz pulse-rich tone in 0.8 s syllables.
std::int16_t voice(std::size_t i, double rate) {
    const double t = static_cast<double>(i) / rate;
    const double syllable = std::fmod(t, 1.0);
    if (syllable > 0.8) return static_cast<std::int16_t>((i * 2654435761u >> 20) % 200) - 100;
    const double f0 = 110.0 + 30.0 * syllable;
    double v = 0.0;
    for (int k = 1; k <= 6; ++k) v += std::sin(2 * M_PI * k * f0 * t) / k;
    return static_cast<std::int16_t>(9000.0 * v);
}

void fill(CMarbeckDoc& doc, double rate, std::size_t n) {
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(rate, static_cast<double>(n));
    ch.allocate_samples(n);
    for (std::size_t i = 0; i < n; ++i) ch.samples[i] = voice(i, rate);
    doc.channel_count = 1;
    doc.loaded = 1;
}

void BM_RenderFullWindowHour44k(benchmark::State& state) {
    app();
    Services s;
    CMarbeckDoc doc(s.services);
    doc.options.display.always_analyse = 0;
    fill(doc, 44100.0, 44100ull * 3600);
    CMarbeckView view(doc);
    view.resize(1200, 500);
    view.show();
    QElapsedTimer first;
    first.start();
    view.screen_image();  // builds the min/max summary once
    state.counters["summary_ms"] = static_cast<double>(first.elapsed());
    for (auto _ : state) {
        view.refresh();
        benchmark::DoNotOptimize(view.screen_image().constBits());
    }
    state.counters["renders"] = view.render_count();
}
BENCHMARK(BM_RenderFullWindowHour44k)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_OpenTenMinutesToFirstDisplay(benchmark::State& state) {
    app();
    Services s;
    const std::string path = system_temp_folder() + "/voxtrel_bench_ten_minutes.wav";
    {
        CMarbeckDoc doc(s.services);
        fill(doc, 44100.0, 44100ull * 600);
        if (!doc.write_wave(path, false)) {
            state.SkipWithError("cannot write the test file");
            return;
        }
    }
    for (auto _ : state) {
        CMarbeckDoc doc(s.services);
        doc.options.display.always_analyse = 1;
        if (!open_document(doc, path)) {
            state.SkipWithError("cannot open the test file");
            break;
        }
        CMarbeckView view(doc);
        view.resize(1200, 500);
        view.show();
        // The first display runs the automatic analysis from its timer.
        QElapsedTimer wait;
        wait.start();
        while (view.pitch_contour().empty() && wait.elapsed() < 60000) QCoreApplication::processEvents();
        if (!doc.channels[0].intensity_valid) view.handle_command(CommandId::Intensity);
        benchmark::DoNotOptimize(view.screen_image().constBits());
        if (view.pitch_contour().empty() || !doc.channels[0].intensity_valid) {
            state.SkipWithError("the first display did not finish its analyses");
            break;
        }
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_OpenTenMinutesToFirstDisplay)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
