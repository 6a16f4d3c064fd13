// Zoom and scrolling of the waveform view: the six zoom commands, the
// horizontal scroll bar whose 0…30000 units stand for the whole recording,
// the mouse wheel and the auto-scroll of a drag past an edge.
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "gui/views/waveform/marbeck_view.h"
#include "gui/views/waveform/zoom_option_dialog.h"

namespace vox {

namespace {

constexpr int kScrollUnits = 30000;  // the bar's range, whatever the length
constexpr int kWholePage = 30001;    // the page when everything is in view
constexpr int kLeftEdge = 40;        // display left edge, pixels
constexpr int kRightEdge = 5;        // client width − display right
constexpr int kBarHeight = 14;
constexpr int kBarTop = 36;          // client height − bar top: below the time labels, above the readouts

void update_window_ms(CChannels& ch) {
    ch.window_start_ms = ch.window_start_in_ms();
    ch.window_end_ms = ch.window_end_in_ms();
}

}  // namespace

void CMarbeckView::zoom_init() {
    hscroll_ = new QScrollBar(Qt::Horizontal, this);
    hscroll_->setFocusPolicy(Qt::NoFocus);
    hscroll_->setRange(0, 0);
    hscroll_->setPageStep(kWholePage);
    hscroll_->setSingleStep(kWholePage / 10);
    hscroll_->setValue(0);
    // Line requests move by a tenth of the page and page requests by the
    // page; whatever moved the bar, every channel's window follows it.
    // A scroll stops playback, and the readouts show the time now under
    // the pointer.
    connect(hscroll_, &QScrollBar::actionTriggered, this, [this](int) { stop_playback(); });
    connect(hscroll_, &QScrollBar::valueChanged, this, [this](int) {
        stop_playback();
        window_from_scroll();
        readouts_after_scroll();
    });
}

void CMarbeckView::place_scroll_bar() {
    if (!hscroll_) return;
    const Rect d = display_rect();
    hscroll_->setGeometry(d.left, height() - kBarTop, std::max(1, d.right - d.left), kBarHeight);
}

void CMarbeckView::set_scroll_from_window() {
    CChannels& ch = first();
    const double n = ch.sample_count;
    int pos = 0, page = kWholePage;
    if (n > 0.0) {
        const double scale = kScrollUnits / n;
        const double span = ch.window_last - ch.window_first;
        pos = static_cast<int>(std::clamp(std::trunc(scale * ch.window_first), 0.0, double(kScrollUnits)));
        page = static_cast<int>(std::clamp(std::trunc(scale * span), 0.0, double(kWholePage)));
        if (page == kScrollUnits) page = kWholePage;
    }
    {
        const QSignalBlocker block(hscroll_);
        // The highest position keeps the page inside the 30000 units.
        hscroll_->setRange(0, std::max(0, kWholePage - page));
        hscroll_->setPageStep(page);
        hscroll_->setSingleStep(page / 10);
        hscroll_->setValue(pos);
    }
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) update_window_ms(doc_.channels[i]);
    zoomed_ = kScrollUnits >= page;
}

void CMarbeckView::window_from_scroll() {
    const int pos = hscroll_->value();
    const int page = hscroll_->pageStep();
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
        CChannels& ch = doc_.channels[i];
        const double n = ch.sample_count;
        if (page >= kScrollUnits) {
            ch.window_first = 0.0;  // the bar cannot show more than the whole recording
            ch.window_last = n;
        } else {
            ch.window_first = n / kScrollUnits * pos;
            ch.window_last = ch.window_first + n / kScrollUnits * page;
        }
        update_window_ms(ch);
    }
    zoomed_ = kScrollUnits >= page;
    doc_.changes().publish(DocChange::Selection);  // the window moved
}

void CMarbeckView::scroll_request(int action) {
    hscroll_->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
}

void CMarbeckView::readouts_after_scroll() {
    if (pressed_ || tracking_x_ < 0 || !has_data()) return;  // a drag shows its own readouts
    const CChannels& ch = first();
    view_time_ms_ = ch.sample_to_ms(ch.pixel_to_sample(tracking_x_ - kLeftEdge));
    update_move_readouts();
}

void CMarbeckView::wheelEvent(QWheelEvent* e) {
    if (!has_data()) return;
    stop_playback();
    const int dy = e->angleDelta().y() != 0 ? e->angleDelta().y() : e->angleDelta().x();
    if (dy == 0) return;
    scroll_request(dy > 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
    e->accept();
}

bool CMarbeckView::auto_scroll(int x) {
    if (!zoomed_) return false;
    const int step = hscroll_->pageStep() / 10;  // scroll units taken as pixels
    const Rect d = display_rect();
    int rel = 0;
    QAbstractSlider::SliderAction action;
    if (x < kLeftEdge) {
        rel = -step;
        action = QAbstractSlider::SliderSingleStepSub;
    } else if (x > width() - kRightEdge) {
        rel = d.right - d.left + step;
        action = QAbstractSlider::SliderSingleStepAdd;
    } else {
        return false;
    }
    // The selection reaches a little beyond the old window before it moves.
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) doc_.channels[i].extend_selection_to_pixel(rel);
    QTimer::singleShot(0, this, [this, action] { scroll_request(action); });
    return true;
}

void CMarbeckView::zoom_command(CommandId id) {
    for (int i = 0; i < std::max(1, doc_.channel_count); ++i) {
        CChannels& ch = doc_.channels[i];
        const double n = ch.sample_count;
        const double start = ch.window_first, end = ch.window_last, span = end - start;
        double a = start, b = end;
        switch (id) {
        case CommandId::ZoomUnZoom:
            // One level: the window left is not kept, so a second UnZoom
            // shows the same window again.
            a = std::max(0.0, ch.prev_window_first);
            b = std::min(n, ch.prev_window_last);
            break;
        case CommandId::ZoomIn:
            a = std::max(0.0, start + span / 4.0);
            b = std::min(n, end - span / 4.0);
            break;
        case CommandId::ZoomOut:
            a = std::max(0.0, start - span / 2.0);
            b = std::min(n, end + span / 2.0);
            break;
        case CommandId::ZoomSelection:
            a = ch.sel_lo_sample;
            b = ch.sel_hi_sample;
            break;
        case CommandId::ZoomFromCursor:
            // May reach past N; the drawing stops at the last sample.
            a = ch.marker_sample;
            b = ch.marker_sample + ch.sample_rate * doc_.options.zoom_range_ms / 1000.0;
            break;
        case CommandId::ZoomHome:
            a = 0.0;
            b = n;
            break;
        default:
            return;
        }
        if (id != CommandId::ZoomUnZoom) {
            ch.prev_window_first = start;
            ch.prev_window_last = end;
        }
        ch.window_first = a;
        ch.window_last = b;
    }
    set_scroll_from_window();
    doc_.changes().publish(DocChange::Selection);  // the window changed
}

void CMarbeckView::apply_zoom_option(int range_ms) {
    doc_.options.zoom_range_ms = static_cast<double>(range_ms);
    emit configPatchRequested(ConfigGroup::Zoom);
}

bool CMarbeckView::do_zoom_option() {
    COptionZoom dlg(static_cast<int>(doc_.options.zoom_range_ms), this);
    if (dlg.exec() != QDialog::Accepted) return false;
    apply_zoom_option(dlg.range_ms());
    return true;
}

}  // namespace vox
