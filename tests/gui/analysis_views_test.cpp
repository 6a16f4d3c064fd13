// The spectrogram and FFT/LPC windows over generated signals: rendered
// images, formant dots, read-outs, the option dialogs' checks and the
// spectrogram following the waveform view's mouse.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>

#include <algorithm>
#include <numeric>

#include "core/app/option_block.h"
#include "core/platform/memory_wave.h"
#include "gui/audio/sound_devices.h"
#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/analysis_text.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "gui/views/waveform/plot_geometry.h"
#include "tests/core/dsp/synth.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

struct AnalysisFixture : ViewFixture {
    std::unique_ptr<CSpectrogramView> sg;

    SpectrogramOptions sg_options(bool formants) {
        SpectrogramOptions o;
        o.bandwidth_index = 3;  // 256 points
        o.frequency_range_hz = 5000;
        o.dynamic_range_db = 35;
        o.pre_emphasis = 0.0;
        o.display_formants = formants;
        o.formant_lpc_coefficients = 14;
        return o;
    }

    CSpectrogramPane& open_sg(const SpectrogramOptions& o, int w = 420, int h = 320) {
        sg = std::make_unique<CSpectrogramView>(*doc);
        sg->resize(w, h);
        sg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sg.get()));
        const CChannels& ch = doc->channels[0];
        EXPECT_TRUE(sg->setup(SpectrogramStretch{0.0, ch.sample_count, 0.0, ch.duration_ms}, o));
        EXPECT_TRUE(sg->pane().compute_now());
        return sg->pane();
    }

    void save_png(const char* name) {
        if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR"))
            sg->grab().save(QString::fromLatin1(dir) + "/" + name + ".png");
    }
};

// Mean grey of each image row (0 black), top row first.
std::vector<double> row_means(const QImage& g) {
    std::vector<double> m(static_cast<std::size_t>(g.height()));
    for (int y = 0; y < g.height(); ++y) {
        const uchar* l = g.constScanLine(y);
        m[y] = std::accumulate(l, l + g.width(), 0.0) / g.width();
    }
    return m;
}

class ToneRow : public AnalysisFixture, public ::testing::WithParamInterface<double> {};

TEST_P(ToneRow, APureToneGivesOneDarkRowAtItsFrequency) {
    const double hz = GetParam();
    load_sine(12000.0, hz, 11025.0, 11025);
    CSpectrogramPane& pane = open_sg(sg_options(false));
    const QImage& g = pane.grey_image();
    ASSERT_FALSE(g.isNull());
    const auto m = row_means(g);
    const int darkest = static_cast<int>(std::min_element(m.begin(), m.end()) - m.begin());
    // Row r from the bottom is r·range/rows Hz.
    const double row_hz = double(g.height() - 1 - darkest) * 5000.0 / g.height();
    EXPECT_NEAR(row_hz, hz, 2.0 * 11025.0 / 256.0);
    EXPECT_LT(m[darkest], 40.0);
    // Far from the tone the image is white.
    const int far = hz < 2500.0 ? g.height() / 10 : g.height() * 9 / 10;
    EXPECT_GT(m[far], 250.0);
    save_png(("tone_" + std::to_string(int(hz))).c_str());
}

INSTANTIATE_TEST_SUITE_P(Frequencies, ToneRow, ::testing::Values(500.0, 1800.0, 3700.0));

TEST_F(AnalysisFixture, SilenceIsAllBlackAndHasNoFormantDots) {
    fill_audio(*doc, 11025.0, 11025, [](std::size_t) { return 0; });
    CSpectrogramPane& pane = open_sg(sg_options(true));
    const QImage& g = pane.grey_image();
    ASSERT_FALSE(g.isNull());
    for (int y = 0; y < g.height(); ++y)
        for (int x = 0; x < g.width(); ++x) ASSERT_EQ(g.pixelColor(x, y).red(), 0) << x << "," << y;
    // Nothing red on screen.
    const QImage s = pane.screen_image();
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const QColor c = s.pixelColor(x, y);
            ASSERT_FALSE(c.red() > 200 && c.green() < 80) << x << "," << y;
        }
}

