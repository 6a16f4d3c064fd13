#include "gui/views/analysis/spectrogram_pane.h"

#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "core/audio/sound_out.h"
#include "core/document/channel_analysis.h"
#include "core/document/doc_playback.h"
#include "core/dsp/sample_source.h"
#include "gui/audio/sound_devices.h"
#include "core/document/marbeck_doc.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/analysis/analysis_text.h"
#include "gui/annotation/label_font.h"
#include "gui/views/waveform/plot_geometry.h"

namespace vox {

namespace {

constexpr int kRightMargin = 5;  // pixels right of the image
constexpr int kMinSelectionPx = 2;
const QColor kFormantRed(255, 0, 0);
const QColor kTimeGrid(200, 200, 200);
const QColor kIntensityColor(255, 196, 0);

int itrunc(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

int width_of(const Rect& r) { return r.right - r.left; }
int height_of(const Rect& r) { return r.bottom - r.top; }

}  // namespace

CSpectrogramPane::CSpectrogramPane(CMarbeckDoc& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(120, 80);
    cursor_timer_.setSingleShot(true);
    end_timer_.setSingleShot(true);
    connect(&cursor_timer_, &QTimer::timeout, this, &CSpectrogramPane::play_tick);
    connect(&end_timer_, &QTimer::timeout, this, &CSpectrogramPane::stop_playback);
}

CSpectrogramPane::~CSpectrogramPane() { stop_playback(); }

// --- playback ----------------------------------------------------------------------------

bool CSpectrogramPane::play(bool selection) {
    stop_playback();
    const CChannels& ch = doc_.channels[0];
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    if (!(rate > 0.0)) return false;
    double a_ms = stretch_.start_ms, b_ms = stretch_.end_ms;
    if (selection) {
        if (!selection_) return false;
        a_ms = selection_start_ms();
        b_ms = selection_end_ms();
    }
    const double first = selection ? a_ms * rate / 1000.0 : stretch_.first;
    const double last = selection ? b_ms * rate / 1000.0 : stretch_.last;
    const int first_i = static_cast<int>(std::clamp(first, 0.0, ch.sample_count));
    const int count_i = static_cast<int>(std::clamp(last, 0.0, ch.sample_count)) - first_i;
    if (count_i <= 0) return false;
    play_start_ms_ = a_ms;
    play_end_ms_ = b_ms;
    out_ = std::make_unique<CSoundOut>(output_device(doc_), doc_.prompts());
    QPointer<CSpectrogramPane> guard(this);
    CMarbeckDoc* d = &doc_;
    // Messages of the refill thread are shown on this thread.
    out_->set_worker_message_sink([guard, d](const std::string& text) {
        QMetaObject::invokeMethod(guard.data(), [guard, d, text] { if (guard) d->prompts().message(text); },
                                  Qt::QueuedConnection);
    });
    start_playback(doc_, *out_, first_i, count_i, static_cast<std::uint32_t>(rate));
    play_cursor_ms_ = play_start_ms_;
    cursor_timer_.start(1);
    return true;
}

void CSpectrogramPane::play_tick() {
    const CChannels& ch = doc_.channels[0];
    const double rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    const int r = static_cast<int>(rate);
    // The cursor's step (ms) matches the engine's block.
    const double step = (r == 44100 || r == 48000 ? 8192000.0 : 2048000.0) / std::max(1.0, rate);
    if (play_end_ms_ - step >= play_cursor_ms_) {
        play_cursor_ms_ += step;
        set_cursor_time(play_cursor_ms_);
        cursor_timer_.start(static_cast<int>(step));
    } else {
        end_timer_.start(500);
    }
}

void CSpectrogramPane::stop_playback() {
    cursor_timer_.stop();
    end_timer_.stop();
    if (out_) {
        end_playback(*out_);
        out_.reset();
    }
}

void CSpectrogramPane::setup(const SpectrogramStretch& stretch, const SpectrogramOptions& options) {
    stretch_ = stretch;
    options_ = options;
    audio_ready_ = false;
    cursor_x_ = cursor_y_ = -1;
    selection_ = false;
    needs_computation_ = true;
    previous_columns_.reset();  // another stretch or other options
    schedule();
}

void CSpectrogramPane::schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    // After the events of the moment (a burst of resizes computes once).
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        // A window hidden behind a maximised one waits until it is seen
        // again (its next paint or resize schedules it once more).
        if (needs_computation_ && isVisible() && !covered()) {
            compute_now();
            update();
        }
    });
}

