#include "gui/views/waveform/marbeck_view.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/document/channel_analysis.h"
#include "core/document/undo_file.h"
#include "core/dsp/intensity.h"
#include "core/dsp/pitch_tracker.h"
#include "gui/plot/bitmap_file.h"
#include "gui/annotation/label_entry.h"
#include "gui/annotation/label_font.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/label_interaction.h"
#include "gui/views/waveform/marbeck_view_labels.h"
#include "gui/views/waveform/option_dialogs.h"
#include "gui/views/waveform/painters/overlay_painter.h"
#include "gui/views/waveform/painters/plot_layers.h"
#include "gui/views/waveform/painters/plot_page.h"
#include "gui/views/waveform/plot_geometry.h"
#include "gui/views/waveform/view_sound.h"

namespace vox {

namespace {

constexpr int kLeft = 40;          // display rectangle left edge, pixels
constexpr int kRightMargin = 5;    // client width − display right
constexpr int kBottomMargin = 50;  // client height − display bottom
constexpr int kMinSelectionPx = 6; // narrower drags leave a cursor

struct ReadoutPlace {
    int x, w;
};
constexpr ReadoutPlace kReadoutPlaces[CMarbeckView::ReadoutCount] = {
    {5, 90}, {96, 40}, {145, 50}, {196, 40}, {246, 45}, {292, 33},
    {345, 70}, {416, 70}, {496, 60}, {557, 70}, {650, 100}, {752, 40}};

QString printf_text(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return QString::fromLatin1(buf);
}

}  // namespace

CMarbeckView::CMarbeckView(CMarbeckDoc& doc, QWidget* parent)
    : QWidget(parent), doc_(doc), layers_(std::make_unique<PlotLayers>(doc, pitch_)),
      overlays_(std::make_unique<OverlayPainter>()), labels_(std::make_unique<LabelBandState>()) {
    page_ = std::make_unique<PlotPage>(doc_, *layers_, [this] {
        return PlotPage::ScreenShares{display_rect().bottom, audio_.bottom - audio_.top,
                                      intensity_.bottom - intensity_.top};
    });
    label_input_ = std::make_unique<LabelInteraction>(
        [this](const LABEL& seed) {
            CLabelEntry dlg(seed, this);
            LabelEntryAnswer answer;
            answer.accepted = dlg.exec() == QDialog::Accepted;
            answer.label = dlg.label();
            return answer;
        },
        // Every label change writes the undo copy first; when that fails its
        // message has been shown and the change does not happen.
        [this] { return save_for_undo(); }, [](const LABEL& l) { return LabelTextWidth(l); });
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(200, 160);
    setFocusPolicy(Qt::ClickFocus);
    // Narrow faces first: the captions must fit their fixed widths.
    const QFont small = [] {
        QFont f;
        f.setFamilies({"Arial", "Liberation Sans Narrow", "DejaVu Sans Condensed"});
        f.setPixelSize(10);
        return f;
    }();
    for (int i = 0; i < ReadoutCount; ++i) {
        auto* l = new QLabel(this);
        l->setFont(small);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        const bool value = (i % 2) == 1;
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        l->setStyleSheet(value ? "QLabel { color: #000080; background: #f4f4f4; border: 1px solid #d0d0d0; }"
                               : "QLabel { color: #202020; }");
        readouts_[i] = l;
    }
    readouts_[SampleRateCaption]->setText(view_text::kSampleRateCaption);
    readouts_[PitchCaption]->setText(view_text::kPitchCaption);
    readouts_[IntensityCaption]->setText(view_text::kIntensityCaption);
    readouts_[AveragePitchCaption]->setText(view_text::kAveragePitchCaption);
    for (Readout r : {PitchValue, IntensityValue, AveragePitchValue}) readouts_[r]->setText("0.0");
    readouts_[DurationValue]->setText("0.0");
    readouts_[CursorValue]->setText("0.0");
    readouts_[SampleRateCaption]->hide();  // shown after the first paint
    set_time_captions();
    sound_ = make_sound();
    zoom_init();
    subscription_ = doc_.changes().subscribe([this](DocChange change) { on_document_change(change); });
    commands_ = make_commands();
}

CMarbeckView::~CMarbeckView() {
    // The label table reads the document: it goes with the view.
    if (labels_ && labels_->table) delete labels_->table.data();
}

// --- state helpers -------------------------------------------------------------

bool CMarbeckView::has_data() const { return doc_.loaded != 0 && doc_.channel_count > 0; }

CChannels& CMarbeckView::first() { return doc_.channels[0]; }
const CChannels& CMarbeckView::first() const { return doc_.channels[0]; }

Rect CMarbeckView::display_rect() const { return Rect{kLeft, 0, width() - kRightMargin, height() - kBottomMargin}; }

OverlayAxis CMarbeckView::overlay_axis() const {
    const CChannels& ch = first();
    const Rect d = display_rect();
    return OverlayAxis{d.left, d.right, d.bottom, ch.window_start_in_ms(), ch.window_end_in_ms()};
}

QString CMarbeckView::format_time(double ms, const char* fmt) const {
    return printf_text(fmt, doc_.options.display.msec ? ms : ms / 1000.0);
}

QString CMarbeckView::readout_text(Readout r) const { return readouts_[r]->text(); }

void CMarbeckView::show_failure(const char* text, bool beep) {
    // Never open a modal box from inside a paint event: report afterwards.
    QTimer::singleShot(0, this, [this, text, beep] {
        if (beep) doc_.prompts().beep();
        doc_.prompts().message(text, MessageIcon::Error);
    });
}

// --- contours ---------------------------------------------------------------------

void CMarbeckView::set_pitch_track(PitchTrack track, const ViewRange& range) {
    pitch_ = std::move(track);
    pitch_range_ = range;
    refresh();
}

void CMarbeckView::set_intensity_range(const ViewRange& range) {
    intensity_range_ = range;
    intensity_range_set_ = true;
    intensity_range_changed();
    refresh();
}

void CMarbeckView::intensity_range_changed() {
    layers_->intensity().set_first_sample(intensity_range_set_ ? intensity_range_.first_sample : 0.0);
}

double CMarbeckView::pitch_at(double ms) const { return pitch_.value_at(ms); }

double CMarbeckView::intensity_at(double ms) const {
    const CChannels& ch = first();
    const std::size_t n = std::min<std::size_t>(ch.intensity.size(), std::max<std::int64_t>(0, ch.intensity_count));
    if (!ch.intensity_valid || n == 0) return 0.0;
    ViewRange r = intensity_range_;
    if (!intensity_range_set_) r = range_all();
    const double span = r.end_ms - r.start_ms;
    if (!(span > 0.0)) return 0.0;
    const double idx = double(n) / span * (ms - r.start_ms);
    if (!(idx >= 0.0) || idx >= double(n)) return 0.0;
    return ch.intensity[static_cast<std::size_t>(idx)];
}

double CMarbeckView::mean_pitch(double lo_ms, double hi_ms) const { return pitch_.mean_between(lo_ms, hi_ms); }

// --- ranges ------------------------------------------------------------------------

ViewRange CMarbeckView::range_all() const {
    const CChannels& ch = first();
    return ViewRange{0.0, ch.sample_count, 0.0, ch.duration_ms};
}

ViewRange CMarbeckView::range_selection() const {
    const CChannels& ch = first();
    return ViewRange{ch.sel_lo_sample, ch.sel_hi_sample, ch.sel_lo_ms, ch.sel_hi_ms};
}

ViewRange CMarbeckView::range_window() const {
    const CChannels& ch = first();
    return ViewRange{ch.window_first, ch.window_last, ch.window_start_in_ms(), ch.window_end_in_ms()};
}

void CMarbeckView::select_window() {
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
        CChannels& ch = doc_.channels[i];
        ch.set_marker_from_ms(ch.window_start_in_ms());
        ch.extend_selection_to_ms(ch.window_end_in_ms());
    }
    show_new_selection();
}

