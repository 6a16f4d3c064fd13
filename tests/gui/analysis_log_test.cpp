// Log rows entered from the FFT/LPC and spectrogram windows over a
// synthetic vowel.
#include <QMouseEvent>

#include <algorithm>

#include "core/annotation/log_texts.h"
#include "gui/annotation/form_log.h"
#include "gui/annotation/frame_log.h"
#include "gui/grid/grid_control.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/analysis/spectrogram_pane.h"
#include "gui/views/analysis/spectrogram_view.h"
#include "tests/core/dsp/synth.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

using C = CommandId;

struct AnalysisLog : ViewFixture {
    WindowRect placement;
    LogWindowSlot slot{prompts, placement};
    std::unique_ptr<CFrameLog> log;
    std::unique_ptr<CFFTLPCFrame> fft;
    std::unique_ptr<CSpectrogramView> sg;

    // Half a second of a vowel at 110 Hz with formants at 700 and 1200 Hz.
    void load_vowel() {
        const double fs = 11025.0;
        const auto v = test::synth_voice(fs, 0.5, [](double) { return 110.0; }, {{700.0, 90.0}, {1200.0, 110.0}});
        fill_audio(*doc, fs, v.size(), [&](std::size_t i) { return v[i]; });
    }
    void open_log() {
        log = std::make_unique<CFrameLog>(slot, prompts, placement);
        log->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    CFFTLPCView& open_fft(bool draw_lpc = true) {
        FftLpcOptions o;
        o.lpc_coefficients = 14;
        o.draw_lpc = draw_lpc;
        fft = std::make_unique<CFFTLPCFrame>(*doc, false);
        fft->resize(600, 420);
        fft->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(fft.get()));
        fft->view().set_parameters(FftLpcStretch{false, 2000, 0, 0}, o);
        return fft->view();
    }
    CSpectrogramPane& open_sg() {
        SpectrogramOptions o;
        o.bandwidth_index = 3;
        o.frequency_range_hz = 5000;
        o.dynamic_range_db = 35;
        o.pre_emphasis = 0.0;
        o.display_formants = 1;
        o.formant_lpc_coefficients = 14;
        sg = std::make_unique<CSpectrogramView>(*doc);
        sg->resize(420, 320);
        sg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sg.get()));
        const CChannels& ch = doc->channels[0];
        EXPECT_TRUE(sg->setup(SpectrogramStretch{0.0, ch.sample_count, 0.0, ch.duration_ms}, o));
        EXPECT_TRUE(sg->pane().compute_now());
        return sg->pane();
    }
    CGridControl& grid() { return *log->form()->grid(); }
    std::string cell(int r, int c) { return grid().cell_text(r, c).toStdString(); }
    double number(int r, int c) { return grid().cell_number(r, c).value_or(-9999.0); }
    AnalysisLog() { join_session(nullptr, &slot); }
    ~AnalysisLog() override {
        fft.reset();
        sg.reset();
        log.reset();
    }
};

TEST_F(AnalysisLog, FftFormantsAndBandwidthsRowHoldsTheTenSlots) {
    load_vowel();
    CFFTLPCView& v = open_fft();
    ASSERT_TRUE(v.result());
    EXPECT_EQ(v.command_enabled(C::LogEnterFormantsBandwidths), std::optional<bool>(false));  // no log window
    open_log();
    EXPECT_EQ(v.command_enabled(C::LogEnterFormantsBandwidths), std::optional<bool>(true));
    EXPECT_EQ(v.command_enabled(C::LogEnterAtMarker), std::optional<bool>(false));  // no cursor yet
    ASSERT_TRUE(v.handle_command(C::LogEnterFormantsBandwidths));
    ASSERT_EQ(grid().row_count(), 1);
    EXPECT_EQ(grid().column_count(), 15);
    EXPECT_EQ(cell(0, 1), log_text::kFftLpcFormants);
    EXPECT_NEAR(number(0, 2), 700.0, 80.0);
    EXPECT_NEAR(number(0, 3), 1200.0, 100.0);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cell(0, 2 + i), FormatLogValue(v.result()->F[i]));
        EXPECT_EQ(cell(0, 7 + i), FormatLogValue(v.result()->B[i]));
    }
}

class FftMarker : public AnalysisLog, public ::testing::WithParamInterface<bool> {};