bool CSpectrogramPane::covered() const {
    // In a work area whose active window is maximised, the others are laid
    // out at their normal size behind it: activating another window
    // restores the one left and maximises the one chosen, so every
    // activation resizes both.
    for (const QWidget* w = this; w; w = w->parentWidget())
        if (const auto* sub = qobject_cast<const QMdiSubWindow*>(w)) {
            const QMdiArea* area = sub->mdiArea();
            const QMdiSubWindow* active = area ? area->activeSubWindow() : nullptr;
            return active && active != sub && active->isMaximized();
        }
    return false;
}

// --- layout ----------------------------------------------------------------------

SpectrogramGeometry CSpectrogramPane::geometry_for(const Rect& client, double scale, int text_w, int text_h) const {
    SpectrogramGeometry g;
    g.scale = scale;
    Rect a{client.left + text_w, client.top, client.right - itrunc(kRightMargin * scale),
           client.bottom - (3 * text_h) / 2};
    const CChannels& ch = doc_.channels[0];
    int y = a.top;
    if (options_.draw_labels) {
        for (int t = 0; t < kTierCount; ++t) {
            const Tier& tier = ch.tiers[t];
            if (!tier.in_use) continue;
            const int h = itrunc(std::max(0, tier.height) * scale);
            g.tiers[t] = Rect{a.left, y, a.right, y + h};
            y += h;
        }
    }
    if (options_.draw_audio) {
        const int h = itrunc(std::max(0, doc_.options.display.audio_height) * scale);
        g.audio = Rect{a.left, y, a.right, y + h};
        y += h;
    }
    a.top = std::min(y, a.bottom);
    g.area = a;
    return g;
}

SpectrogramGeometry CSpectrogramPane::screen_geometry() const {
    const QFontMetrics fm(ViewFont());
    return geometry_for(Rect{0, 0, width(), height()}, 1.0, fm.horizontalAdvance("00000000"), fm.height());
}

void CSpectrogramPane::layout() { geo_ = screen_geometry(); }

// --- computation ---------------------------------------------------------------------

bool CSpectrogramPane::compute_now() {
    if (computing_) return false;
    if (!needs_computation_) return columns_.has_value();
    computing_ = true;
    needs_computation_ = false;
    std::optional<SpectrogramColumns> kept = std::move(columns_);
    columns_.reset();
    grey_ = QImage();
    layout();
    // The client-sized images.
    const QSize sz(std::max(1, width()), std::max(1, height()));
    cached_ = QImage(sz, QImage::Format_RGB32);
    screen_ = QImage(sz, QImage::Format_RGB32);
    if (cached_.isNull() || screen_.isNull()) {
        computing_ = false;
        doc_.prompts().message(analysis_text::kDisplaySetupError, MessageIcon::Error);
        emit closeRequested();
        return false;
    }
    cached_.fill(Qt::white);
    SpectrogramSetup su;
    const CChannels& ch = doc_.channels[0];
    su.total = ch.sample_count;
    su.rate = doc_.doc_rate > 0.0 ? doc_.doc_rate : ch.sample_rate;
    su.first = stretch_.first;
    su.last = stretch_.last;
    su.start_ms = stretch_.start_ms;
    su.end_ms = stretch_.end_ms;
    su.window = 1 << (std::clamp(options_.bandwidth_index, 0, 8) + 5);
    su.dynamic_range = options_.dynamic_range_db;
    su.pre_emphasis = options_.pre_emphasis;
    su.frequency_range = options_.frequency_range_hz;
    su.formants = options_.display_formants != 0;
    su.lpc_order = options_.formant_lpc_coefficients;
    su.columns = width_of(geo_.area);
    su.rows = height_of(geo_.area);
    bool ok = false;
    bool computed = false;
    const auto fits = [&](const std::optional<SpectrogramColumns>& c) {
        return c && c->columns == su.columns && c->rows == su.rows;
    };
    if (fits(kept)) {
        columns_ = std::move(kept);
        ok = true;
    } else if (fits(previous_columns_)) {
        // Back to the size before: the two results change places.
        columns_ = std::move(previous_columns_);
        previous_columns_ = std::move(kept);
        ok = true;
    } else if (su.columns > 0 && su.rows > 0 && su.last > su.first && doc_.loaded) {
        try {
            SampleSource src = channel_source(doc_, 0);
            auto out = ComputeSpectrogram(src, su, doc_.progress(), &doc_.prompts());
            if (out) {
                columns_ = std::move(out);
                ok = computed = true;
            }
        } catch (const AnalysisAbandoned&) {
            ok = false;
        } catch (const std::bad_alloc&) {
            doc_.prompts().message(spectrogram_text::kLowMemory, MessageIcon::Error);
            emit closeRequested();
        }
    }
    if (computed && kept) previous_columns_ = std::move(kept);
    if (ok) {
        // The grey image: row r of the analysis is the r-th pixel row from the bottom.
        const int C = columns_->columns, R = columns_->rows;
        grey_ = QImage(C, R, QImage::Format_Grayscale8);
        for (int r = 0; r < R; ++r) {
            uchar* line = grey_.scanLine(R - 1 - r);
            for (int i = 0; i < C; ++i)
                line[i] = static_cast<uchar>(spectrogram_grey(columns_->value(i, r), columns_->dynamic_range));
        }
        if (computed) ++compute_count_;
    }
    render_cached();
    computing_ = false;
    return ok;
}

