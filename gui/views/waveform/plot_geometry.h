#pragma once
// Where the waveform view's strips go on one output (the screen, a printed
// page or a bitmap). The screen layout is computed by the view; a page
// layout scales it into the page's box. The strips' painters (painters/)
// draw there.

#include <QColor>
#include <QFont>

#include <array>

#include "core/document/marbeck_doc.h"

namespace vox {

struct PlotGeometry {
    struct Band {
        int top = 0, bottom = 0;
        bool in_use = false;
    };
    int left = 40, right = 0;  // x range mapped to the window (right exclusive)
    int top = 0, bottom = 0;   // the display rectangle
    std::array<Band, kTierCount> tiers{};
    Band audio, intensity, pitch;
    double scale = 1.0;  // fonts and pens relative to the screen
    bool color = true;   // false: contours and labels in black
};

// The screen font of the view (the application's Arial 14).
QFont ViewFont(double scale = 1.0);

}  // namespace vox
