#include "gui/views/waveform/painters/intensity_painter.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

#include "core/document/marbeck_doc.h"
#include "gui/plot/plot_draw.h"

namespace vox {

namespace {
constexpr ColorRef kContourColor = 0xFF0000;
}

bool IntensityPainter::paint(QPainter& p, const StripFrame& f) {
    if (!f.has_height()) return true;
    FrameStrip(p, f);
    const CChannels& ch = doc_.channels[channel_];
    const int W = f.width();
    const double span = f.last_sample - f.first_sample;
    const std::size_t n = std::min<std::size_t>(ch.intensity.size(), std::max<std::int64_t>(0, ch.intensity_count));
    if (W <= 0 || !(span > 0.0) || n == 0) return true;
    double lo = ch.intensity_min, hi = ch.intensity_max;
    if (!(hi > lo)) {
        lo = 0.0;
        hi = std::max(1.0, hi);
    }
    const double k = (f.bottom - 1 - f.top) / (hi - lo);
    QPolygon line;
    p.setPen(QPen(f.color ? plot::to_qcolor(kContourColor) : QColor(Qt::black), std::max(1.0, f.scale)));
    for (int x = 0; x < W; ++x) {
        const double sample = f.first_sample + span * x / W - first_sample_;
        if (sample < 0.0 || sample >= double(n)) {
            if (line.size() > 1) p.drawPolyline(line);
            line.clear();
            continue;
        }
        const double v = std::clamp(ch.intensity[static_cast<std::size_t>(sample)], lo, hi);
        line << QPoint(f.left + x, f.bottom - 1 - PixelOf((v - lo) * k));
    }
    if (line.size() > 1) p.drawPolyline(line);
    return true;
}

}  // namespace vox