void CSpectrogramPane::ensure_audio() {
    if (audio_ready_) return;
    audio_ready_ = true;
    audio_ = doc_.samples(0);
    if (audio_.count() > (4u << 20)) audio_.build_summary();
}

// --- rendering -------------------------------------------------------------------------

void CSpectrogramPane::render_cached() {
    if (cached_.isNull()) return;
    cached_.fill(Qt::white);
    if (columns_) {
        QPainter p(&cached_);
        render(p, geo_, true);
    }
    compose_screen();
}

void CSpectrogramPane::render(QPainter& p, const SpectrogramGeometry& g, bool color) {
    const double k = g.scale;
    const Rect& a = g.area;
    const int W = width_of(a), H = height_of(a);
    if (W <= 0 || H <= 0 || !columns_) return;
    p.save();
    // The audio band: the waveform of the stretch in a frame.
    if (height_of(g.audio) > 2) {
        ensure_audio();
        plot::AudioBandStyle style;
        const double full = 32768.0;
        style.scale = (height_of(g.audio) / 2.0 - 1.0) / full * 1.0;
        style.zero_ratio = 0.5;
        style.wave = color ? QColor(0, 0, 96) : QColor(Qt::black);
        p.setPen(QPen(Qt::black, 0));
        if (!audio_.empty()) {
            // Normalise to the loudest sample of the stretch so quiet
            // recordings still show their shape.
            std::int16_t lo = 0, hi = 0;
            const std::uint64_t f0 = static_cast<std::uint64_t>(std::max(0.0, stretch_.first));
            const std::uint64_t n = static_cast<std::uint64_t>(std::max(1.0, stretch_.last - stretch_.first));
            const std::uint64_t have = audio_.count();
            if (audio_.min_max(f0, std::min(n, have - std::min(f0, have)), lo, hi)) {
                const double peak = std::max({1.0, std::abs(double(lo)), std::abs(double(hi))});
                style.scale = (height_of(g.audio) / 2.0 - 2.0) / peak;
            }
            plot::DrawAudioBand(p, audio_, stretch_.first, stretch_.last, g.audio, style);
        }
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(g.audio.left, g.audio.top, W - 1, height_of(g.audio) - 1);
    }
    // The grey image, one pixel per frame and row on screen, smoothly
    // scaled onto pages and bitmaps.
    p.setRenderHint(QPainter::SmoothPixmapTransform, k != 1.0);
    p.drawImage(QRect(a.left, a.top, W, H), grey_);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);

    const SpectrogramColumns& c = *columns_;
    const double frange = std::max(1, options_.frequency_range_hz);
    // Intensity contour over the image.
    const CChannels& ch = doc_.channels[0];
    if (options_.draw_intensity && ch.intensity_valid && ch.intensity_count > 0) {
        const std::size_t n = std::min<std::size_t>(ch.intensity.size(), std::size_t(ch.intensity_count));
        double lo = ch.intensity_min, hi = ch.intensity_max;
        if (!(hi > lo)) { lo = 0.0; hi = std::max(1.0, hi); }
        QPainterPath path;
        bool open = false;
        for (int x = 0; x < W; ++x) {
            const double s = stretch_.first + (stretch_.last - stretch_.first) * x / W;
            if (s < 0.0 || s >= double(n)) { open = false; continue; }
            const double v = std::clamp(ch.intensity[static_cast<std::size_t>(s)], lo, hi);
            const QPointF pt(a.left + x, a.bottom - 1 - (v - lo) * (H - 1) / (hi - lo));
            if (open) path.lineTo(pt); else path.moveTo(pt);
            open = true;
        }
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(QPen(color ? kIntensityColor : QColor(Qt::black), std::max(1.0, 1.5 * k)));
        p.drawPath(path);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    // Formant dots: 4-pixel discs (scaled on pages) at each frame's formants.
    if (c.formants_found && !c.formants.empty()) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(color ? kFormantRed : QColor(Qt::black));
        const double d = 4.0 * k;
        const int frames = static_cast<int>(c.formants.size());
        for (int i = 0; i < frames; ++i)
            for (std::int16_t F : c.formants[static_cast<std::size_t>(i)]) {
                if (F <= 50) continue;
                const int x = a.left + itrunc(double(i) * W / frames);
                const int y = a.bottom - itrunc(F * double(H) / frange);
                if (y > a.top && y < a.bottom) p.drawEllipse(QRectF(x, y, d, d));
            }
        p.setBrush(Qt::NoBrush);
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    // Frequency grid and labels on the left.
    QFont font = ViewFont(k);
    p.setFont(font);
    if (options_.add_frequency_grid && options_.frequency_grid_hz > 0)
        plot::DrawFrequencyGrid(p, a, 0.0, frange, options_.frequency_grid_hz, 1, "Hz", false);
    // Time grid in light grey with its labels below the image.
    if (options_.add_time_grid && options_.time_grid_ms > 0) {
        const bool secs = doc_.options.display.msec == 0;
        const double f = secs ? 1000.0 : 1.0;
        p.setFont(font);
        plot::DrawTimeGrid(p, a, stretch_.start_ms / f, stretch_.end_ms / f, options_.time_grid_ms / f, true,
                           kTimeGrid);
    }
    // The frame around the image.
    p.setPen(QPen(Qt::black, std::max(1, itrunc(k))));
    p.setBrush(Qt::NoBrush);
    p.drawRect(a.left, a.top, W - 1, H - 1);
    // Label tiers, read from the document.
    if (options_.draw_labels) {
        const double span = stretch_.end_ms - stretch_.start_ms;
        for (int t = 0; t < kTierCount; ++t) {
            const Rect& band = g.tiers[t];
            if (height_of(band) <= 0) continue;
            const Tier& tier = ch.tiers[t];
            p.setPen(QPen(Qt::black, 0));
            p.drawRect(band.left, band.top, width_of(band) - 1, height_of(band) - 1);
            p.setFont(ViewFont(k));
            const QFontMetrics nfm(p.font());
            const QString name = QString::fromStdString(tier.name);
            p.drawText(band.left - 5 * k - nfm.horizontalAdvance(name),
                       band.top + (height_of(band) - nfm.height()) / 2 + nfm.ascent(), name);
            if (!(span > 0.0)) continue;
            for (const LABEL& l : tier.labels) {
                if (!(l.time_ms > stretch_.start_ms && l.time_ms < stretch_.end_ms)) continue;
                const int x = band.left + itrunc(W / span * (l.time_ms - stretch_.start_ms));
                const QFont lf = LabelFont(l.font, k);
                const QFontMetrics fm(lf);
                const QString text = QString::fromStdString(l.text_string());
                const int w = fm.horizontalAdvance(text);
                const int left = l.align == 1 ? x - w / 2 : l.align == 2 ? x - w : x;
                const QColor lc = color ? plot::to_qcolor(l.color) : QColor(Qt::black);
                if (l.add_line) {
                    p.setPen(QPen(lc, 0));
                    p.drawLine(x, band.top, x, a.bottom - 1);
                }
                p.setFont(lf);
                p.setPen(lc);
                p.drawText(left, band.top + (height_of(band) - fm.height()) / 2 + fm.ascent(), text);
            }
        }
    }
    p.restore();
}