void CMarbeckView::select_all() {
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
        CChannels& ch = doc_.channels[i];
        ch.set_marker_from_ms(0.0);
        ch.extend_selection_to_ms(ch.duration_ms);
    }
    show_new_selection();
}

// After Select Window or Select All: the selection replaces the cursor.
void CMarbeckView::show_new_selection() {
    selection_ = true;
    cursor_ = false;
    doc_.selection_active = 1;
    readouts_[DurationValue]->setText(format_time(first().sel_length_ms, "%12.1f"));
    doc_.changes().publish(DocChange::Selection);
}

// --- layout ------------------------------------------------------------------------

void CMarbeckView::refresh() {
    if (!initialised_) return;
    layout_view();
    create_images();
    redraw_needed_ = true;
    update();
}

void CMarbeckView::layout_view() {
    const int W = width(), H = height();
    const Rect disp = display_rect();
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].plot_rect = disp;

    CChannels& ch = first();
    int y = 0;
    PlotGeometry g;
    g.left = disp.left;
    g.right = disp.right;
    g.bottom = disp.bottom;
    for (int t = 0; t < kTierCount; ++t) {
        Tier& tier = ch.tiers[t];
        tier.band = Rect{disp.left, y, disp.right, tier.in_use ? y + std::max(0, tier.height) : y};
        y = tier.band.bottom;
        // Label rectangles (for hits) are where the tier's painter draws the texts.
        const StripFrame band = layers_->frame_of(g, {tier.band.top, tier.band.bottom, true});
        for (LABEL& l : tier.labels)
            l.rect = LabelTierPainter::text_rect(l, band).value_or(Rect{-1, tier.band.top, -1, tier.band.bottom});
    }
    const DisplayOptions& d = doc_.options.display;
    audio_ = Strip{y, y + std::max(0, d.audio_height)};
    const bool show_int = ch.intensity_valid && ch.intensity.valid() && ch.intensity_count > 0;
    intensity_ = Strip{audio_.bottom, audio_.bottom + (show_int ? std::max(0, d.intensity_height) : 0)};
    pitch_strip_ = Strip{intensity_.bottom, std::max(intensity_.bottom, H - kBottomMargin)};
    ch.window_start_ms = ch.window_start_in_ms();
    ch.window_end_ms = ch.window_end_in_ms();
    laid_out_first_ = ch.window_first;
    laid_out_last_ = ch.window_last;
    layout_readouts();
    place_scroll_bar();
    (void)W;
    // The cursor line follows the marker when the width changes.
    if (cursor_) cursor_x_ = overlay_axis().x_of(ch.marker_ms);
}

