// Opening recordings at the rates people record at and running the analysis
// commands from their actions, with the configuration as installed: the
// options fit the recording (no warning box, formants near the truth), a
// value chosen in a dialog is kept, and activating a spectrogram window does
// not compute it again.
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QTimer>
#include <QMdiSubWindow>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

#include "core/app/option_block.h"
#include "gui/app/child_frame.h"
#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "tests/core/dsp/synth.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

constexpr double kF[3] = {730.0, 1090.0, 2440.0};  // /a/ of an adult male voice

std::vector<std::int16_t> vowel(double fs) {
    VoiceSpec v;
    v.fs = fs;
    v.seconds = 0.6;
    v.f0 = [](double) { return 110.0; };
    v.formants = {{kF[0], 80}, {kF[1], 100}, {kF[2], 120}, {3500, 150}};
    if (fs > 10000) v.formants.push_back({4500, 200});
    v.glottis = Glottis::Rosenberg;
    return synth(v);
}

template <class T>
T* find_frame(CMainFrame& f) {
    for (QMdiSubWindow* w : f.mdi_area()->subWindowList())
        if (auto* s = qobject_cast<T*>(w)) return s;
    return nullptr;
}

CChildFrame* waveform_frame(CMainFrame& f) { return find_frame<CChildFrame>(f); }

class RecordingRate : public ::testing::TestWithParam<int> {};

// Opens the vowel at `rate` in a frame of a fixed size and runs Spectrogram
// All from its action; the spectrogram window is left active and computed.
CSpectrogramFrame* open_spectrogram(AppFixture& fx, int rate) {
    CMainFrame& f = *fx.frame;
    f.resize(900, 700);
    f.show();
    const std::string wav = fx.dir.file("v.wav");
    if (!write_wav_mono16(wav, vowel(rate), rate)) return nullptr;
    if (!f.open_document(wav)) return nullptr;
    f.update_command_ui();
    if (!f.action(CommandId::SpectrogramAll)->isEnabled()) return nullptr;
    f.action(CommandId::SpectrogramAll)->trigger();
    CSpectrogramFrame* sf = find_frame<CSpectrogramFrame>(f);
    if (!sf || f.mdi_area()->activeSubWindow() != sf) return nullptr;
    // The pane computes once the events of the moment are handled.
    if (!QTest::qWaitFor([sf] { return sf->view().pane().computed(); }, 20000)) return nullptr;
    return sf;
}

TEST_P(RecordingRate, SpectrogramAndFftLpcFitTheRateWithoutAWarning) {
    const int rate = GetParam();
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    CSpectrogramFrame* sf = open_spectrogram(fx, rate);
    ASSERT_NE(sf, nullptr);
    CSpectrogramPane& pane = sf->view().pane();
    EXPECT_EQ(pane.compute_count(), 1);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    const SpectrogramColumns* cols = pane.columns();
    ASSERT_NE(cols, nullptr);
    ASSERT_FALSE(cols->formants.empty());
    // The middle column's F1–F3 (the steady part of the vowel).
    const auto& mid = cols->formants[cols->formants.size() / 2];
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(mid[k], kF[k], 0.08 * kF[k]) << "F" << k + 1 << " at " << rate << " Hz";

    // FFT/LPC at a click in the middle of the waveform.
    CChildFrame* wf = waveform_frame(f);
    ASSERT_NE(wf, nullptr);
    f.mdi_area()->setActiveSubWindow(wf);
    QWidget* view = wf->view();
    const QPoint mid_point(view->width() / 2, view->height() / 3);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, mid_point);
    f.update_command_ui();
    ASSERT_TRUE(f.action(CommandId::FftLpc)->isEnabled());
    f.action(CommandId::FftLpc)->trigger();
    CFFTLPCFrame* ff = find_frame<CFFTLPCFrame>(f);
    ASSERT_NE(ff, nullptr);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    const auto& r = ff->view().result();
    ASSERT_TRUE(r.has_value());
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(r->F[k], kF[k], 0.08 * kF[k]) << "slice F" << k + 1 << " at " << rate << " Hz";
    // Nothing was computed again in the spectrogram meanwhile.
    QApplication::processEvents();
    EXPECT_EQ(pane.compute_count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Rates, RecordingRate, ::testing::Values(8000, 16000, 22050, 44100, 48000));

// Activating a spectrogram window, the way a person does it, shows the
// image it has: no computation, no progress, no message. The windows are
// maximised (activating one restores the other behind it, at its normal
// size) or tiled.
enum class Activate { WindowMenu, NextPaneKey, MouseClick };
struct ActivationCase {
    Activate how;
    bool maximised;
};

std::string activation_name(const ActivationCase& c) {
    static const char* const how[] = {"WindowMenu", "NextPaneKey", "MouseClick"};
    return std::string(how[int(c.how)]) + (c.maximised ? "Maximised" : "Tiled");
}

class SpectrogramActivation : public ::testing::TestWithParam<ActivationCase> {};