TEST_F(AnalysisFixture, TwoFormantVowelPutsDotsNearItsFormants) {
    const double fs = 11025.0;
    const auto v = test::synth_voice(fs, 1.0, [](double) { return 120.0; }, {{600.0, 80.0}, {1700.0, 100.0}});
    fill_audio(*doc, fs, v.size(), [&](std::size_t i) { return v[i]; });
    CSpectrogramPane& pane = open_sg(sg_options(true));
    const SpectrogramColumns* c = pane.columns();
    ASSERT_NE(c, nullptr);
    ASSERT_TRUE(c->formants_found);
    std::vector<int> f1, f2;
    for (const auto& fr : c->formants) {
        for (int f : fr) {
            if (std::abs(f - 600) < 120) f1.push_back(f);
            if (std::abs(f - 1700) < 200) f2.push_back(f);
        }
    }
    const std::size_t frames = c->formants.size();
    EXPECT_GT(f1.size(), frames * 3 / 4);
    EXPECT_GT(f2.size(), frames * 3 / 4);
    // Red dots on screen in the rows of the two formants.
    const SpectrogramGeometry geo = pane.screen_geometry();
    const QImage s = pane.screen_image();
    auto red_near = [&](double hz) {
        const int y0 = geo.area.bottom - int(hz * (geo.area.bottom - geo.area.top) / 5000.0);
        int n = 0;
        for (int y = y0 - 6; y <= y0 + 6; ++y)
            for (int x = geo.area.left; x < geo.area.right; ++x) {
                const QColor q = s.pixelColor(x, y);
                n += q.red() > 200 && q.green() < 80 && q.blue() < 80;
            }
        return n;
    };
    EXPECT_GT(red_near(600.0), (geo.area.right - geo.area.left) / 2);
    EXPECT_GT(red_near(1700.0), (geo.area.right - geo.area.left) / 2);
    EXPECT_LT(red_near(3200.0), 20);
    save_png("vowel");
}

// A high voice's /i/ (F0 220 Hz, F1 310 Hz under a glottal pulse closed
// for a fifth of the period) at 22.05 kHz with the options a new document
// takes: the spectrogram draws the F1 track in red along the whole image,
// not only the tracks of F2 and above.
TEST_F(AnalysisFixture, AHighVoicesFirstFormantIsDrawn) {
    const double fs = 22050.0;
    test::VoiceSpec v;
    v.fs = fs;
    v.seconds = 1.0;
    v.f0 = [](double) { return 220.0; };
    v.formants = {{310, 80}, {2790, 100}, {3310, 120}, {4000, 150}, {4950, 200}};
    v.glottis = test::Glottis::Rosenberg;
    v.opening = 0.60;
    v.closing = 0.20;
    v.jitter = 0.005;
    const auto x = test::synth(v);
    fill_audio(*doc, fs, x.size(), [&](std::size_t i) { return x[i]; });
    SpectrogramOptions o = spectrogram_rate_defaults(SpectrogramOptions{}, fs);
    o.display_formants = true;
    CSpectrogramPane& pane = open_sg(o, 700, 420);
    const SpectrogramGeometry geo = pane.screen_geometry();
    const QImage s = pane.screen_image();
    // Columns with a red dot within 100 Hz of hz.
    auto columns_with_red_near = [&](double hz) {
        const double px_per_hz = (geo.area.bottom - geo.area.top) / static_cast<double>(o.frequency_range_hz);
        const int y0 = geo.area.bottom - static_cast<int>(hz * px_per_hz);
        const int dy = static_cast<int>(100.0 * px_per_hz) + 1;
        int n = 0;
        for (int x = geo.area.left; x < geo.area.right; ++x) {
            bool red = false;
            for (int y = std::max(geo.area.top, y0 - dy); y <= std::min(geo.area.bottom - 1, y0 + dy); ++y) {
                const QColor q = s.pixelColor(x, y);
                red = red || (q.red() > 200 && q.green() < 80 && q.blue() < 80);
            }
            n += red;
        }
        return n;
    };
    const int width = geo.area.right - geo.area.left;
    EXPECT_GT(columns_with_red_near(310.0), width * 3 / 4);
    EXPECT_GT(columns_with_red_near(2790.0), width * 3 / 4);
    save_png("high_voice_i");
}