void CMarbeckView::layout_readouts() {
    const int y = height() - 20;
    for (int i = 0; i < ReadoutCount; ++i) readouts_[i]->setGeometry(kReadoutPlaces[i].x, y, kReadoutPlaces[i].w, 16);
    show_sample_rate();
}

void CMarbeckView::show_sample_rate() {
    // While recording, the rate being recorded; the empty document's rate
    // is only what the last closed file left behind.
    double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : first().sample_rate;
    if (recording_sound()) rate = recording_rate();
    readouts_[SampleRateValue]->setText(QString::number(static_cast<long long>(rate)));
}

void CMarbeckView::set_time_captions() {
    const bool ms = doc_.options.display.msec != 0;
    readouts_[DurationCaption]->setText(ms ? view_text::kDurationMs : view_text::kDurationSec);
    readouts_[CursorCaption]->setText(ms ? view_text::kCursorMs : view_text::kCursorSec);
}

void CMarbeckView::create_images() {
    const QSize sz(std::max(1, width()), std::max(1, height()));
    composed_ = QImage(sz, QImage::Format_RGB32);
    composed_.fill(plot::to_qcolor(doc_.options.colors.background));
    overlays_->reset(sz, doc_.options.colors);
}

void CMarbeckView::on_document_change(DocChange change) {
    switch (change) {
    case DocChange::Samples:
        layers_->waveform().samples_changed();  // the min/max summary of a long recording is rebuilt
        refresh();
        break;
    case DocChange::Labels:
        refresh();
        refresh_label_table();
        break;
    case DocChange::Selection: {
        const CChannels& ch = first();
        if (ch.window_first != laid_out_first_ || ch.window_last != laid_out_last_) {
            // A new window: label rectangles follow it and the plot is drawn anew.
            layout_view();
            redraw_needed_ = true;
            update();
        } else {
            // The plot is unchanged: the screen is rebuilt from the composed image.
            compose_screen();
            update();
        }
        emit markerChanged();
        break;
    }
    }
}

// --- drawing ----------------------------------------------------------------------

void CMarbeckView::render_all() {
    ++render_count_;
    composed_.fill(plot::to_qcolor(doc_.options.colors.background));
    if (has_data() || recording_sound()) {
        QPainter p(&composed_);
        if (recording_sound()) {
            p.setFont(ViewFont());
            p.setPen(Qt::black);
            p.drawText(20, 20 + QFontMetrics(p.font()).ascent(), view_text::kRecordingPrompt);
        } else if (!paint_plot(p, screen_geometry())) {
            show_failure(view_text::kDrawError, true);
        }
    }
    compose_screen();
    redraw_needed_ = false;
    readouts_[SampleRateCaption]->show();
}

