#pragma once
// CMarbeckView: the main view of a document. Stacked top to bottom in one
// client area: the label tier bands, the audio waveform, the intensity and
// pitch contours, and a strip of twelve readouts along the bottom edge. A
// click places the cursor (marker) in every channel, a drag of six pixels or
// more selects, and the readouts show time, duration, pitch, intensity and
// the average pitch.
//
// Drawing is double-buffered: the composed plot is re-rendered only after a
// resize, an option change or a data change; the overlay painter keeps the
// screen as shown (the plot with the selection band, the cursor line and a
// dragged label's outline), and mouse moves only copy columns between the
// two. The view lays the strips out and routes input and commands: each
// strip's painter (painters/) draws it into the composed image, the page
// layout (painters/plot_page.h) puts the same painters on a printed page or
// a bitmap, and presses in the tier bands go to the label interaction.
//
// The view never owns samples: it reads the document's channels, and long
// recordings through the document's raw sample file.

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/app/command_table.h"
#include "core/app/config_file.h"
#include "core/document/marbeck_doc.h"
#include "core/dsp/pitch_tracker.h"

class QLabel;
class QScrollBar;

namespace vox {

class CFrameLabelView;
struct LabelBandState;
class LabelInteraction;
struct OverlayAxis;
class OverlayPainter;
class PlotLayers;
class PlotPage;
struct PlotGeometry;
class UndoFile;
class ViewSound;
struct EmptyDocumentUndo;
struct LogEntry;

// Fixed texts of the waveform view.
namespace view_text {
inline constexpr const char* kDrawError = "Error in drawing the image.";
inline constexpr const char* kLayoutError = "Error in setting up the display parameters.";
inline constexpr const char* kReleaseError = "Error in deleting the display contexts.";
inline constexpr const char* kInitError = "Error in initilization of view.";
inline constexpr const char* kLabelDrawError = "Error in drawing the labels.";
inline constexpr const char* kRecordingPrompt = "Recording...   press mouse to stop";
inline constexpr const char* kSampleRateCaption = "Sample Rate(Hz)=";
inline constexpr const char* kPitchCaption = "Pitch(Hz)=";
inline constexpr const char* kIntensityCaption = "Int.(dB)=";
inline constexpr const char* kDurationMs = "Duration(ms)= ";
inline constexpr const char* kDurationSec = "Duration(sec)= ";
inline constexpr const char* kCursorMs = "Cursor(ms)= ";
inline constexpr const char* kCursorSec = "Cursor(sec)= ";
inline constexpr const char* kAveragePitchCaption = "Average Pitch(Hz)=";
inline constexpr const char* kScreenDumpName = "ScreenDump";
inline constexpr const char* kBitmapName = "Bitmap_Image ";
inline constexpr const char* kBitmapTitle = "Bitmap_Image of ";
}  // namespace view_text

// A time range an analysis or playback command works on.
struct ViewRange {
    double first_sample = 0.0, last_sample = 0.0;
    double start_ms = 0.0, end_ms = 0.0;
};

class CMarbeckView : public QWidget {
    Q_OBJECT
public:
    // The twelve readouts, in their order along the strip.
    enum Readout {
        SampleRateCaption, SampleRateValue, PitchCaption, PitchValue, IntensityCaption, IntensityValue,
        DurationCaption, DurationValue, CursorCaption, CursorValue, AveragePitchCaption, AveragePitchValue,
        ReadoutCount
    };

    explicit CMarbeckView(CMarbeckDoc& doc, QWidget* parent = nullptr);
    ~CMarbeckView() override;

    CMarbeckDoc& document() { return doc_; }

    // --- commands ---------------------------------------------------------
    // The view's commands, each with its enable test and its handler; the
    // main frame offers a command to the active view first.
    const CommandTable& commands() const { return commands_; }
    // Declared here and enabled now.
    bool command_enabled(CommandId id) const { return command_state(commands_, id).value_or(false); }
    // Runs a command of this view alone; false when it is not enabled here.
    bool handle_command(CommandId id) { return run_in(commands_, id); }

