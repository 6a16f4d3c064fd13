#include "gui/views/waveform/painters/pitch_painter.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>

#include "core/app/option_block.h"
#include "core/dsp/pitch_tracker.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/plot_geometry.h"

namespace vox {

namespace {
constexpr ColorRef kContourColor = 0xFF0000;
}

void PitchPainter::paint_axis(QPainter& p, const StripFrame& f) const {
    if (!options_.add_frequency_grid || !f.has_height()) return;
    p.setFont(ViewFont(f.scale));
    plot::DrawFrequencyGrid(p, Rect{f.left, f.top, f.right, f.bottom - 1}, options_.display_low_hz,
                            options_.display_high_hz, options_.frequency_grid_hz, 1, QStringLiteral("Hz"), true);
}

bool PitchPainter::paint(QPainter& p, const StripFrame& f) {
    if (track_.empty() || !f.has_height()) return true;
    FrameStrip(p, f);
    const std::vector<double>& hz = track_.f0;
    const double ws = f.start_ms, we = f.end_ms;
    const double W = double(f.right) - f.left;
    const double lo = options_.display_low_hz, hi = options_.display_high_hz;
    if (!(we > ws) || !(hi > lo)) return true;
    const double k = (f.bottom - 1 - f.top) / (hi - lo);
    const QColor col = f.color ? plot::to_qcolor(kContourColor) : QColor(Qt::black);
    p.setPen(QPen(col, std::max(1.0, 1.5 * f.scale), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setRenderHint(QPainter::Antialiasing, true);
    // The values whose times fall inside the window.
    const auto [i0, i1] = track_.indices_between(ws, we);
    QPolygonF run;
    auto flush = [&] {
        if (run.size() > 1) p.drawPolyline(run);
        else if (run.size() == 1) p.drawPoint(run[0]);
        run.clear();
    };
    for (std::size_t i = i0; i < i1; ++i) {
        const double v = hz[i];
        if (!(v > 0.0) || v < lo || v > hi) {
            flush();
            continue;
        }
        run << QPointF(f.left + W / (we - ws) * (track_.time_ms(i) - ws), f.bottom - 1 - (v - lo) * k);
    }
    flush();
    p.setRenderHint(QPainter::Antialiasing, false);
    return true;
}

}  // namespace vox
