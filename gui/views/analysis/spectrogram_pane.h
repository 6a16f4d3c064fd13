#pragma once
// CSpectrogramPane: the drawing pane of a spectrogram window. It owns one
// spectrogram computation (one analysis frame per pixel column of its
// drawing area and one dB value per pixel row), the cached rendering of it
// and the cursor and selection drawn over that image.
//
// Layout: a left margin as wide as "00000000" in the view font for the
// frequency labels, 5 pixels on the right, 1.5 text heights below for the
// time labels; the tier bands (when labels are drawn) and the audio band
// (when audio is drawn) stacked from the top; the spectrogram below them.
//
// The computation runs after a set-up or a resize, once the events of the
// moment are handled; painting only copies the cached image, so cursor and
// selection move without recomputing.

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

#include "core/app/option_block.h"
#include "core/dsp/spectrogram.h"
#include "core/document/channels.h"
#include "core/document/label.h"
#include "core/document/sample_access.h"
#include "gui/plot/plot_printer.h"

namespace vox {

class CMarbeckDoc;
class CSoundOut;

// What a spectrogram window shows: the stretch, the analysis options and
// the display options.
struct SpectrogramStretch {
    double first = 0.0, last = 0.0;      // sample positions
    double start_ms = 0.0, end_ms = 0.0;
};

// Where the plot items go on one output (screen, page or bitmap).
struct SpectrogramGeometry {
    Rect area;                 // the grey image
    Rect audio;                // the audio band (empty when not drawn)
    std::array<Rect, kTierCount> tiers{};  // tier bands (empty when not drawn)
    double scale = 1.0;        // fonts, pens and dots relative to the screen
};

// How the mouse of the waveform view reaches the pane.
enum class FollowPhase { Press, Drag, Release };

class CSpectrogramPane : public QWidget {
    Q_OBJECT
public:
    explicit CSpectrogramPane(CMarbeckDoc& doc, QWidget* parent = nullptr);
    ~CSpectrogramPane() override;

    // Stores the stretch and the options and marks the pane for computation.
    void setup(const SpectrogramStretch& stretch, const SpectrogramOptions& options);
    const SpectrogramStretch& stretch() const { return stretch_; }
    const SpectrogramOptions& options() const { return options_; }

    // Computes now when the pane needs it (layout, allocation, analysis,
    // rendering). False when nothing could be computed (cancel, failure).
    bool compute_now();
    bool needs_computation() const { return needs_computation_; }
    bool computed() const { return columns_.has_value(); }
    int compute_count() const { return compute_count_; }
    const SpectrogramColumns* columns() const { return columns_ ? &*columns_ : nullptr; }

    // Layout of the screen (client pixels).
    SpectrogramGeometry screen_geometry() const;
    // The cached rendering and the screen (cached image plus selection and
    // cursor), computing first when needed.
    const QImage& cached_image();
    const QImage& screen_image();
    // The grey image alone: columns × rows, 0 black (loudest) … 255 white.
    const QImage& grey_image() const { return grey_; }

    // Renders everything for a page or bitmap into target.area.
    void render_plot(QPainter& p, const plot::PlotTarget& target);

    // --- cursor and selection --------------------------------------------------
    bool has_cursor() const { return cursor_x_ >= 0; }
    bool has_selection() const { return selection_; }
    double cursor_ms() const { return cursor_ms_; }
    double cursor_hz() const { return cursor_hz_; }
    double selection_start_ms() const { return std::min(sel_a_ms_, sel_b_ms_); }
    double selection_end_ms() const { return std::max(sel_a_ms_, sel_b_ms_); }
    int cursor_x() const { return cursor_x_; }
    // Time (ms) of a client x and frequency (Hz) of a client y on the image.
    double x_to_ms(int x) const;
    double y_to_hz(int y) const;
    // Client x of a time, clamped to the stretch and to the area.
    int ms_to_x(double ms) const;
    // Places the cursor at a time (the play cursor, the waveform's press).
    void set_cursor_time(double ms);
    // The mouse of the waveform view, with that view's time.
    void follow(FollowPhase phase, double ms);
    // The formants (Hz; −1 none, 0 suppressed) of the frame under a time.
    std::array<int, 5> formants_at(double ms) const;

    // --- playback --------------------------------------------------------------
    // Plays the selection or the shown stretch; the play cursor moves over
    // the image and playback ends 500 ms after its last step.
    bool play(bool selection);
    void stop_playback();
    bool playing() const { return out_ != nullptr; }

signals:
    // Read-outs: −1 leaves a value unchanged.
    void readout(double time_ms, double frequency_hz, double duration_ms);
    // The display could not be set up or the columns not allocated: the
    // window closes itself.
    void closeRequested();
    // Cursor or selection changed (enabling of the commands).
    void markerChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void schedule();
    // True while another window of the work area is maximised over this one.
    bool covered() const;
    void layout();
    SpectrogramGeometry geometry_for(const Rect& client, double scale, int text_w, int text_h) const;
    void render_cached();
    void render(QPainter& p, const SpectrogramGeometry& g, bool color);
    void compose_screen();
    void start_selection(int x);
    void extend_selection(int x);
    void ensure_audio();
    void play_tick();

    CMarbeckDoc& doc_;
    SpectrogramStretch stretch_;
    SpectrogramOptions options_;
    SpectrogramGeometry geo_;
    std::optional<SpectrogramColumns> columns_;
    // The result for the drawing area before the last resize: a window that
    // goes back and forth between two sizes (maximised and normal) computes
    // each size once.
    std::optional<SpectrogramColumns> previous_columns_;
    QImage grey_;
    QImage cached_, screen_;
    bool needs_computation_ = false;
    bool scheduled_ = false;
    bool computing_ = false;
    int compute_count_ = 0;

    ChannelSamples audio_;
    bool audio_ready_ = false;

    bool pressed_ = false;
    int cursor_x_ = -1, cursor_y_ = -1;
    double cursor_ms_ = 0.0, cursor_hz_ = 0.0;
    bool selection_ = false;
    int sel_a_x_ = 0, sel_b_x_ = 0;
    double sel_a_ms_ = 0.0, sel_b_ms_ = 0.0;

    std::unique_ptr<CSoundOut> out_;
    QTimer cursor_timer_, end_timer_;  // the play cursor's steps; the end of playback
    double play_start_ms_ = 0.0, play_end_ms_ = 0.0, play_cursor_ms_ = 0.0;
};

}  // namespace vox