TEST_F(AnalysisFixture, WithEveryDisplayOptionOffTheImageFillsTheClientBetweenItsMargins) {
    load_sine();
    SpectrogramOptions o = sg_options(false);
    o.add_frequency_grid = o.add_time_grid = 0;
    CSpectrogramPane& pane = open_sg(o);
    const QFontMetrics fm(ViewFont());
    const SpectrogramGeometry g = pane.screen_geometry();
    EXPECT_EQ(g.area.left, fm.horizontalAdvance("00000000"));
    EXPECT_EQ(g.area.top, 0);
    EXPECT_EQ(g.area.right, pane.width() - 5);
    EXPECT_EQ(g.area.bottom, pane.height() - (3 * fm.height()) / 2);
    EXPECT_EQ(pane.columns()->columns, g.area.right - g.area.left);
    EXPECT_EQ(pane.columns()->rows, g.area.bottom - g.area.top);
}

TEST_F(AnalysisFixture, ResizingRecomputesWithMoreFrames) {
    load_sine();
    CSpectrogramPane& pane = open_sg(sg_options(false));
    const int before = pane.columns()->columns;
    const int count = pane.compute_count();
    sg->resize(sg->width() + 150, sg->height());
    QTest::qWait(50);
    pane.compute_now();
    EXPECT_EQ(pane.compute_count(), count + 1);
    EXPECT_EQ(pane.columns()->columns, before + 150);
}

struct SetupCheck {
    int range, lpc;
    const char* message;  // null: accepted
};

class SpectrogramSetupChecks : public AnalysisFixture, public ::testing::WithParamInterface<SetupCheck> {};

