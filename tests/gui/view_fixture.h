#pragma once
// Shared set-up of the waveform-view tests: an offscreen application, a
// document filled with a generated signal and scripted prompts, and a shown
// view of a fixed size.

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/document/marbeck_doc.h"
#include "core/platform/scripted_prompts.h"
#include "core/platform/temp_names.h"
#include "gui/views/waveform/marbeck_view.h"

namespace vox::viewtest {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "view_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* a = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!a) a = new QApplication(argc, argv);
    return *a;
}

// Fills channel 0 with n samples from f(i) at the given rate.
template <class F>
void fill_audio(CMarbeckDoc& doc, double rate, std::size_t n, F f) {
    CChannels& ch = doc.channels[0];
    ch.set_foreign_audio(rate, double(n));
    ch.allocate_samples(n);
    for (std::size_t i = 0; i < n; ++i) ch.samples[i] = static_cast<std::int16_t>(f(i));
    doc.channel_count = 1;
    doc.loaded = 1;
    doc.doc_rate = rate;
    doc.doc_count = double(n);
    doc.doc_duration_ms = ch.duration_ms;
}

struct ViewFixture : ::testing::Test {
    ScriptedPrompts prompts;
    NullProgress progress;
    TempNames temp_names{std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp")};
    SessionState session;  // handed to the document only by join_session
    DocServices services{prompts, progress, temp_names};
    std::unique_ptr<CMarbeckDoc> doc;
    std::unique_ptr<CMarbeckView> view;

    ViewFixture() {
        app();
        doc = std::make_unique<CMarbeckDoc>(services);
        doc->options.display.always_analyse = 0;
    }

    // Makes the document anew (empty) in this fixture's session: its windows
    // play and record through `devices` and enter measurements into `log`
    // (either may be null).
    void join_session(WaveDevices* devices, LogTarget* log = nullptr) {
        session.devices = devices;
        session.log = log;
        services.session = &session;
        doc = std::make_unique<CMarbeckDoc>(services);
        doc->options.display.always_analyse = 0;
    }

    // A 1 s, 100 Hz sine of amplitude 16000 at 11025 Hz unless told otherwise.
    void load_sine(double amplitude = 16000.0, double hz = 100.0, double rate = 11025.0, std::size_t n = 11025) {
        fill_audio(*doc, rate, n, [&](std::size_t i) { return amplitude * std::sin(2 * M_PI * hz * double(i) / rate); });
    }

    CMarbeckView& show(int w = 800, int h = 400) {
        view = std::make_unique<CMarbeckView>(*doc);
        view->resize(w, h);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return *view;
    }

    // Saves the widget as it looks when VOXTREL_VIEW_PNG_DIR is set.
    void snapshot(const char* name) {
        if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR"))
            view->grab().save(QString::fromLatin1(dir) + "/" + name + ".png");
    }
};

}  // namespace vox::viewtest
