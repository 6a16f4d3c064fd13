#include "gui/views/waveform/painters/level_painter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "gui/views/waveform/plot_geometry.h"

namespace vox {

void RecordingLevelPainter::reset(int rate, int block_samples) {
    const double block_s = rate > 0 && block_samples > 0 ? double(block_samples) / rate : 0.4;
    slots_.assign(static_cast<std::size_t>(std::max(8, static_cast<int>(std::ceil(kSweepSeconds / block_s)))), Slot{});
    next_ = 0;
    peak_ = -1;
}

void RecordingLevelPainter::add(int lo, int hi) {
    if (slots_.empty()) return;
    slots_[static_cast<std::size_t>(next_)] = Slot{true, lo, hi};
    next_ = (next_ + 1) % static_cast<int>(slots_.size());
    peak_ = std::max(std::abs(lo), std::abs(hi));
}

void RecordingLevelPainter::paint(QPainter& p, const QRect& r, const QRect& m) const {
    const int n = static_cast<int>(slots_.size());
    if (n == 0) return;
    p.save();
    p.fillRect(r, QColor(250, 250, 250));
    p.setPen(QPen(QColor(200, 200, 200), 0, Qt::DashLine));
    const int mid = r.top() + r.height() / 2;
    p.drawLine(r.left(), mid, r.right(), mid);
    const double scale = double(r.height()) / 65536.0;
    for (int k = 0; k < n; ++k) {
        const Slot& slot = slots_[static_cast<std::size_t>(k)];
        if (!slot.set) continue;
        const int x0 = r.left() + k * r.width() / n;
        const int x1 = r.left() + (k + 1) * r.width() / n;
        const int y_hi = mid - static_cast<int>(std::lround(slot.hi * scale));
        const int y_lo = mid - static_cast<int>(std::lround(slot.lo * scale));
        p.fillRect(QRect(QPoint(x0, std::min(y_hi, mid - 1)), QPoint(std::max(x0, x1 - 2), std::max(y_lo, mid + 1))),
                   QColor(30, 60, 160));
    }
    // Where the next block goes.
    const int xs = r.left() + next_ * r.width() / n;
    p.setPen(QPen(QColor(220, 30, 30), 2));
    p.drawLine(xs, r.top(), xs, r.bottom());
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));

    p.fillRect(m, QColor(235, 235, 235));
    if (peak_ > 0) {
        const double db = 20.0 * std::log10(std::min(1.0, peak_ / 32768.0));
        const double f = std::clamp((db + 60.0) / 60.0, 0.0, 1.0);
        const QColor c = db > -3.0 ? QColor(220, 30, 30) : db > -12.0 ? QColor(230, 170, 0) : QColor(40, 170, 60);
        p.fillRect(QRect(m.left(), m.top(), static_cast<int>(f * m.width()), m.height()), c);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%6.1f dB", db);
        p.setPen(Qt::black);
        p.setFont(ViewFont());
        p.drawText(m.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignRight, QString::fromLatin1(buf).trimmed());
    }
    p.setPen(QPen(Qt::black, 0));
    p.drawRect(m.adjusted(0, 0, -1, -1));
    p.restore();
}

}  // namespace vox