TEST_P(SpectrogramSetupChecks, RefusedOptionsShowTheirMessageAndSetNothingUp) {
    load_sine();  // 11025 Hz: range limit 5000 Hz, LPC limit 21
    sg = std::make_unique<CSpectrogramView>(*doc);
    SpectrogramOptions o = sg_options(true);
    o.frequency_range_hz = GetParam().range;
    o.formant_lpc_coefficients = GetParam().lpc;
    const bool ok = sg->setup(SpectrogramStretch{0, 11025, 0, 1000}, o);
    EXPECT_EQ(ok, GetParam().message == nullptr);
    EXPECT_EQ(sg->pane().needs_computation(), ok);
    if (GetParam().message) {
        ASSERT_EQ(prompts.messages().size(), 1u);
        EXPECT_EQ(prompts.messages()[0], GetParam().message);
    } else {
        EXPECT_TRUE(prompts.messages().empty());
        EXPECT_EQ(sg->field_text(CSpectrogramView::SampleRate), "11025");
        EXPECT_EQ(sg->field_text(CSpectrogramView::Bandwidth), "43");
        EXPECT_EQ(sg->field_text(CSpectrogramView::PreEmphasis), "0.00");
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, SpectrogramSetupChecks,
                         ::testing::Values(SetupCheck{5000, 21, nullptr},
                                           SetupCheck{5001, 14, spectrogram_text::kFrequencyRangeTooHigh},
                                           SetupCheck{5000, 22, spectrogram_text::kLpcOrderTooHigh}));

TEST_F(AnalysisFixture, PressAndDragInThePaneSetCursorSelectionAndReadouts) {
    load_sine();
    CSpectrogramPane& pane = open_sg(sg_options(false));
    const SpectrogramGeometry g = pane.screen_geometry();
    const int x0 = g.area.left + 50, x1 = g.area.left + 150;
    const int y = (g.area.top + g.area.bottom) / 2;
    QTest::mousePress(&pane, Qt::LeftButton, {}, QPoint(x0, y));
    EXPECT_TRUE(pane.has_cursor());
    EXPECT_NEAR(pane.cursor_ms(), pane.x_to_ms(x0), 1e-9);
    EXPECT_NEAR(sg->field_text(CSpectrogramView::Frequency).toDouble(), pane.y_to_hz(y), 0.1);
    QMouseEvent move(QEvent::MouseMove, QPointF(x1, y), QPointF(x1, y), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&pane, &move);
    QTest::mouseRelease(&pane, Qt::LeftButton, {}, QPoint(x1, y));
    ASSERT_TRUE(pane.has_selection());
    const double w = g.area.right - g.area.left;
    EXPECT_NEAR(pane.selection_end_ms() - pane.selection_start_ms(), 100.0 * 1000.0 / w, 1e-6);
    EXPECT_NEAR(sg->field_text(CSpectrogramView::Duration).toDouble(), 100.0 * 1000.0 / w, 0.05);
    EXPECT_EQ(sg->command_enabled(CommandId::FftLpcSelection), std::optional<bool>(true));
    // Moving the selection did not recompute.
    EXPECT_EQ(pane.compute_count(), 1);
}

TEST_F(AnalysisFixture, ThePaneFollowsTheWaveformViewsMouse) {
    load_sine();
    CMarbeckView& wave = show(800, 300);
    CSpectrogramPane& pane = open_sg(sg_options(false));
    QObject::connect(&wave, &CMarbeckView::pointerForwarded, &pane,
                     [&pane](int phase, double ms) { pane.follow(static_cast<FollowPhase>(phase), ms); });
    const int y = 60;
    QTest::mousePress(&wave, Qt::LeftButton, {}, QPoint(200, y));
    const double press_ms = doc->channels[0].marker_ms;
    EXPECT_NEAR(pane.cursor_ms(), press_ms, 1e-9);
    EXPECT_EQ(pane.cursor_x(), pane.ms_to_x(press_ms));
    QMouseEvent move(QEvent::MouseMove, QPointF(500, y), QPointF(500, y), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&wave, &move);
    QTest::mouseRelease(&wave, Qt::LeftButton, {}, QPoint(500, y));
    ASSERT_TRUE(pane.has_selection());
    const CChannels& ch = doc->channels[0];
    EXPECT_NEAR(pane.selection_start_ms(), std::min(ch.sel_start_ms, ch.sel_end_ms), 1.0);
    EXPECT_NEAR(pane.selection_end_ms(), std::max(ch.sel_start_ms, ch.sel_end_ms), 1.0);
    EXPECT_NEAR(sg->field_text(CSpectrogramView::Duration).toDouble(),
                pane.selection_end_ms() - pane.selection_start_ms(), 0.05);
}

// Whatever the pane's size, the selection the pane takes from the waveform
// view starts and ends at the view's own times, not at the pane's pixels.
class PaneFollowSize : public AnalysisFixture, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(PaneFollowSize, SelectionTimesAreTheWaveformViewsExactly) {
    load_sine();
    CMarbeckView& wave = show(800, 300);
    CSpectrogramPane& pane = open_sg(sg_options(false), GetParam().first, 320);
    QObject::connect(&wave, &CMarbeckView::pointerForwarded, &pane,
                     [&pane](int phase, double ms) { pane.follow(static_cast<FollowPhase>(phase), ms); });
    const int y = 60, x0 = GetParam().second;
    QTest::mousePress(&wave, Qt::LeftButton, {}, QPoint(x0, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(x0 + 260, y), QPointF(x0 + 260, y), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&wave, &move);
    QTest::mouseRelease(&wave, Qt::LeftButton, {}, QPoint(x0 + 260, y));
    ASSERT_TRUE(pane.has_selection());
    const CChannels& ch = doc->channels[0];
    EXPECT_NEAR(pane.selection_start_ms(), std::min(ch.sel_start_ms, ch.sel_end_ms), 1e-9);
    EXPECT_NEAR(pane.selection_end_ms(), std::max(ch.sel_start_ms, ch.sel_end_ms), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PaneFollowSize,
                         ::testing::Values(std::pair{420, 200}, std::pair{333, 123}, std::pair{611, 77},
                                           std::pair{250, 301}));

struct PlayFixture : AnalysisFixture {
    MemoryWaveOut speaker{20.0};
    SoundDevices devices;
    PlayFixture() {
        devices.install(&speaker, nullptr);
        join_session(&devices);
    }
    ~PlayFixture() override {
        sg.reset();
        doc.reset();  // before the devices its session plays through
    }
};

TEST_F(PlayFixture, PlayWindowAndPlaySelectionPlayExactlyTheirSamples) {
    fill_audio(*doc, 11025.0, 11025, [](std::size_t i) { return static_cast<int>(i % 20000) - 10000; });
    sg = std::make_unique<CSpectrogramView>(*doc);
    sg->resize(420, 320);
    sg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sg.get()));
    // The shown stretch: samples 2000 … 6000.
    ASSERT_TRUE(sg->setup(SpectrogramStretch{2000.0, 6000.0, 2000.0 / 11.025, 6000.0 / 11.025}, sg_options(false)));
    CSpectrogramPane& pane = sg->pane();
    ASSERT_TRUE(pane.compute_now());
    EXPECT_EQ(sg->command_enabled(CommandId::PlaySelection), std::optional<bool>(false));
    ASSERT_EQ(sg->command_enabled(CommandId::PlayWindow), std::optional<bool>(true));
    ASSERT_TRUE(sg->handle_command(CommandId::PlayWindow));
    EXPECT_TRUE(pane.playing());
    EXPECT_EQ(sg->command_enabled(CommandId::PlayWindow), std::optional<bool>(false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane.playing(); }, 5000));
    const auto& ch = doc->channels[0];
    std::vector<std::int16_t> want(ch.samples.data() + 2000, ch.samples.data() + 6000);
    EXPECT_EQ(speaker.played().samples, want);
    // The play cursor went across the image to the end of the stretch.
    EXPECT_GT(pane.cursor_ms(), 2000.0 / 11.025);

    // A selection of the image plays its own samples.
    const SpectrogramGeometry g = pane.screen_geometry();
    const int x0 = g.area.left + 100, x1 = g.area.left + 200, y = g.area.top + 20;
    QTest::mousePress(&pane, Qt::LeftButton, {}, QPoint(x0, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(x1, y), QPointF(x1, y), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&pane, &move);
    QTest::mouseRelease(&pane, Qt::LeftButton, {}, QPoint(x1, y));
    ASSERT_EQ(sg->command_enabled(CommandId::PlaySelection), std::optional<bool>(true));
    const std::size_t before = speaker.played().samples.size();
    ASSERT_TRUE(sg->handle_command(CommandId::PlaySelection));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane.playing(); }, 5000));
    const int a = static_cast<int>(pane.selection_start_ms() * 11.025), b = static_cast<int>(pane.selection_end_ms() * 11.025);
    const auto got = speaker.played().samples;
    ASSERT_EQ(got.size() - before, std::size_t(b - a));
    EXPECT_TRUE(std::equal(got.begin() + before, got.end(), ch.samples.data() + a));
}