PlotGeometry CMarbeckView::screen_geometry() const {
    PlotGeometry g;
    const Rect d = display_rect();
    g.left = d.left;
    g.right = d.right;
    g.top = d.top;
    g.bottom = d.bottom;
    for (int t = 0; t < kTierCount; ++t) {
        const Tier& tier = first().tiers[t];
        g.tiers[t] = {tier.band.top, tier.band.bottom, tier.in_use != 0};
    }
    g.audio = {audio_.top, audio_.bottom, true};
    g.intensity = {intensity_.top, intensity_.bottom, true};
    g.pitch = {pitch_strip_.top, pitch_strip_.bottom, true};
    return g;
}

bool CMarbeckView::paint_plot(QPainter& p, const PlotGeometry& g) { return layers_->paint(p, g); }

void CMarbeckView::compose_screen() {
    if (composed_.isNull()) return;
    overlays_->clear(composed_);
    if (!has_data()) return;
    const CChannels& ch = first();
    const OverlayAxis a = overlay_axis();
    if (selection_) overlays_->show_selection(a, ch.sel_lo_ms, ch.sel_hi_ms);
    if (cursor_) overlays_->show_cursor(a, cursor_x_);
}

const QImage& CMarbeckView::screen_image() {
    if (overlays_->screen().isNull() || overlays_->screen().size() != size()) {
        layout_view();
        create_images();
        redraw_needed_ = true;
    }
    if (redraw_needed_) render_all();
    return overlays_->screen();
}

const QImage& CMarbeckView::composed_image() {
    screen_image();
    return composed_;
}

void CMarbeckView::paintEvent(QPaintEvent* e) {
    const QImage& screen = screen_image();
    QPainter p(this);
    p.drawImage(e->rect(), screen, e->rect());
    sound_paint(p);
    if (doc_.options.display.track_mouse && tracking_x_ >= 0 && has_data() && !pressed_)
        overlays_->paint_tracking(p, overlay_axis(), tracking_x_);
}

void CMarbeckView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    initialised_ = true;
    layout_view();
    create_images();
    redraw_needed_ = true;
    update();
}

void CMarbeckView::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!first_display_timer_ && render_count_ == 0) first_display_timer_ = startTimer(1);
}

void CMarbeckView::timerEvent(QTimerEvent* e) {
    if (e->timerId() == first_display_timer_) {
        killTimer(first_display_timer_);
        if (!isVisible()) {
            // Closed before its first display: the document may already be
            // gone; a later show starts the first display again.
            first_display_timer_ = 0;
            return;
        }
        first_display_timer_ = kFirstDisplayRunning;  // once per view
        if (has_data() && doc_.options.display.always_analyse && pitch_.empty()) compute_pitch(range_all());
        first_display_timer_ = kFirstDisplayDone;
        update();
    } else if (e->timerId() == screen_timer_) {
        killTimer(screen_timer_);
        screen_timer_ = 0;
        QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
        const QPixmap shot = s ? s->grabWindow(0) : QPixmap();
        if (shot.isNull() || !WriteBitmapFile(shot.toImage(), screen_dump_path_)) {
            doc_.prompts().beep();
            doc_.prompts().message(bitmap_text::kSaveError, MessageIcon::Error);
        }
    }
}

// --- mouse ---------------------------------------------------------------------------

void CMarbeckView::update_move_readouts() {
    readouts_[CursorValue]->setText(format_time(view_time_ms_, "%12.1f"));
    readouts_[PitchValue]->setText(printf_text("%6.1f", pitch_at(view_time_ms_)));
    readouts_[IntensityValue]->setText(printf_text("%6.1f", intensity_at(view_time_ms_)));
    emit_status();
}

void CMarbeckView::emit_status() {
    const bool ms = doc_.options.display.msec != 0;
    emit statusReadout(QStringLiteral("Time %1 %2   Pitch %3 Hz   Int. %4 dB")
                           .arg(format_time(view_time_ms_, "%.1f"), ms ? "ms" : "s",
                                printf_text("%.1f", pitch_at(view_time_ms_)),
                                printf_text("%.1f", intensity_at(view_time_ms_))));
}

