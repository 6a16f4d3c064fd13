// The bundled labelled sample measured twice: in the application, as a
// person does it (Pitch All, a click inside each word, Enter Pitch at Marker,
// FFT/LPC at the cursor and Enter Formants and Bandwidths), and by
// voxtrel-cli measure at the same times. The two must give the same f0,
// intensity, F1–F3 and B1–B3.
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/dsp/math_func.h"
#include "gui/annotation/form_log.h"
#include "gui/annotation/frame_log.h"
#include "gui/app/child_frame.h"
#include "gui/grid/grid_control.h"
#include "gui/views/analysis/analysis_options.h"
#include "gui/views/analysis/fft_lpc_view.h"
#include "gui/views/waveform/option_dialogs.h"
#include "gui/views/waveform/marbeck_view.h"
#include "tests/gui/gui_test_support.h"

namespace vox::test {
namespace {

using C = CommandId;

const std::string kSample = std::string(VOXTREL_SOURCE_DIR) + "/data/samples/speech.vxl";

// One point measured in the application: the cursor's time and the values
// the log received (the log keeps one decimal).
struct AppPoint {
    std::size_t label = 0;  // index in time order within the tier
    double pct = 0.0;       // where the cursor fell within the label's stretch, %
    double time_ms = 0.0;
    double f0 = 0.0, intensity = 0.0;
    double F[3] = {}, B[3] = {};
};

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t at = 0;
    for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1)
        cells.push_back(line.substr(at, tab - at));
    cells.push_back(line.substr(at));
    return cells;
}

// The table's rows (comment lines and the header left out).
std::vector<std::vector<std::string>> rows_of(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#' && line.rfind("file\t", 0) != 0) rows.push_back(split_tabs(line));
    return rows;
}

// An empty cell is a value the log shows as 0.
double number(const std::string& cell) { return cell.empty() ? 0.0 : std::stod(cell); }

struct MeasureApp : ::testing::Test {
    AppFixture fx;
    CMainFrame& f = *fx.frame;
    CMarbeckDoc* doc = nullptr;
    CChildFrame* child = nullptr;

    CMarbeckView& waveform() { return *static_cast<CMarbeckView*>(child->view()); }
    CGridControl& log() { return *fx.app->log_window().current()->form()->grid(); }
    double logged(int row, int col) { return log().cell_number(row, col).value_or(-9999.0); }
    void trigger(C id) {
        f.update_command_ui();
        ASSERT_TRUE(f.action(id)->isEnabled()) << command_info(id).text;
        f.action(id)->trigger();
    }
    void TearDown() override {
        if (CFrameLog* l = fx.app->log_window().current()) delete l;
    }