TEST_P(FftMarker, CursorRowCarriesTheLpcLevelOnlyWhenDrawn) {
    const bool lpc = GetParam();
    load_vowel();
    CFFTLPCView& v = open_fft(lpc);
    open_log();
    const Rect r = v.plot_rect();
    QTest::mouseClick(v.plot_widget(), Qt::LeftButton, {}, QPoint((r.left + r.right) / 3, r.top + 5));
    ASSERT_TRUE(v.has_cursor());
    ASSERT_TRUE(v.handle_command(C::LogEnterAtMarker));
    ASSERT_EQ(grid().row_count(), 1);
    EXPECT_EQ(cell(0, 1), lpc ? log_text::kFftLpcMarkerLpc : log_text::kFftLpcMarker);
    EXPECT_EQ(cell(0, 2), FormatLogValue(v.frequency_at(v.cursor_index())));
    EXPECT_EQ(cell(0, 3), FormatLogValue(v.level_at(v.cursor_index())));
    EXPECT_EQ(grid().column_count(), lpc ? 8 : 7);
    if (lpc) {
        EXPECT_EQ(cell(0, 4), FormatLogValue(v.lpc_level_at(v.cursor_index())));
    }
    // The row ends with the frame's stretch: from the cursor's sample 2000,
    // one FFT frame long.
    const int last = lpc ? 5 : 4;
    EXPECT_EQ(cell(0, last), FormatLogValue(2000 * 1000.0 / 11025.0));
    EXPECT_EQ(cell(0, last + 1), FormatLogValue((2000 + slice_fft_points(v.options())) * 1000.0 / 11025.0));
}

// The logged levels are the ones the plot draws: the LPC envelope is read
// back from its red pixels at the cursor's column, in both level formats.
class FftDrawnLevels : public AnalysisLog, public ::testing::WithParamInterface<int> {};

TEST_P(FftDrawnLevels, LoggedLpcLevelSitsOnTheDrawnCurve) {
    load_vowel();
    FftLpcOptions o;
    o.lpc_coefficients = 14;
    o.draw_lpc = 1;
    o.color = 1;
    o.absolute_db = GetParam();
    fft = std::make_unique<CFFTLPCFrame>(*doc, false);
    fft->resize(600, 420);
    fft->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fft.get()));
    CFFTLPCView& v = fft->view();
    ASSERT_TRUE(v.set_parameters(FftLpcStretch{false, 2000, 0, 0}, o));
    open_log();
    const Rect r = v.plot_rect();
    const int n = static_cast<int>(v.result()->fft.size());
    // The cursor near the first formant (700 Hz) and near 2500 Hz, between formants.
    for (double hz : {700.0, 2500.0}) {
        const int index = static_cast<int>(hz / (o.frequency_range_hz / double(n)));
        const int x = r.left + static_cast<int>(double(r.right - r.left) / n * index) + 1;
        QTest::mouseClick(v.plot_widget(), Qt::LeftButton, {}, QPoint(x, r.top + 5));
        ASSERT_TRUE(v.has_cursor());
        const int rows = grid().row_count();
        ASSERT_TRUE(v.handle_command(C::LogEnterAtMarker));
        ASSERT_EQ(grid().row_count(), rows + 1);
        const double logged_lpc = number(rows, 4);
        const double logged_fft = number(rows, 3);
        EXPECT_EQ(cell(rows, 3), FormatLogValue(v.level_at(v.cursor_index())));
        // Where the red envelope crosses the cursor's column.
        const QImage img = v.plot_image();
        const int cx = r.left + static_cast<int>(double(r.right - r.left) / n * v.cursor_index());
        // The cursor line covers its own column: read one column either side.
        double sum = 0.0;
        int count = 0;
        for (int col : {cx - 1, cx + 1})
            for (int y = r.top + 1; y < r.bottom - 1; ++y) {
                const QRgb c = img.pixel(col, y);
                if (qRed(c) > 180 && qGreen(c) < 110 && qBlue(c) < 110) {
                    sum += y;
                    ++count;
                }
            }
        ASSERT_GT(count, 0) << hz;
        const double y = sum / count;
        const double H = r.bottom - r.top;
        const double drawn = (r.bottom - 1 - y) / (H - 1) * v.axis_top();  // dB over the curve's minimum
        const double drawn_level = o.absolute_db ? drawn + v.result()->fft_min : drawn - v.result()->fft_max;
        const double db_per_pixel = v.axis_top() / (H - 1);
        EXPECT_NEAR(logged_lpc, drawn_level, 0.1 + 3.0 * db_per_pixel) << hz;
        // The envelope runs over the harmonics' peaks near a formant.
        if (hz == 700.0) {
            EXPECT_NEAR(logged_lpc, logged_fft, 15.0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FftDrawnLevels, ::testing::Values(1, 0));

TEST_F(AnalysisLog, AverageRowsCarryTheSelectionsStretch) {
    load_vowel();
    FftLpcOptions o;
    o.lpc_coefficients = 14;
    fft = std::make_unique<CFFTLPCFrame>(*doc, true);
    fft->resize(600, 420);
    fft->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fft.get()));
    CFFTLPCView& v = fft->view();
    ASSERT_TRUE(v.set_parameters(FftLpcStretch{true, 0, 1000, 4500}, o));
    open_log();
    ASSERT_TRUE(v.handle_command(C::LogEnterFormantsBandwidths));
    ASSERT_EQ(grid().row_count(), 1);
    EXPECT_EQ(cell(0, 12), FormatLogValue(1000 * 1000.0 / 11025.0));
    EXPECT_EQ(cell(0, 13), FormatLogValue(4500 * 1000.0 / 11025.0));
}