void CMarbeckView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        stop_playback();
        stop_recording();
    }
    if (e->button() != Qt::LeftButton || !has_data()) return;
    const QPoint pos = e->position().toPoint();
    if (!rect().contains(pos)) return;
    if (redraw_needed_ || overlays_->screen().isNull()) screen_image();
    pressed_ = true;
    overlays_->clear(composed_);  // the old cursor and selection go
    const int x = pos.x();
    anchor_x_ = last_drag_x_ = cursor_x_ = x;
    selection_ = false;
    cursor_ = true;
    doc_.selection_active = 0;
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].set_marker_from_pixel(x - kLeft);
    overlays_->forget_label_outline();
    label_input_->press(first(), x, pos.y());
    avg_lo_ms_ = avg_hi_ms_ = 0.0;
    view_time_ms_ = first().marker_ms;
    update_move_readouts();
    doc_.changes().publish(DocChange::Selection);  // the screen shows the new cursor line
    emit pointerForwarded(0, view_time_ms_);
}

void CMarbeckView::mouseMoveEvent(QMouseEvent* e) {
    if (!has_data() || recording_sound()) return;
    const int x = e->position().toPoint().x();
    if (pressed_ && e->buttons() == Qt::LeftButton) {
        if (label_drag(x, e->position().toPoint().y())) return;  // a hit label follows the pointer
        for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].extend_selection_to_pixel(x - kLeft);
        auto_scroll(x);  // past an edge of a zoomed window: one line that way
        const CChannels& ch = first();
        view_time_ms_ = ch.sel_end_ms;
        readouts_[DurationValue]->setText(format_time(ch.sel_length_ms, "%12.1f"));
        // Only the columns that entered or left the selection are redrawn.
        update(overlays_->drag_selection(composed_, overlay_axis(), anchor_x_, last_drag_x_, x));
        last_drag_x_ = x;
        emit pointerForwarded(1, view_time_ms_);
        if (std::abs(x - anchor_x_) < kMinSelectionPx) {
            selection_ = false;
            doc_.selection_active = 0;
        } else {
            selection_ = true;
            doc_.selection_active = 1;
            cursor_ = false;
        }
    } else if (!pressed_) {
        const int old = tracking_x_;
        tracking_x_ = x;
        for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].tracking_px = x - kLeft;
        const CChannels& ch = first();
        view_time_ms_ = ch.sample_to_ms(ch.pixel_to_sample(x - kLeft));
        if (doc_.options.display.track_mouse) {
            const int h = std::max(1, display_rect().bottom);
            if (old >= 0) update(QRect(old, 0, 1, h));
            update(QRect(x, 0, 1, h));
        }
    } else {
        return;
    }
    update_move_readouts();
}

void CMarbeckView::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !has_data() || !pressed_) return;
    pressed_ = false;
    if (label_release()) return;  // a label was moved, edited, deleted or added
    const int x = e->position().toPoint().x();
    CChannels& ch = first();
    if (!selection_ && cursor_) {
        const double t = ch.sample_to_ms(ch.pixel_to_sample(x - kLeft));
        marker_pitch_ = pitch_at(t);
        marker_intensity_ = intensity_at(t);
        readouts_[DurationValue]->setText("0.0");
    } else if (!selection_ && !cursor_) {
        for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].set_marker_from_pixel(0);
        readouts_[DurationValue]->setText("0.0");
    } else {
        for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].extend_selection_to_pixel(x - kLeft);
        cursor_ = false;
        avg_lo_ms_ = ch.sel_lo_ms;
        avg_hi_ms_ = ch.sel_hi_ms;
        readouts_[DurationValue]->setText(format_time(ch.sel_length_ms, "%12.1f"));
    }
    average_pitch_ = mean_pitch(avg_lo_ms_, avg_hi_ms_);
    readouts_[AveragePitchValue]->setText(printf_text("%6.1f", average_pitch_));
    doc_.changes().publish(DocChange::Selection);
    emit pointerForwarded(2, view_time_ms_);
}

// --- analyses ----------------------------------------------------------------------

