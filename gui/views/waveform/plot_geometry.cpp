#include "gui/views/waveform/plot_geometry.h"

#include <algorithm>

#include "gui/views/waveform/painters/strip_painter.h"

namespace vox {

QFont ViewFont(double scale) {
    QFont f("Arial");
    f.setPixelSize(std::max(1, PixelOf(14 * scale)));
    f.setWeight(QFont::Normal);
    return f;
}

}  // namespace vox
