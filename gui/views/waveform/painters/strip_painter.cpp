#include "gui/views/waveform/painters/strip_painter.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vox {

void FrameStrip(QPainter& p, const StripFrame& f) {
    if (f.bottom <= f.top || f.right <= f.left) return;
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(f.left, f.top, f.right - f.left, f.bottom - f.top - 1);
}

int PixelOf(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

}  // namespace vox