    // --- operations used by other views and the frame -----------------------
    // Rebuilds the images and the layout and repaints; nothing before the
    // view has been laid out once. Changes of the document's samples, labels,
    // selection and window reach the view through the document's publisher;
    // this is for what the document does not announce (options, layout).
    void refresh();
    // After a configuration was loaded: the document's window, its label
    // table and its analysis windows move to the loaded rectangles.
    void apply_window_rectangles(const AppConfigValues& app);
    // Full time ranges of the analysis commands.
    ViewRange range_all() const;
    ViewRange range_selection() const;
    ViewRange range_window() const;
    void select_window();
    void select_all();

    // --- state read by other parts and by tests -------------------------------
    bool has_selection() const { return selection_; }
    bool has_cursor() const { return cursor_; }
    double view_time_ms() const { return view_time_ms_; }
    QString readout_text(Readout r) const;
    // The pitch and intensity held at the last click (for the log entries).
    double marker_pitch() const { return marker_pitch_; }
    double marker_intensity() const { return marker_intensity_; }
    double average_pitch() const { return average_pitch_; }
    // The pitch contour the view shows (Hz per frame, 0 unvoiced) with its
    // time base, and the range it was computed over.
    const std::vector<double>& pitch_contour() const { return pitch_.f0; }
    const PitchTrack& pitch_track() const { return pitch_; }
    const ViewRange& pitch_range() const { return pitch_range_; }
    const ViewRange& intensity_range() const { return intensity_range_; }
    // Sets the view's contours directly (for analyses run elsewhere).
    void set_pitch_track(PitchTrack track, const ViewRange& range);
    void set_intensity_range(const ViewRange& range);

    // Pitch (Hz) and intensity (dB) at a time; 0 outside the contour.
    double pitch_at(double ms) const;
    double intensity_at(double ms) const;
    // Mean of the voiced pitch points with times in [lo, hi] ms; 0 when none.
    double mean_pitch(double lo_ms, double hi_ms) const;

    // The screen image as last composed (renders first when needed), and
    // how many times the plot has been fully rendered.
    const QImage& screen_image();
    const QImage& composed_image();
    int render_count() const { return render_count_; }
    // True once the first display's automatic analyses have finished (or
    // the view was never shown): what a picture of the window waits for.
    bool first_display_finished() const { return first_display_timer_ == 0 || first_display_timer_ == kFirstDisplayDone; }
    int tracking_x() const { return tracking_x_; }

    // Layout results (client pixels).
    struct Strip {
        int top = 0, bottom = 0;
        bool empty() const { return bottom <= top; }
    };
    Strip audio_strip() const { return audio_; }
    Strip intensity_strip() const { return intensity_; }
    Strip pitch_strip() const { return pitch_strip_; }
    Rect display_rect() const;

    // What an accepted option dialog does (also used by tests).
    void apply_display_options(const DisplayOptions& d, double long_file_minutes);
    void apply_pitch_options(const PitchOptions& o);

    // --- label tiers (marbeck_view_labels.cpp) ----------------------------------
    // Opens the label table, or brings the open one to the front.
    CFrameLabelView* open_label_table();
    CFrameLabelView* label_table() const;
    // Refills an open label table; call after every change of labels (cut,
    // paste, undo included).
    void refresh_label_table();
    // The label a new label's dialog opens with (the last one added,
    // changed or deleted).
    const LABEL& label_template() const;