// --- FFT/LPC --------------------------------------------------------------------------

struct FftFixture : AnalysisFixture {
    std::unique_ptr<CFFTLPCFrame> frame;
    CFFTLPCView& open_fft(const FftLpcStretch& st, const FftLpcOptions& o) {
        frame = std::make_unique<CFFTLPCFrame>(*doc, st.selection);
        frame->resize(600, 420);
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        frame->view().set_parameters(st, o);
        return frame->view();
    }
};

TEST_F(FftFixture, TheCurvePeaksAtTheToneAndTheCursorReadsIt) {
    load_sine(12000.0, 1500.0);
    FftLpcOptions o;
    o.lpc_coefficients = 14;
    CFFTLPCView& v = open_fft(FftLpcStretch{false, 2000, 0, 0}, o);
    ASSERT_TRUE(v.result().has_value());
    const auto& fft = v.result()->fft;
    const int peak = static_cast<int>(std::max_element(fft.begin(), fft.end()) - fft.begin());
    EXPECT_NEAR(v.frequency_at(peak), 1500.0, 11025.0 / 256.0);
    // Moving over the peak's column reads its frequency and level.
    const Rect r = v.plot_rect();
    const int x = r.left + static_cast<int>(std::ceil(double(peak) * (r.right - r.left) / fft.size()));
    QTest::mouseMove(v.plot_widget(), QPoint(x, (r.top + r.bottom) / 2));
    EXPECT_NEAR(v.field_text(CFFTLPCView::Frequency).toDouble(), 1500.0, 11025.0 / 256.0);
    // Absolute format: the peak's level in dB, the curve's top plus the level of its minimum.
    EXPECT_NEAR(v.field_text(CFFTLPCView::Power).toDouble(), v.result()->fft_max + v.result()->fft_min, 3.0);
    EXPECT_GT(v.result()->fft_min, 1.0);
    EXPECT_FALSE(v.has_cursor());
    QTest::mouseClick(v.plot_widget(), Qt::LeftButton, {}, QPoint(x, r.top + 5));
    EXPECT_TRUE(v.has_cursor());
    // Outside the plot nothing changes.
    const QString before = v.field_text(CFFTLPCView::Frequency);
    QTest::mouseMove(v.plot_widget(), QPoint(r.left - 3, r.top + 5));
    EXPECT_EQ(v.field_text(CFFTLPCView::Frequency), before);
    EXPECT_EQ(frame->windowTitle().toStdString(), doc->title() + analysis_text::kFftLpcTitleSuffix);
}