void CSpectrogramPane::compose_screen() {
    if (cached_.isNull()) return;
    screen_ = cached_.copy();
    if (!columns_) return;
    QPainter p(&screen_);
    const Rect& a = geo_.area;
    if (selection_) {
        const int x0 = std::clamp(std::min(sel_a_x_, sel_b_x_), a.left, a.right);
        const int x1 = std::clamp(std::max(sel_a_x_, sel_b_x_), a.left, a.right);
        if (x1 > x0) {
            // The tint multiplies the image: dark stays dark, the ground
            // takes the selection colour.
            const QRect r(x0, a.top, x1 - x0, a.bottom - a.top);
            p.setCompositionMode(QPainter::CompositionMode_Multiply);
            p.fillRect(r, plot::to_qcolor(doc_.options.colors.selection));
            p.setCompositionMode(QPainter::CompositionMode_SourceOver);
            p.setPen(QPen(QColor(0, 90, 200), 0));
            p.drawLine(x0, a.top, x0, a.bottom - 1);
            p.drawLine(x1 - 1, a.top, x1 - 1, a.bottom - 1);
        }
    }
    if (cursor_x_ >= 0) {
        p.setPen(QPen(QColor(0, 90, 255), 0));
        p.drawLine(cursor_x_, a.top, cursor_x_, a.bottom - 1);
        if (cursor_y_ > a.top && cursor_y_ < a.bottom) p.drawLine(a.left, cursor_y_, a.right - 1, cursor_y_);
    }
}

