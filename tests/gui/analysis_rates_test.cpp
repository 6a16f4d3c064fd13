// Opening recordings at the rates people record at and running the analysis
// commands from their actions, with the configuration as installed: the
// options fit the recording (no warning box, formants near the truth), a
// value chosen in a dialog is kept, and activating a spectrogram window does
// not recompute it.
#include <QApplication>
#include <QMdiArea>
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

// A 16-bit mono WAV file of the samples.
void write_samples(const std::string& path, const std::vector<std::int16_t>& x, int rate) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    auto u32 = [&](std::uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [&](std::uint16_t v) { std::fwrite(&v, 2, 1, f); };
    const std::uint32_t bytes = static_cast<std::uint32_t>(x.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(rate) * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    std::fwrite(x.data(), 2, x.size(), f);
    std::fclose(f);
}

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

TEST_P(RecordingRate, SpectrogramAndFftLpcFitTheRateWithoutAWarning) {
    const int rate = GetParam();
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.resize(1000, 800);
    f.show();
    const std::string wav = fx.dir.file("v.wav");
    write_samples(wav, vowel(rate), rate);
    ASSERT_NE(f.open_document(wav), nullptr);
    f.update_command_ui();

    // Spectrogram All from its action.
    ASSERT_TRUE(f.action(CommandId::SpectrogramAll)->isEnabled());
    f.action(CommandId::SpectrogramAll)->trigger();
    CSpectrogramFrame* sf = find_frame<CSpectrogramFrame>(f);
    ASSERT_NE(sf, nullptr);
    f.mdi_area()->setActiveSubWindow(sf);
    CSpectrogramPane& pane = sf->view().pane();
    ASSERT_TRUE(pane.compute_now());
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    const SpectrogramColumns* cols = pane.columns();
    ASSERT_NE(cols, nullptr);
    ASSERT_FALSE(cols->formants.empty());
    // The middle column's F1–F3 (the steady part of the vowel).
    const auto& mid = cols->formants[cols->formants.size() / 2];
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(mid[k], kF[k], 0.08 * kF[k]) << "F" << k + 1 << " at " << rate << " Hz";

    // Activating the waveform window and the spectrogram window again
    // neither recomputes nor shows anything. (The work area may re-lay out
    // the windows when the menus change with the active window: a size the
    // pane had before is not computed again.)
    auto flip = [&] {
        f.mdi_area()->setActiveSubWindow(waveform_frame(f));
        QTest::qWait(20);
        f.mdi_area()->setActiveSubWindow(sf);
        QTest::qWait(20);
        pane.screen_image();
    };
    const QSize first_size = pane.size();
    flip();
    EXPECT_LE(pane.compute_count(), 2) << first_size.width() << "x" << first_size.height() << " then "
                                       << pane.size().width() << "x" << pane.size().height();
    const int computed = pane.compute_count();
    for (int round = 0; round < 3; ++round) {
        f.mdi_area()->setActiveSubWindow(waveform_frame(f));
        QTest::qWait(20);
        f.mdi_area()->setActiveSubWindow(sf);
        QTest::qWait(20);
        pane.screen_image();
    }
    EXPECT_EQ(pane.compute_count(), computed);
    EXPECT_TRUE(fx.prompts.messages().empty());

    // FFT/LPC at a click in the middle of the waveform.
    CChildFrame* wf = waveform_frame(f);
    ASSERT_NE(wf, nullptr);
    f.mdi_area()->setActiveSubWindow(wf);
    QWidget* view = wf->view();
    const QPoint mid_point(view->width() / 2, view->height() / 3);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, mid_point);
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, mid_point);
    f.update_command_ui();
    ASSERT_TRUE(f.action(CommandId::FftLpc)->isEnabled());
    f.action(CommandId::FftLpc)->trigger();
    CFFTLPCFrame* ff = find_frame<CFFTLPCFrame>(f);
    ASSERT_NE(ff, nullptr);
    EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    const auto& r = ff->view().result();
    ASSERT_TRUE(r.has_value());
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(r->F[k], kF[k], 0.08 * kF[k]) << "slice F" << k + 1 << " at " << rate << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Rates, RecordingRate, ::testing::Values(8000, 16000, 22050, 44100, 48000));

// The option dialogs from their actions: OK on the values a 44.1 kHz file
// was given says nothing; values the person changes are kept for the next
// file, at another rate, while the others follow that file's rate.
TEST(RecordingRateDialogs, OkSaysNothingAndAChosenValueOutlivesTheFile) {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    f.show();
    const std::string a = fx.dir.file("a.wav");
    write_samples(a, vowel(44100), 44100);
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
    write_samples(b, vowel(16000), 16000);
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
