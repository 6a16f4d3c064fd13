#pragma once
// The painters of the waveform plot and the order they draw in: the time
// grid over the whole display, the pitch strip's frequency axis, the label
// tier bands, the waveform, the intensity contour and the pitch contour.
// Later layers lie over earlier ones (a label's line crosses the grid, the
// waveform's strokes cross a label's line). The view owns one and says
// where the strips go; a printed page or a bitmap uses the same layers with
// a scaled geometry.

#include <vector>

#include "gui/views/waveform/painters/intensity_painter.h"
#include "gui/views/waveform/painters/label_tier_painter.h"
#include "gui/views/waveform/painters/pitch_painter.h"
#include "gui/views/waveform/painters/waveform_painter.h"
#include "gui/views/waveform/plot_geometry.h"

namespace vox {

class PlotLayers {
public:
    // The document's first channel and the pitch track the view holds; both
    // must outlive the layers.
    PlotLayers(const CMarbeckDoc& doc, const PitchTrack& pitch);

    WaveformPainter& waveform() { return waveform_; }
    IntensityPainter& intensity() { return intensity_; }

    // Draws every layer where g puts it, over the first channel's window.
    // False when the waveform's samples could not be read.
    bool paint(QPainter& p, const PlotGeometry& g);

    // The frame of one band of g over the first channel's window.
    StripFrame frame_of(const PlotGeometry& g, const PlotGeometry::Band& band) const;

private:
    const CMarbeckDoc& doc_;
    WaveformPainter waveform_;
    IntensityPainter intensity_;
    PitchPainter pitch_;
    std::vector<LabelTierPainter> tiers_;
};

}  // namespace vox
