#pragma once
// The spectrogram window: CSpectrogramFrame (the child window in the
// multiple-document frame), CSpectrogramView (an information bar over the
// drawing pane) and the opening of a window for a stretch of a document.

#include <QWidget>

#include <array>
#include <optional>

#include "core/app/command_table.h"
#include "core/app/option_block.h"
#include "gui/plot/plot_printer.h"
#include "gui/views/analysis/analysis_frame.h"
#include "gui/views/analysis/spectrogram_pane.h"

class QLabel;
class QMdiArea;

namespace vox {

class CMarbeckDoc;
class CMarbeckView;

class CSpectrogramView : public QWidget {
    Q_OBJECT
public:
    // The information-bar fields in their order.
    enum Field { SampleRate, WindowLength, DynamicRange, LpcCoefficients, Bandwidth, PreEmphasis, Time, Frequency,
                 Duration, FieldCount };

    explicit CSpectrogramView(CMarbeckDoc& doc, QWidget* parent = nullptr);

    CMarbeckDoc& document() const { return doc_; }
    CSpectrogramPane& pane() const { return *pane_; }

    // Checks the options against the audio channel (the message of the first
    // check that fails is shown, false returned), then sets the pane up with
    // the stretch and fills the information bar.
    bool setup(const SpectrogramStretch& stretch, const SpectrogramOptions& options);

    QString field_text(Field f) const;
    double start_ms() const { return start_ms_; }
    double end_ms() const { return end_ms_; }

    // The window's commands, each with its enable test and its handler.
    const CommandTable& commands() const { return commands_; }
    // nullopt when the window does not host the command, else whether it is
    // enabled now.
    std::optional<bool> command_enabled(CommandId id) const { return command_state(commands_, id); }
    // Runs a command of this view alone; false when it is not enabled here.
    bool handle_command(CommandId id) { return run_in(commands_, id); }

    plot::PageSetup page_setup() const;
    QImage render_bitmap();

signals:
    void closeRequested();

private:
    void show_readout(double time_ms, double frequency_hz, double duration_ms);
    CommandTable make_commands();
    // The log entries (spectrogram_view_log.cpp).
    bool formants_found() const;
    void log_at_marker();
    void log_duration();
    void log_formants_at_marker();
    void log_formants_selection();
    bool save_bitmap();
    void print(bool preview);
    void open_fft_lpc(bool selection);

    CMarbeckDoc& doc_;
    CSpectrogramPane* pane_ = nullptr;
    std::array<QLabel*, FieldCount> fields_{};
    double start_ms_ = 0.0, end_ms_ = 0.0, span_ms_ = 0.0;
    CommandTable commands_;
};

class CSpectrogramFrame : public CAnalysisFrame {
    Q_OBJECT
public:
    static constexpr int kDefaultX = 20, kDefaultY = 20, kDefaultW = 450, kDefaultH = 450;

    explicit CSpectrogramFrame(CMarbeckDoc& doc, QWidget* parent = nullptr);
    CSpectrogramView& view() const { return *view_; }

    const CommandTable& commands() const override { return view_->commands(); }

    // The process-wide last normal placement of a spectrogram window.
    static WindowRect& remembered(CMarbeckDoc& doc);

private:
    CSpectrogramView* view_ = nullptr;
};

// Opens a spectrogram window of `range` for the document of `from`, placed
// in the same area as `from`'s window and following its mouse (and that of
// every other waveform window of the document). Returns the frame, or null
// when a check failed (the message was shown).
CSpectrogramFrame* OpenSpectrogram(CMarbeckView& from, const SpectrogramStretch& range);

// Adds an analysis frame to an area (or shows it on its own without one) at
// its remembered placement.
void ShowAnalysisFrame(CAnalysisFrame* frame, QMdiArea* area, const QRect& fallback);
// The area holding a widget's window, or null.
QMdiArea* AreaOf(QWidget* w);

}  // namespace vox