    // File > Open on the sample, the options `choose` sets in their dialogs,
    // Pitch All over it and a new log.
    void open_sample(const std::function<void()>& choose) {
        fx.prompts.file_choices.push_back(kSample);
        trigger(C::FileOpen);
        ASSERT_EQ(f.document_count(), 1);
        doc = f.active_document();
        child = f.frames_of(*doc).front();
        child->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(child->view()));
        if (choose) choose();
        ASSERT_FALSE(HasFatalFailure());
        trigger(C::PitchAll);
        ASSERT_FALSE(waveform().pitch_contour().empty());
        trigger(C::LogNew);
        ASSERT_NE(fx.app->log_window().current(), nullptr);
        f.mdi_area()->setActiveSubWindow(child);
        EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    }

    // Opens an option dialog from its action and, while it is up, sets its
    // boxes and presses OK.
    template <class Dialog>
    void in_dialog(C id, const std::function<void(Dialog&)>& set) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dlg) return;
            seen = true;
            set(*dlg);
            dlg->accept();
        });
        trigger(id);
        ASSERT_TRUE(seen) << command_info(id).text;
        EXPECT_TRUE(fx.prompts.messages().empty()) << fx.prompts.messages().front();
    }

    // A click in the waveform at about `ms`, moved a pixel at a time until
    // the cursor lies in [lo, hi) ms and not on a sample's boundary (where
    // the FFT frame's first sample would hang on the last bit of a double).
    double click_near(double ms, double lo, double hi) {
        CMarbeckView& v = waveform();
        const Rect r = v.display_rect();
        const CChannels& ch = doc->channels[0];
        const double ws = ch.window_start_in_ms(), we = ch.window_end_in_ms();
        int x = r.left + static_cast<int>(std::lround((ms - ws) / (we - ws) * (r.right - r.left)));
        for (int tries = 0; tries < 8; ++tries) {
            QTest::mouseClick(&v, Qt::LeftButton, {}, QPoint(x, (r.top + r.bottom) / 2));
            const double t = ch.marker_ms;
            const double frac = ch.marker_sample - std::floor(ch.marker_sample);
            if (t < lo) ++x;
            else if (t >= hi) --x;
            else if (frac < 1e-6 || frac > 1.0 - 1e-6) ++x;
            else return t;
        }
        ADD_FAILURE() << "no pixel puts the cursor in [" << lo << ", " << hi << ") ms";
        return -1.0;
    }

    // Pitch and intensity by Enter Pitch at Marker, formants and bandwidths
    // by FFT/LPC at the cursor and Enter Formants and Bandwidths.
    void log_point(AppPoint& p) {
        f.mdi_area()->setActiveSubWindow(child);
        ASSERT_TRUE(waveform().has_cursor());
        const int rows = log().row_count();
        trigger(C::LogEnterPitchAtMarker);
        ASSERT_EQ(log().row_count(), rows + 1);
        EXPECT_NEAR(logged(rows, 2), p.time_ms, 0.05 + 1e-9);
        p.f0 = logged(rows, 3);
        p.intensity = logged(rows, 4);
        // The readouts under the waveform say the same.
        EXPECT_EQ(waveform().readout_text(CMarbeckView::PitchValue).trimmed().toStdString(),
                  log().cell_text(rows, 3).toStdString());

        trigger(C::FftLpc);
        auto* fft = qobject_cast<CFFTLPCFrame*>(f.mdi_area()->activeSubWindow());
        ASSERT_NE(fft, nullptr);
        if (fft->view().result().has_value()) {
            trigger(C::LogEnterFormantsBandwidths);
            ASSERT_EQ(log().row_count(), rows + 2);
            for (int k = 0; k < 3; ++k) {
                p.F[k] = logged(rows + 1, 2 + k);
                p.B[k] = logged(rows + 1, 7 + k);
            }
        } else {
            // Silence: the window says the LPC failed and shows no formants.
            ASSERT_FALSE(fx.prompts.messages().empty());
            EXPECT_EQ(fx.prompts.messages().back(), dsp_text::kLpcRoutineError);
        }
        fft->close();
        QApplication::processEvents();
    }
};

// The options as installed, or values chosen in the Pitch and FFT/LPC option
// dialogs and given to the command line as options.
struct OptionsCase {
    const char* name;
    const char* cli_options;
    bool chosen;
};

class MeasureAppOptions : public MeasureApp, public ::testing::WithParamInterface<OptionsCase> {};