TEST_F(FftFixture, EmptyFormantSlotsPrintAsMinusOneInSevenCharacters) {
    fill_audio(*doc, 11025.0, 11025, [](std::size_t) { return 0; });
    FftLpcOptions o;
    CFFTLPCView& v = open_fft(FftLpcStretch{true, 0, 1000, 5000}, o);
    const QString t = v.formants_text();
    EXPECT_TRUE(t.startsWith("Formants\t=\t   -1.0")) << t.toStdString();
    EXPECT_TRUE(t.contains("\nBandwidths\t=\t   -1.0")) << t.toStdString();
    EXPECT_EQ(frame->windowTitle().toStdString(), doc->title() + analysis_text::kAverageFftLpcTitleSuffix);
}

TEST_F(FftFixture, AVowelsFormantsComeOutInTheText) {
    const double fs = 11025.0;
    const auto v = test::synth_voice(fs, 0.5, [](double) { return 110.0; }, {{700.0, 90.0}, {1200.0, 110.0}});
    fill_audio(*doc, fs, v.size(), [&](std::size_t i) { return v[i]; });
    FftLpcOptions o;
    o.lpc_coefficients = 14;
    CFFTLPCView& view = open_fft(FftLpcStretch{false, 2000, 0, 0}, o);
    ASSERT_TRUE(view.result().has_value());
    EXPECT_NEAR(view.result()->F[0], 700.0, 80.0);
    EXPECT_NEAR(view.result()->F[1], 1200.0, 100.0);
    if (const char* dir = std::getenv("VOXTREL_VIEW_PNG_DIR")) {
        QTest::qWait(30);
        frame->grab().save(QString::fromLatin1(dir) + "/fft_lpc.png");
        view.render_bitmap().save(QString::fromLatin1(dir) + "/fft_lpc_bitmap.png");
    }
}

// --- option dialogs ---------------------------------------------------------------------

struct RangeCheck {
    int range, lpc;
    std::string message;
};

class SpectrogramDialogChecks : public AnalysisFixture, public ::testing::WithParamInterface<RangeCheck> {};

TEST_P(SpectrogramDialogChecks, OkRefusesOutOfRangeValuesAndStaysOpen) {
    SpectrogramOptions o;
    COptionSpectrogram dlg(o, 11025.0, prompts);
    dlg.frequency_range_edit()->setValue(GetParam().range);
    dlg.lpc_edit()->setValue(GetParam().lpc);
    EXPECT_EQ(dlg.try_accept(), GetParam().message.empty());
    if (GetParam().message.empty())
        EXPECT_TRUE(prompts.messages().empty());
    else
        EXPECT_EQ(prompts.messages(), std::vector<std::string>{GetParam().message});
}

