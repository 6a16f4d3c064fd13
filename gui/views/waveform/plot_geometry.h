#pragma once
// Where the waveform view's plot items go on one output (the screen, a
// printed page or a bitmap), and the painter that draws them there. The
// screen layout is computed by the view; a page layout scales it into the
// page's box.

#include <QColor>
#include <QFont>

#include <array>
#include <vector>

#include "core/document/marbeck_doc.h"
#include "core/dsp/pitch_tracker.h"

class QPainter;

namespace vox {

class ChannelSamples;

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

// What the painter needs besides the geometry.
struct PlotContent {
    const CMarbeckDoc* doc = nullptr;
    const ChannelSamples* audio = nullptr;
    const PitchTrack* pitch = nullptr;  // values at their own times
    double intensity_first_sample = 0.0;  // sample the first intensity entry belongs to
    bool show_intensity = false;
    bool show_pitch = false;
};

// Draws grid, tiers, labels, waveform and contours. False when the
// waveform's samples could not be read.
bool PaintWaveformPlot(QPainter& p, const PlotGeometry& g, const PlotContent& c);

// The screen font of the view (the application's Arial 14).
QFont ViewFont(double scale = 1.0);

}  // namespace vox