TEST_P(MeasureAppOptions, TheCommandLineTableHoldsTheApplicationsValues) {
    std::function<void()> choose;
    if (GetParam().chosen)
        choose = [this] {
            in_dialog<COptionPitch>(C::OptionsPitch, [](COptionPitch& d) {
                d.calc_low_edit()->setValue(75.0);
                d.window_edit()->setValue(40.0);
            });
            in_dialog<COptionFFTLPC>(C::OptionsFftLpc, [](COptionFFTLPC& d) {
                d.choose_size(4);  // 512 points, the longest applied window with them
                d.lpc_edit()->setValue(18);
            });
            EXPECT_EQ(doc->options.pitch.calc_low_hz, 75.0);
            EXPECT_EQ(doc->options.pitch.window_ms, 40.0);
            EXPECT_EQ(doc->options.fft_lpc.lpc_coefficients, 18);
            EXPECT_EQ(slice_fft_points(doc->options.fft_lpc), 512);
        };
    open_sample(choose);
    ASSERT_FALSE(HasFatalFailure());
    const CChannels& ch = doc->channels[0];
    const Tier* tier = nullptr;
    for (const Tier& t : ch.tiers)
        if (t.name == "words") tier = &t;
    ASSERT_NE(tier, nullptr);
    std::vector<double> starts;
    for (const LABEL& l : tier->labels) starts.push_back(l.time_ms);
    std::sort(starts.begin(), starts.end());
    ASSERT_GE(starts.size(), 5u);

    // Clicks at about 20, 50 and 80 % of every word; the percentages given to
    // the command line are where the cursor really fell.
    std::vector<AppPoint> points;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const double lo = starts[k], hi = k + 1 < starts.size() ? starts[k + 1] : ch.duration_ms;
        for (double pct : {20.0, 50.0, 80.0}) {
            AppPoint p;
            p.label = k;
            p.time_ms = click_near(lo + pct / 100.0 * (hi - lo), lo, hi);
            ASSERT_GE(p.time_ms, lo);
            p.pct = (p.time_ms - lo) / (hi - lo) * 100.0;
            log_point(p);
            ASSERT_FALSE(HasFatalFailure());
            points.push_back(p);
        }
    }

    // One run with every point's percentage: each label is measured at all
    // of them, one row each, and a point's row is its label's at its own.
    std::string at;
    for (const AppPoint& p : points) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", p.pct);
        at += (at.empty() ? "" : ",") + std::string(text);
    }
    const auto r = run_shell(std::string("'") + VOXTREL_CLI_PROGRAM + "' measure '" + kSample +
                                 "' --tier words --jobs 1 " + GetParam().cli_options + " --at " + at,
                             true);
    ASSERT_EQ(r.rc, 0) << r.err;
    const auto rows = rows_of(r.out);
    ASSERT_EQ(rows.size(), starts.size() * points.size());
    int voiced = 0, with_formants = 0;
    for (std::size_t j = 0; j < points.size(); ++j) {
        const AppPoint& p = points[j];
        const auto& row = rows[p.label * points.size() + j];
        ASSERT_EQ(row.size(), 15u);
        SCOPED_TRACE(row[2] + " at " + row[6] + " ms");
        EXPECT_NEAR(std::stod(row[6]), p.time_ms, 0.0005 + 1e-9);
        // The log shows one decimal, the table two (f0, intensity) or one (formants).
        const double tol2 = 0.05 + 0.005 + 1e-6, tol1 = 0.05 + 0.05 + 1e-6;
        // What the application shows as 0 (unvoiced) or −1 (no formant) is an
        // empty cell in the table.
        auto agrees = [](const std::string& cell, double shown, double tol) {
            if (!(shown > 0.0)) return cell.empty();
            return !cell.empty() && std::fabs(std::stod(cell) - shown) <= tol;
        };
        EXPECT_PRED3(agrees, row[7], p.f0, tol2) << "f0";
        EXPECT_NEAR(number(row[8]), p.intensity, tol2) << "intensity";
        for (int k = 0; k < 3; ++k) {
            EXPECT_PRED3(agrees, row[9 + 2 * k], p.F[k], tol1) << "F" << k + 1;
            EXPECT_PRED3(agrees, row[10 + 2 * k], p.B[k], tol1) << "B" << k + 1;
        }
        if (p.f0 > 0.0) ++voiced;
        if (p.F[0] > 0.0) ++with_formants;
    }
    // Enough of the points are voiced and have formants for the comparison
    // to mean something.
    EXPECT_GT(voiced, 8);
    EXPECT_GT(with_formants, 20);
}

INSTANTIATE_TEST_SUITE_P(Options, MeasureAppOptions,
                         ::testing::Values(OptionsCase{"AsInstalled", "", false},
                                           OptionsCase{"ChosenInTheDialogs",
                                                       "--f0-min 75 --window-ms 40 --fft-points 512 --lpc-order 18",
                                                       true}),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vox::test