const QImage& CSpectrogramPane::cached_image() {
    if (needs_computation_ || cached_.size() != size()) {
        needs_computation_ = true;
        compute_now();
    }
    return cached_;
}

const QImage& CSpectrogramPane::screen_image() {
    cached_image();
    return screen_;
}

void CSpectrogramPane::render_plot(QPainter& p, const plot::PlotTarget& t) {
    if (!columns_) return;
    // Margins scaled from the screen's: labels left, time labels below.
    const QFontMetrics fm(ViewFont(t.scale));
    Rect inner{t.area.left + 1, t.area.top + itrunc(4 * t.scale), t.area.right - 1, t.area.bottom - 1};
    const SpectrogramGeometry g =
        geometry_for(inner, t.scale, fm.horizontalAdvance("00000000") + itrunc(4 * t.scale), fm.height() + itrunc(6 * t.scale));
    p.save();
    p.fillRect(QRect(t.area.left + 1, t.area.top + 1, width_of(t.area) - 1, height_of(t.area) - 1), Qt::white);
    render(p, g, t.color);
    p.restore();
}

void CSpectrogramPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Seen again after waiting behind a maximised window.
    if (needs_computation_ && !computing_) schedule();
    if (screen_.isNull() || needs_computation_) {
        p.fillRect(rect(), Qt::white);
        if (!screen_.isNull() && !needs_computation_) p.drawImage(0, 0, screen_);
        return;
    }
    p.fillRect(rect(), Qt::white);
    p.drawImage(0, 0, screen_);
}

void CSpectrogramPane::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // More pixels are more frames and rows: recompute at the new size. A
    // window that comes back to the size its image was made for (as when it
    // is activated, restored or re-laid out) keeps that image.
    if (columns_ && !needs_computation_ && cached_.size() == e->size()) return;
    if (columns_ || needs_computation_ || !cached_.isNull()) {
        needs_computation_ = true;
        schedule();
    }
}

// --- times and positions -----------------------------------------------------------

double CSpectrogramPane::x_to_ms(int x) const {
    const Rect& a = geo_.area;
    const int W = width_of(a);
    if (W <= 0) return stretch_.start_ms;
    const int cx = std::clamp(x, a.left, a.right);
    return stretch_.start_ms + (stretch_.end_ms - stretch_.start_ms) * (cx - a.left) / W;
}

double CSpectrogramPane::y_to_hz(int y) const {
    const Rect& a = geo_.area;
    const int H = height_of(a);
    if (H <= 0) return 0.0;
    const int cy = std::clamp(y, a.top, a.bottom);
    return double(a.bottom - cy) * options_.frequency_range_hz / H;
}

int CSpectrogramPane::ms_to_x(double ms) const {
    const Rect& a = geo_.area;
    const double span = stretch_.end_ms - stretch_.start_ms;
    if (!(span > 0.0)) return a.left;
    const double t = std::clamp(ms, stretch_.start_ms, stretch_.end_ms);
    const int x = a.left + itrunc(double(width_of(a)) / span * (t - stretch_.start_ms));
    return std::clamp(x, a.left, std::max(a.left, a.right - 1));
}