INSTANTIATE_TEST_SUITE_P(Values, SpectrogramDialogChecks,
                         ::testing::Values(RangeCheck{500, 14, ""}, RangeCheck{499, 14, spectrogram_text::kRangeTooLow},
                                           RangeCheck{5001, 14, "Frequency range is too high. Must be < 5000 Hz"},
                                           RangeCheck{5000, 400, ""}));

TEST_F(AnalysisFixture, SpectrogramDialogTextsGridEnablingAndDefaults) {
    SpectrogramOptions o;
    o.display_formants = 1;
    o.dynamic_range_db = 50;
    COptionSpectrogram dlg(o, 11025.0, prompts);
    ASSERT_EQ(dlg.window_combo()->count(), 9);
    EXPECT_EQ(dlg.window_combo()->itemText(0), "  344  Hz  (  32 pts)");
    EXPECT_EQ(dlg.window_combo()->itemText(2), "  86  Hz   ( 128 pts)");
    dlg.frequency_grid_box()->setChecked(false);
    EXPECT_FALSE(dlg.frequency_grid_edit()->isEnabled());
    dlg.frequency_grid_box()->setChecked(true);
    EXPECT_TRUE(dlg.frequency_grid_edit()->isEnabled());
    dlg.time_grid_box()->setChecked(false);
    EXPECT_FALSE(dlg.time_grid_edit()->isEnabled());
    dlg.press_defaults();
    ASSERT_TRUE(dlg.try_accept());
    EXPECT_EQ(dlg.options().bandwidth_index, 2);
    EXPECT_EQ(dlg.options().frequency_range_hz, 5000);
    EXPECT_EQ(dlg.options().formant_lpc_coefficients, 14);
    EXPECT_EQ(dlg.options().dynamic_range_db, 35);
    EXPECT_EQ(dlg.options().display_formants, 1);  // kept by Defaults
    EXPECT_EQ(dlg.options().add_time_grid, 1);
}

TEST_F(AnalysisFixture, FftLpcDialogSizesAppliedWindowAndCoefficients) {
    FftLpcOptions o;
    COptionFFTLPC dlg(o, 22050.0, prompts);
    ASSERT_EQ(dlg.size_list()->count(), 8);
    EXPECT_EQ(dlg.size_list()->item(3)->text(), "  86  Hz  ( 256 pts)");
    EXPECT_EQ(dlg.size_list()->item(7)->text(), "  5  Hz  (4096 pts)");
    dlg.choose_size(5);  // 1024 points at 22050 Hz: 46 ms
    EXPECT_EQ(dlg.applied_window_edit()->value(), 46);
    dlg.applied_window_edit()->setValue(47);
    dlg.check_applied_window();
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{analysis_text::kFlWindowOutOfRange});
    EXPECT_EQ(prompts.count(ScriptedPrompts::Event::Beep), 1);
    EXPECT_EQ(dlg.applied_window_edit()->value(), 46);
    dlg.applied_window_edit()->setValue(30);
    dlg.check_applied_window();
    EXPECT_EQ(prompts.messages().size(), 1u);
    // Coefficients stay within 4 … 100 and come out even.
    dlg.lpc_edit()->setValue(2);
    EXPECT_EQ(dlg.lpc_edit()->value(), 4);
    dlg.lpc_edit()->setValue(250);
    EXPECT_EQ(dlg.lpc_edit()->value(), 100);
    dlg.lpc_edit()->setValue(27);
    ASSERT_TRUE(dlg.try_accept());
    EXPECT_EQ(dlg.options().lpc_coefficients, 26);
    EXPECT_EQ(dlg.options().fft_points, 1024);
    dlg.press_default_size();
    ASSERT_TRUE(dlg.try_accept());
    EXPECT_EQ(dlg.options().fft_points, 256);
    EXPECT_EQ(dlg.options().applied_window_ms, 11);
    EXPECT_EQ(dlg.options().frequency_range_hz, 11000);
    EXPECT_EQ(dlg.options().lpc_coefficients, 26);
}

}  // namespace
}  // namespace vox::viewtest
