#include "gui/views/waveform/painters/overlay_painter.h"

#include <QPainter>

#include <algorithm>

#include "core/app/option_block.h"
#include "gui/plot/plot_draw.h"

namespace vox {

namespace {

QRect to_qrect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

int OverlayAxis::x_of(double ms) const {
    if (!(end_ms > start_ms)) return left;
    const double x = left + (ms - start_ms) * (right - left) / (end_ms - start_ms);
    return static_cast<int>(std::clamp(x, double(left), double(right)));
}

void OverlayPainter::reset(const QSize& size, const DisplayColors& colors) {
    screen_ = QImage(size, QImage::Format_RGB32);
    screen_.fill(plot::to_qcolor(colors.background));
    tint_ = QImage(size, QImage::Format_RGB32);
    tint_.fill(plot::to_qcolor(colors.selection));
    tracking_col_ = QImage(1, size.height(), QImage::Format_RGB32);
    tracking_col_.fill(plot::to_qcolor(colors.tracking));
    outline_shown_ = false;
}

void OverlayPainter::clear(const QImage& composed) { screen_ = composed.copy(); }

void OverlayPainter::show_selection(const OverlayAxis& a, double lo_ms, double hi_ms) {
    paint_columns(nullptr, a, a.x_of(lo_ms), a.x_of(hi_ms));
}

void OverlayPainter::show_cursor(const OverlayAxis& a, int x) {
    if (x < 0 || x >= screen_.width()) return;
    QPainter p(&screen_);
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(x, 0, x, std::max(0, a.bottom - 1));
}

void OverlayPainter::paint_columns(const QImage* composed, const OverlayAxis& a, int from_x, int to_x) {
    const int x0 = std::max(0, std::min(from_x, to_x));
    const int x1 = std::min(screen_.width(), std::max(from_x, to_x));
    const int h = std::max(0, std::min(screen_.height(), a.bottom));
    if (x1 <= x0 || h == 0) return;
    QPainter p(&screen_);
    const QRect r(x0, 0, x1 - x0, h);
    if (composed) {
        p.drawImage(r, *composed, r);
    } else {
        // Bitwise AND of the tint: the ground takes the tint, dark strokes stay dark.
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p.drawImage(r, tint_, r);
    }
}

QRect OverlayPainter::drag_selection(const QImage& composed, const OverlayAxis& a, int anchor, int last, int x) {
    // The selection was [a0, a1] and becomes [b0, b1].
    const int a0 = std::min(anchor, last), a1 = std::max(anchor, last);
    const int b0 = std::min(anchor, x), b1 = std::max(anchor, x);
    if (b0 < a0) paint_columns(nullptr, a, b0, a0);
    if (b0 > a0) paint_columns(&composed, a, a0, std::min(b0, a1));
    if (b1 > a1) paint_columns(nullptr, a, std::max(a1, b0), b1);
    if (b1 < a1) paint_columns(&composed, a, std::max(b1, a0), a1);
    const int u0 = std::min(a0, b0), u1 = std::max(a1, b1);
    return QRect(u0, 0, u1 - u0 + 1, std::max(1, a.bottom));
}

QRect OverlayPainter::show_label_outline(const QImage& composed, const Rect& outline) {
    QRect dirty = to_qrect(outline).adjusted(-1, -1, 1, 1);
    {
        QPainter p(&screen_);
        if (outline_shown_) {
            const QRect old = to_qrect(outline_).adjusted(-1, -1, 1, 1);
            p.drawImage(old, composed, old);
            dirty = dirty.united(old);
        }
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(to_qrect(outline).adjusted(0, 0, -1, -1));
    }
    outline_ = outline;
    outline_shown_ = true;
    return dirty;
}

void OverlayPainter::paint_tracking(QPainter& p, const OverlayAxis& a, int x) const {
    const int h = std::max(0, a.bottom);
    p.drawImage(QRect(x, 0, 1, h), tracking_col_, QRect(0, 0, 1, h));
}

void OverlayPainter::paint_play_cursor(QPainter& p, const OverlayAxis& a, int x) {
    p.setPen(Qt::black);
    p.drawLine(x, 0, x, std::max(0, a.bottom));
}

}  // namespace vox