// Makes `target` the active window through the Window menu, F6 or a click.
void activate_by(CMainFrame& f, QMdiSubWindow* target, Activate how) {
    switch (how) {
    case Activate::WindowMenu: {
        QMenu* menu = nullptr;
        for (QAction* top : f.menuBar()->actions())
            if (top->text() == "&Window") menu = top->menu();
        ASSERT_NE(menu, nullptr);
        emit menu->aboutToShow();  // what opening the menu does
        QAction* item = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().endsWith(" " + target->windowTitle())) item = a;
        ASSERT_NE(item, nullptr) << target->windowTitle().toStdString();
        item->trigger();
        break;
    }
    case Activate::NextPaneKey: {
        // F6 goes round the windows; two are open.
        QWidget* keyboard = f.mdi_area()->activeSubWindow() ? f.mdi_area()->activeSubWindow()->widget() : &f;
        QTest::keyClick(keyboard, Qt::Key_F6);
        break;
    }
    case Activate::MouseClick:
        // A press on the window's title bar.
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, QPoint(target->width() / 2, 6));
        break;
    }
    QTest::qWait(30);  // the deferred work of the moment runs
}

TEST_P(SpectrogramActivation, ActivatingTheWindowComputesNothing) {
    const ActivationCase c = GetParam();
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    CSpectrogramFrame* sf = open_spectrogram(fx, 22050);
    ASSERT_NE(sf, nullptr);
    CSpectrogramPane& pane = sf->view().pane();
    CChildFrame* wf = waveform_frame(f);
    ASSERT_NE(wf, nullptr);
    ASSERT_EQ(sf->isMaximized(), true) << "opened over a maximised waveform window";
    if (!c.maximised) {
        f.action(CommandId::WindowTile)->trigger();
        QTest::qWait(30);
        ASSERT_FALSE(sf->isMaximized());
        // A new size is a new picture: computed once.
        QTRY_VERIFY(pane.computed());
    }
    const int computed = pane.compute_count();
    const QSize size = pane.size();
    for (int round = 0; round < 3; ++round) {
        activate_by(f, wf, c.how);
        ASSERT_EQ(f.mdi_area()->activeSubWindow(), wf) << round;
        activate_by(f, sf, c.how);
        ASSERT_EQ(f.mdi_area()->activeSubWindow(), sf) << round;
        EXPECT_EQ(sf->isMaximized(), c.maximised);
    }
    EXPECT_EQ(pane.size(), size);
    EXPECT_EQ(pane.compute_count(), computed);
    EXPECT_TRUE(pane.computed());
    EXPECT_FALSE(pane.needs_computation());
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    if (c.maximised) {
        // The window waited behind the maximised one; once the waveform
        // window is restored it comes into view and draws its picture.
        activate_by(f, wf, c.how);
        wf->showNormal();
        QTRY_VERIFY_WITH_TIMEOUT(!pane.needs_computation() && pane.computed(), 10000);
        EXPECT_EQ(pane.screen_image().size(), pane.size());
        EXPECT_EQ(pane.compute_count(), computed + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, SpectrogramActivation,
                         ::testing::Values(ActivationCase{Activate::WindowMenu, true},
                                           ActivationCase{Activate::NextPaneKey, true},
                                           ActivationCase{Activate::WindowMenu, false},
                                           ActivationCase{Activate::NextPaneKey, false},
                                           ActivationCase{Activate::MouseClick, false}),
                         [](const auto& info) { return activation_name(info.param); });

// The option dialogs from their actions: OK on the values a 44.1 kHz file
// was given says nothing; values the person changes are kept for the next
// file, at another rate, while the others follow that file's rate.
TEST(RecordingRateDialogs, OkSaysNothingAndAChosenValueOutlivesTheFile) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.show();
    const std::string a = fx.dir.file("a.wav");
    ASSERT_TRUE(write_wav_mono16(a, vowel(44100), 44100));
    CMarbeckDoc* doc = f.open_document(a);
    ASSERT_NE(doc, nullptr);
    f.update_command_ui();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionFFTLPC*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        dlg->accept();
    });
    f.action(CommandId::OptionsFftLpc)->trigger();
    ASSERT_TRUE(seen);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    EXPECT_EQ(doc->options.fft_lpc_chosen, 0u);

    seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<COptionSpectrogram*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen = true;
        dlg->frequency_range_edit()->setValue(5000);
        dlg->lpc_edit()->setValue(30);
        dlg->accept();
    });
    f.action(CommandId::OptionsSpectrogram)->trigger();
    ASSERT_TRUE(seen);
    EXPECT_EQ(doc->options.spectrogram_chosen, chosen::kSgRange | chosen::kSgLpcOrder);

    const std::string b = fx.dir.file("b.wav");
    ASSERT_TRUE(write_wav_mono16(b, vowel(16000), 16000));
    CMarbeckDoc* next = f.open_document(b);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->options.spectrogram.frequency_range_hz, 5000);
    EXPECT_EQ(next->options.spectrogram.formant_lpc_coefficients, 30);
    EXPECT_EQ(next->options.fft_lpc.frequency_range_hz, 8000);
    EXPECT_EQ(next->options.fft_lpc.lpc_coefficients, 20);
    EXPECT_EQ(next->options.fft_lpc.applied_window_ms, 16);
}

}  // namespace
}  // namespace vox::test
