#pragma once
// The FFT/LPC window: CFFTLPCView shows one FFT/LPC slice (the FFT power
// spectrum of the frame at a cursor, or its average over a selection, with
// the LPC envelope), the formants and bandwidths as text, a frequency
// cursor with its read-outs; CFFTLPCFrame is its child window.
//
// Both curves share one dB axis: the FFT curve against 0 … its span, the
// LPC envelope shifted so that its peak meets the FFT curve's peak. The
// axis runs up to the span rounded up to the power-grid spacing, or in the
// relative format from minus that value to 0.

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

#include "core/app/command_table.h"
#include "core/dsp/fft_lpc_slice.h"
#include "core/document/label.h"
#include "gui/plot/plot_printer.h"
#include "gui/views/analysis/analysis_frame.h"

class QLabel;
class QMdiArea;

namespace vox {

class CMarbeckDoc;

// The frame (or selection) a slice is taken of, in samples of the audio channel.
struct FftLpcStretch {
    bool selection = false;
    std::uint64_t frame_start = 0;
    std::uint64_t sel_start = 0, sel_end = 0;
};

class CFFTLPCView : public QWidget {
    Q_OBJECT
public:
    enum Field { SampleRate, LpcCoefficients, Bandwidth, WindowLength, AppliedWindow, AverageStep, Power, Frequency,
                 FieldCount };

    CFFTLPCView(CMarbeckDoc& doc, QWidget* parent = nullptr);

    // Runs the checks and the analysis; false when they failed (the
    // message was shown) and the view stays empty.
    bool set_parameters(const FftLpcStretch& stretch, const FftLpcOptions& options);

    const std::optional<SliceResult>& result() const { return result_; }
    const FftLpcOptions& options() const { return options_; }
    QString field_text(Field f) const;
    // "Formants\t=" and the five slots, then the bandwidths.
    const QString& formants_text() const { return formants_text_; }
    bool has_cursor() const { return cursor_index_ >= 0; }
    int cursor_index() const { return cursor_index_; }

    // The plot rectangle (client pixels of the plot widget) and its widget.
    Rect plot_rect() const;
    QWidget* plot_widget() const { return plot_; }
    // The plot as the screen shows it (tracking line excluded).
    QImage plot_image();

    // Read-outs for a curve index: frequency (Hz) and level (dB) in the
    // chosen format.
    double frequency_at(int index) const;
    double level_at(int index) const;
    // The LPC envelope's level (dB) at a curve index as the plot draws it
    // (its peak placed on the FFT curve's top), in the read-out's format; 0
    // without an LPC result.
    double lpc_level_at(int index) const;
    // The stretch the slice was taken from (ms): the frame at the cursor, or
    // the selection of an average.
    double slice_start_ms() const;
    double slice_end_ms() const;
    // The dB span of the power axis: a curve value v (dB over the FFT
    // curve's minimum) is drawn at v / axis_top() of the plot's height.
    double axis_top() const;

    // The window's commands, each with its enable test and its handler.
    const CommandTable& commands() const { return commands_; }
    // nullopt when the window does not host the command, else whether it is
    // enabled now.
    std::optional<bool> command_enabled(CommandId id) const { return command_state(commands_, id); }
    // Runs a command of this view alone; false when it is not enabled here.
    bool handle_command(CommandId id) { return run_in(commands_, id); }

    plot::PageSetup page_setup() const;
    QImage render_bitmap();
    void render_plot(QPainter& p, const plot::PlotTarget& target);

    // Mouse in the plot widget (client x of that widget).
    void plot_mouse(int x, bool press, bool moving_with_button);
    void plot_resized();

private:
    friend class FftLpcPlot;
    void compute(bool report);
    void fill_fields();
    CommandTable make_commands();
    void print(bool preview);
    // The log entries (fft_lpc_view_log.cpp).
    bool log_open_with_fft() const;
    void log_at_marker();
    void log_formants_bandwidths();
    void log_all_frame();
    // One marker row: frequency, FFT level and, with the LPC curve drawn,
    // the LPC level, then the stretch the slice was taken from (ms).
    bool add_marker_row(double hz, int index, bool lpc_drawn, double from_ms, double to_ms);
    void draw(QPainter& p, const Rect& r, double scale, bool color, bool cursor);
    // LPC value of index i in the plot's terms (dB over the FFT curve's minimum).
    double lpc_curve_value(int i) const;
    bool save_bitmap();

    CMarbeckDoc& doc_;
    FftLpcStretch stretch_;
    FftLpcOptions options_;
    double fs_ = 0.0;
    std::optional<SliceResult> result_;
    bool parameters_set_ = false;
    std::array<QLabel*, FieldCount> fields_{};
    QLabel* formants_ = nullptr;
    QString formants_text_;
    QWidget* plot_ = nullptr;
    int cursor_index_ = -1;
    int tracking_x_ = -1;
    bool pressed_ = false;
    CommandTable commands_;
};

class CFFTLPCFrame : public CAnalysisFrame {
    Q_OBJECT
public:
    // Where the first window opens before one was placed: left, top,
    // width, height (pixels).
    static constexpr int kDefaultPlace[4] = {50, 50, 400, 300};

    CFFTLPCFrame(CMarbeckDoc& doc, bool average, QWidget* parent = nullptr);
    CFFTLPCView& view() const { return *view_; }
    const CommandTable& commands() const override { return view_->commands(); }
    static WindowRect& remembered(CMarbeckDoc& doc);

private:
    CFFTLPCView* view_ = nullptr;
};

// Opens an FFT/LPC window of the document in `area` (alone when null).
// Null when the checks or the analysis failed (the message was shown).
CFFTLPCFrame* OpenFftLpc(CMarbeckDoc& doc, QMdiArea* area, const FftLpcStretch& stretch);

}  // namespace vox
