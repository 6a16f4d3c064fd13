#include "gui/views/waveform/painters/label_tier_painter.h"

#include <QFontMetrics>
#include <QPainter>

#include "core/document/marbeck_doc.h"
#include "gui/annotation/label_font.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/plot_geometry.h"

namespace vox {

namespace {

// Device x of the label's time in the window.
int label_x(const LABEL& l, const StripFrame& f) {
    const double W = double(f.right) - f.left;
    return f.left + PixelOf(W / (f.end_ms - f.start_ms) * (l.time_ms - f.start_ms));
}

bool inside_window(const LABEL& l, const StripFrame& f) {
    return f.end_ms > f.start_ms && l.time_ms > f.start_ms && l.time_ms < f.end_ms;
}

// Left edge of a text `w` pixels wide aligned at x (0 left, 1 centre, 2 right).
int aligned_left(int x, int w, int align) { return align == 1 ? x - w / 2 : align == 2 ? x - w : x; }

}  // namespace

std::optional<Rect> LabelTierPainter::text_rect(const LABEL& l, const StripFrame& f) {
    if (!inside_window(l, f)) return std::nullopt;
    const QFontMetrics fm(LabelFont(l.font, f.scale));
    const int w = fm.horizontalAdvance(QString::fromStdString(l.text_string()));
    const int left = aligned_left(label_x(l, f), w, l.align);
    return Rect{left, f.top, left + w, f.bottom};
}

bool LabelTierPainter::paint(QPainter& p, const StripFrame& f) {
    const Tier& tier = doc_.channels[channel_].tiers[tier_];
    if (!tier.in_use || !f.has_height()) return true;
    FrameStrip(p, f);
    p.setFont(ViewFont(f.scale));
    p.setPen(Qt::black);
    const int h = f.height();
    const QFontMetrics nfm(p.font());
    p.drawText(f.left - PixelOf(35 * f.scale), f.top + h / 2 - PixelOf(10 * f.scale) + nfm.ascent(),
               QString::fromStdString(tier.name));
    for (const LABEL& l : tier.labels) {
        if (!inside_window(l, f)) continue;
        const int x = label_x(l, f);
        const QFont font = LabelFont(l.font, f.scale);
        const QFontMetrics fm(font);
        const QString text = QString::fromStdString(l.text_string());
        const int left = aligned_left(x, fm.horizontalAdvance(text), l.align);
        const QColor c = f.color ? plot::to_qcolor(l.color) : QColor(Qt::black);
        if (l.add_line) {
            p.setPen(QPen(c, 0));
            p.drawLine(x, f.top, x, f.plot_bottom - 1);
        }
        p.setFont(font);
        p.setPen(c);
        p.drawText(left, f.top + h / 2 - fm.height() / 2 + fm.ascent(), text);
    }
    return true;
}

}  // namespace vox