std::array<int, 5> CSpectrogramPane::formants_at(double ms) const {
    std::array<int, 5> out{-1, -1, -1, -1, -1};
    if (!columns_ || columns_->formants.empty()) return out;
    const double span = stretch_.end_ms - stretch_.start_ms;
    const int n = static_cast<int>(columns_->formants.size());
    const int i = span > 0.0 ? std::clamp(itrunc((ms - stretch_.start_ms) / span * n), 0, n - 1) : 0;
    for (int j = 0; j < 5; ++j) out[j] = columns_->formants[static_cast<std::size_t>(i)][j];
    return out;
}

void CSpectrogramPane::set_cursor_time(double ms) {
    if (needs_computation_ && geo_.area.right == 0) layout();
    cursor_x_ = ms_to_x(ms);
    cursor_ms_ = std::clamp(ms, stretch_.start_ms, stretch_.end_ms);
    compose_screen();
    update();
}

// --- mouse -----------------------------------------------------------------------------

void CSpectrogramPane::start_selection(int x) {
    cursor_x_ = x;
    cursor_ms_ = x_to_ms(x);
    selection_ = false;
    sel_a_x_ = sel_b_x_ = x;
    sel_a_ms_ = sel_b_ms_ = cursor_ms_;
}

void CSpectrogramPane::extend_selection(int x) {
    const Rect& a = geo_.area;
    x = std::clamp(x, a.left, a.right);
    sel_b_x_ = x;
    sel_b_ms_ = x_to_ms(x);
    selection_ = std::abs(sel_b_x_ - sel_a_x_) >= kMinSelectionPx;
}

void CSpectrogramPane::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    stop_playback();
    if (!columns_) return;
    const QPoint pos = e->position().toPoint();
    if (!rect().contains(pos)) return;
    pressed_ = true;
    const Rect& a = geo_.area;
    start_selection(std::clamp(pos.x(), a.left, std::max(a.left, a.right - 1)));
    cursor_y_ = std::clamp(pos.y(), a.top, a.bottom);
    cursor_hz_ = y_to_hz(pos.y());
    compose_screen();
    update();
    emit readout(cursor_ms_, cursor_hz_, 0.0);
    emit markerChanged();
}

void CSpectrogramPane::mouseMoveEvent(QMouseEvent* e) {
    if (!columns_) return;
    const QPoint pos = e->position().toPoint();
    if (pressed_ && (e->buttons() & Qt::LeftButton)) {
        extend_selection(pos.x());
        compose_screen();
        update();
        emit readout(sel_b_ms_, y_to_hz(pos.y()), selection_end_ms() - selection_start_ms());
    } else if (!pressed_) {
        const Rect& a = geo_.area;
        if (pos.x() >= a.left && pos.x() < a.right && pos.y() >= a.top && pos.y() < a.bottom)
            emit readout(x_to_ms(pos.x()), y_to_hz(pos.y()), -1.0);
    }
}

void CSpectrogramPane::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    if (selection_) {
        cursor_x_ = -1;
        cursor_y_ = -1;
    }
    compose_screen();
    update();
    emit markerChanged();
}

void CSpectrogramPane::follow(FollowPhase phase, double ms) {
    if (!columns_) return;
    const int x = ms_to_x(ms);
    switch (phase) {
    case FollowPhase::Press:
        start_selection(x);
        cursor_y_ = -1;
        // The waveform view's exact time, not the time of the pane's pixel.
        cursor_ms_ = std::clamp(ms, stretch_.start_ms, stretch_.end_ms);
        sel_a_ms_ = sel_b_ms_ = cursor_ms_;
        emit readout(cursor_ms_, -1.0, 0.0);
        break;
    case FollowPhase::Drag:
        extend_selection(x);
        sel_b_ms_ = std::clamp(ms, stretch_.start_ms, stretch_.end_ms);
        emit readout(sel_b_ms_, -1.0, selection_end_ms() - selection_start_ms());
        break;
    case FollowPhase::Release:
        if (selection_) cursor_x_ = -1;
        emit markerChanged();
        break;
    }
    compose_screen();
    update();
}

}  // namespace vox