    // --- zoom, scroll and editing (marbeck_view_zoom.cpp, marbeck_view_edit.cpp)
    // Writes the one-level undo copy of the document; false (its message
    // shown) when it could not be written. Every change of samples or labels
    // calls it first.
    bool save_for_undo();
    // After a change of samples: cursor and selection cleared, the window
    // rebuilt from the scroll bar, repainted, marked modified, pitch and
    // intensity recomputed when that option is set, the label table refreshed.
    void finish_edit();
    bool undo_available() const;
    bool is_zoomed() const { return zoomed_; }
    // The horizontal scroll bar: 0…30000 stand for the whole recording.
    QScrollBar* scroll_bar() const { return hscroll_; }
    // Scroll bar from the first channel's window (then the windows in ms
    // and the zoomed flag); every channel's window from the scroll bar.
    void set_scroll_from_window();
    void window_from_scroll();
    // A scroll request (QAbstractSlider::SliderAction) as the bar makes it.
    void scroll_request(int action);
    // What an accepted "Zoom Option" and "Reference and Gain" dialog do.
    void apply_zoom_option(int range_ms);
    bool apply_reference_gain_answer(int gain_percent, int reference);
    // Every channel's reference back to 0 (the companion of "Set the
    // reference for all channels", without a menu item).
    void reset_reference_all();

    // --- record and play (view_sound.h, marbeck_view_sound.cpp) -----------------
    bool recording_sound() const;
    bool playing() const;
    double play_cursor_ms() const;
    int recorded_blocks() const;
    // Sample rate (Hz) the next recording is made at.
    int recording_rate() const;
    // While recording: the strip that shows each block's level, and the
    // meter of the last block's peak above it (client pixels).
    QRect level_strip_rect() const;
    QRect level_meter_rect() const;
    // Pauses, stops and releases a running playback; every command but the
    // sound commands does this first.
    void stop_playback();
    // Ends a recording in progress as the stopping press does: the captured
    // blocks become the document's audio channel. A recording about to
    // start does not. False when none ran.
    bool stop_recording();

    // The plot on a printed page or a bitmap.
    PlotPage& page() { return *page_; }
    // The page image "Save As bmp..." writes.
    QImage render_bitmap();

signals:
    // A status-bar text: time, pitch and intensity at the pointer.
    void statusReadout(const QString& text);
    // An option dialog was accepted: the frame patches this group of the
    // configuration file from the document's options.
    void configPatchRequested(vox::ConfigGroup group);
    // Selection or cursor changed (other views follow).
    void markerChanged();
    // Left-button press (0), drag (1) and release (2) with the view time
    // (ms), passed on so that a spectrogram of the document follows them.
    void pointerForwarded(int phase, double ms);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    // The command table (marbeck_view_commands.cpp); the handlers it names
    // live with their group in marbeck_view_<group>.cpp.
    CommandTable make_commands();
    CommandTable commands_;
    bool paste_available() const;
    void open_spectrogram(const ViewRange& range);
    void open_fft_lpc(bool selection);
    void do_spectrogram_options();
    void do_fft_lpc_options();
    bool has_labels() const;
    void do_log_option();
    void log_duration();
    void log_pitch_at_marker();
    void log_pitch(bool all);
    void log_labels(bool all);
    // Time and pitch of a log row, then its intensity (the cell is filled
    // only while the intensity contour is shown).
    void add_pitch_cells(LogEntry& e, double ms, double hz, bool intensity) const;

    // Label gestures in the tier bands (label_interaction.h): true when the
    // event was the gesture's (the ordinary cursor and selection handling
    // then stops).
    bool label_drag(int x, int y);
    bool label_release();
    // After labels changed: re-layout, repaint, modified, the table refilled.
    void labels_changed();
    bool do_tiers_option();
    bool do_import_labels();
    // Tiers from a TextGrid file (undoable) and tiers out to one.
    bool do_import_textgrid();
    bool do_export_textgrid();

    // Zoom and edit steps (marbeck_view_zoom.cpp, marbeck_view_edit.cpp).
    void zoom_init();
    void place_scroll_bar();
    bool auto_scroll(int x);
    void zoom_command(CommandId id);
    bool save_for_edit();
    bool edit_copy();
    bool edit_cut();
    bool edit_paste();
    bool edit_undo();
    bool edit_clear_to_reference();
    void set_reference_all(bool zero);
    bool do_zoom_option();
    bool do_reference_gain();
    bool do_smooth();
    void recompute_after_change();