bool CMarbeckView::compute_pitch(const ViewRange& range) {
    pitch_ = PitchTrack{};
    pitch_range_ = range;
    const double first_sample = std::max(0.0, std::floor(range.first_sample));
    const double count = std::max(0.0, std::floor(range.last_sample - first_sample));
    bool ok = false;
    if (count > 0.0) {
        try {
            PitchOutcome out = ComputePitch(doc_, 0, static_cast<std::uint64_t>(first_sample),
                                            static_cast<std::uint64_t>(count), doc_.options.pitch, doc_.progress());
            if (out.track) {
                pitch_ = std::move(*out.track);
                for (double& f : pitch_.f0)
                    if (!(f > 0.0)) f = 0.0;  // the AMDF track marks unvoiced frames −0.1 Hz
                ok = true;
            } else if (out.failure == PitchFailure::BadRange) {
                doc_.prompts().message(dsp_text::kBadParameters, MessageIcon::Error);
            }
        } catch (const AnalysisAbandoned&) {
            pitch_ = PitchTrack{};
        } catch (const std::bad_alloc&) {
            pitch_ = PitchTrack{};
        }
    }
    // The channel's intensity contour covers the whole recording.
    compute_intensity();
    return ok;
}

bool CMarbeckView::compute_intensity() {
    bool ok = false;
    try {
        ok = ComputeChannelIntensity(doc_, 0, doc_.options.intensity, doc_.progress());
    } catch (const AnalysisAbandoned&) {
        ok = false;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (ok) {
        intensity_range_ = range_all();
        intensity_range_set_ = true;
    } else {
        intensity_range_ = ViewRange{};
        intensity_range_set_ = false;
    }
    intensity_range_changed();
    refresh();
    return ok;
}

bool CMarbeckView::do_display_options() {
    CDialogOptionDisplay dlg(doc_.options.display, doc_.options.long_file_minutes, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    apply_display_options(dlg.display(), dlg.long_file_minutes());
    return true;
}

void CMarbeckView::apply_display_options(const DisplayOptions& d, double long_file_minutes) {
    doc_.options.display = d;
    doc_.options.long_file_minutes = long_file_minutes;
    set_time_captions();
    refresh();
    doc_.set_modified(true);
    emit configPatchRequested(ConfigGroup::Display);
}

bool CMarbeckView::do_pitch_options() {
    COptionPitch dlg(doc_.options.pitch, doc_.prompts(), this);
    if (dlg.exec() != QDialog::Accepted) return false;
    apply_pitch_options(dlg.options());
    return true;
}

void CMarbeckView::apply_pitch_options(const PitchOptions& o) {
    const bool method_changed = o.cepstral != doc_.options.pitch.cepstral;
    doc_.options.pitch = o;
    emit configPatchRequested(ConfigGroup::Pitch);
    if (method_changed && !pitch_.empty()) compute_pitch(pitch_range_);
    else refresh();
}

bool CMarbeckView::do_intensity_options() {
    COptionIntensitySmooth dlg(doc_.options.intensity, this);
    if (dlg.exec() != QDialog::Accepted) return false;
    doc_.options.intensity = dlg.options();
    emit configPatchRequested(ConfigGroup::Intensity);
    return true;
}

// --- printing and bitmaps -------------------------------------------------------------

QImage CMarbeckView::render_bitmap() {
    return page_->bitmap(QString::fromLatin1(view_text::kBitmapTitle) + QString::fromStdString(doc_.title()));
}

bool CMarbeckView::do_save_bitmap() {
    std::string name = doc_.title();
    std::replace(name.begin(), name.end(), '.', '_');
    const std::string path = AskBitmapPath(doc_.prompts(), std::string(view_text::kBitmapName) + name);
    if (path.empty()) return false;
    const QImage img = render_bitmap();
    if (img.isNull() || !WriteBitmapFile(img, path)) {
        doc_.prompts().beep();
        doc_.prompts().message(bitmap_text::kSaveError, MessageIcon::Error);
        return false;
    }
    return true;
}

bool CMarbeckView::do_save_screen_bitmap() {
    const std::string path = AskBitmapPath(doc_.prompts(), view_text::kScreenDumpName);
    if (path.empty()) return false;
    screen_dump_path_ = path;
    // A short delay lets the file chooser leave the screen first.
    if (screen_timer_) killTimer(screen_timer_);
    screen_timer_ = startTimer(10);
    return true;
}

bool CMarbeckView::do_print(bool preview) { return page_->print(this, QString::fromStdString(doc_.title()), preview); }

}  // namespace vox