INSTANTIATE_TEST_SUITE_P(DrawLpc, FftMarker, ::testing::Bool());

TEST_F(AnalysisLog, AllFrameRowsStepThroughTheRangeAndALeftPressStopsThem) {
    load_vowel();
    doc->options.log_step_hz = 500;
    CFFTLPCView& v = open_fft();
    open_log();
    QTest::qWait(50);  // the plot has its final width
    const std::vector<double> curve = v.result()->fft;
    ASSERT_TRUE(v.handle_command(C::LogEnterAllFftLpcFrame));
    ASSERT_EQ(v.result()->fft, curve);
    // 0, 500, ... 4500 Hz below the 5000 Hz range.
    ASSERT_EQ(grid().row_count(), 10);
    const double bin = 5000.0 / double(v.result()->fft.size());
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(cell(k, 2), FormatLogValue(500.0 * k));
        EXPECT_EQ(cell(k, 3), FormatLogValue(v.level_at(static_cast<int>(500.0 * k / bin))));
    }
    // A left press waiting when the entry starts: no row at all.
    QCoreApplication::postEvent(v.plot_widget(), new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                                 Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    ASSERT_TRUE(v.handle_command(C::LogEnterAllFftLpcFrame));
    EXPECT_EQ(grid().row_count(), 10);
    // And without one the rows come again.
    ASSERT_TRUE(v.handle_command(C::LogEnterAllFftLpcFrame));
    EXPECT_EQ(grid().row_count(), 20);
}

TEST_F(AnalysisLog, SpectrogramMarkerDurationAndFormantRows) {
    load_vowel();
    CSpectrogramPane& p = open_sg();
    ASSERT_TRUE(p.columns() && p.columns()->formants_found);
    open_log();
    EXPECT_EQ(sg->command_enabled(C::LogEnterAtMarker), std::optional<bool>(false));
    p.set_cursor_time(250.0);
    ASSERT_TRUE(sg->handle_command(C::LogEnterAtMarker));
    ASSERT_TRUE(sg->handle_command(C::LogEnterFormantsAtMarker));
    ASSERT_EQ(grid().row_count(), 2);
    EXPECT_EQ(cell(0, 1), log_text::kSpectrogramMarker);
    EXPECT_EQ(cell(0, 2), FormatLogValue(p.cursor_ms()));
    EXPECT_EQ(cell(0, 3), FormatLogValue(p.cursor_hz()));
    EXPECT_EQ(cell(1, 1), log_text::kSpectrogramFormantsMarker);
    EXPECT_EQ(cell(1, 2), "250.0");
    const auto f = p.formants_at(250.0);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(cell(1, 3 + j), FormatLogValue(f[j]));
    EXPECT_NEAR(number(1, 3), 700.0, 120.0);

    // A selection of 100 .. 300 ms followed from the waveform view.
    p.follow(FollowPhase::Press, 100.0);
    p.follow(FollowPhase::Drag, 300.0);
    p.follow(FollowPhase::Release, 300.0);
    ASSERT_TRUE(p.has_selection());
    ASSERT_TRUE(sg->handle_command(C::LogEnterDuration));
    EXPECT_EQ(cell(2, 1), log_text::kSpectrogramDuration);
    // The selection's ends sit on the pixels of the two times.
    const double lo = p.selection_start_ms(), hi = p.selection_end_ms();
    EXPECT_NEAR(lo, 100.0, 2.0);
    EXPECT_NEAR(hi, 300.0, 2.0);
    EXPECT_EQ(cell(2, 2), FormatLogValue(lo));
    EXPECT_EQ(cell(2, 3), FormatLogValue(hi));
    EXPECT_EQ(cell(2, 4), FormatLogValue(hi - lo));
    ASSERT_TRUE(sg->handle_command(C::LogEnterFormantsSelection));
    const int frames = grid().row_count() - 3;
    const std::size_t n = p.columns()->formants.size();
    const double span = doc->channels[0].duration_ms;
    int expected = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) * span / double(n);
        expected += t >= lo && t <= hi;
    }
    ASSERT_GT(expected, 5);
    EXPECT_EQ(frames, expected);
    int near_f1 = 0;
    for (int r = 3; r < grid().row_count(); ++r) {
        EXPECT_EQ(cell(r, 1), log_text::kSpectrogramFormantsDuration);
        EXPECT_GE(number(r, 2), lo - 0.05);
        EXPECT_LE(number(r, 2), hi + 0.05);
        near_f1 += std::abs(number(r, 3) - 700.0) < 120.0;
    }
    EXPECT_GT(near_f1, frames * 3 / 4);
}

}  // namespace
}  // namespace vox::viewtest