    bool has_data() const;
    CChannels& first();
    const CChannels& first() const;
    bool initialised_ok() const { return initialised_; }
    void layout_view();
    void create_images();
    void layout_readouts();
    void show_sample_rate();
    void set_time_captions();
    // What the view does when its document announces a change.
    void on_document_change(DocChange change);
    void render_all();
    // Where the strips go on the screen, and the plot drawn there (or on a
    // page) by the view's painters; false when the samples could not be read.
    PlotGeometry screen_geometry() const;
    bool paint_plot(QPainter& p, const PlotGeometry& g);
    void compose_screen();
    void show_new_selection();
    // The display's x range and window for the overlays.
    OverlayAxis overlay_axis() const;
    // The painters' start of the intensity contour after its range changed.
    void intensity_range_changed();
    QString format_time(double ms, const char* fmt) const;
    void update_move_readouts();
    void readouts_after_scroll();
    void emit_status();
    void show_failure(const char* text, bool beep);

    // Pitch over the range, then the channel's intensity; refreshes.
    bool compute_pitch(const ViewRange& range);
    bool compute_intensity();
    bool do_display_options();
    bool do_pitch_options();
    bool do_intensity_options();
    bool do_save_bitmap();
    bool do_save_screen_bitmap();
    bool do_print(bool preview);

    // Record and play: a left press stops them; the level trace and the
    // play cursor are drawn over the screen image.
    std::unique_ptr<ViewSound> make_sound();
    void sound_paint(QPainter& p);
    std::unique_ptr<ViewSound> sound_;

    CMarbeckDoc& doc_;

    bool initialised_ = false;
    bool redraw_needed_ = true;
    bool selection_ = false;
    bool cursor_ = false;
    bool zoomed_ = false;
    bool pressed_ = false;

    std::array<QLabel*, ReadoutCount> readouts_{};

    PitchTrack pitch_;
    ViewRange pitch_range_;
    ViewRange intensity_range_;
    bool intensity_range_set_ = false;
    // The strips' painters (they read the document and pitch_), the page
    // they are drawn on when printed, and the overlays over the screen.
    std::unique_ptr<PlotLayers> layers_;
    std::unique_ptr<PlotPage> page_;
    std::unique_ptr<OverlayPainter> overlays_;

    int anchor_x_ = 0;
    int last_drag_x_ = 0;
    int cursor_x_ = -1;
    int tracking_x_ = -1;
    double view_time_ms_ = 0.0;
    double avg_lo_ms_ = 0.0, avg_hi_ms_ = 0.0;
    double marker_pitch_ = 0.0, marker_intensity_ = 0.0, average_pitch_ = 0.0;

    Strip audio_, intensity_, pitch_strip_;

    QImage composed_;
    int render_count_ = 0;

    // The window (samples) the layout was made for.
    double laid_out_first_ = 0.0, laid_out_last_ = 0.0;

    int screen_timer_ = 0;
    // 0 before the first show, then the first display's timer id, then
    // kFirstDisplayRunning while its analyses run, kFirstDisplayDone after.
    static constexpr int kFirstDisplayRunning = -2, kFirstDisplayDone = -1;
    int first_display_timer_ = 0;
    std::string screen_dump_path_;

    // The gestures in the tier bands; the import choices and the label table.
    std::unique_ptr<LabelInteraction> label_input_;
    std::unique_ptr<LabelBandState> labels_;

    // The horizontal scroll bar and the undo copy.
    QScrollBar* hscroll_ = nullptr;
    std::unique_ptr<UndoFile> undo_;
    // Set after a paste into a new, empty document (see marbeck_view_edit.cpp).
    std::shared_ptr<EmptyDocumentUndo> empty_undo_;

    // Last member: unsubscribes before anything above is destroyed.
    DocPublisher::Subscription subscription_;
};

}  // namespace vox
