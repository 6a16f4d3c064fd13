#include "gui/views/waveform/painters/plot_layers.h"

#include <QPainter>

#include "core/document/marbeck_doc.h"
#include "gui/plot/plot_draw.h"

namespace vox {

PlotLayers::PlotLayers(const CMarbeckDoc& doc, const PitchTrack& pitch)
    : doc_(doc), waveform_(doc), intensity_(doc), pitch_(pitch, doc.options.pitch) {
    tiers_.reserve(kTierCount);
    for (int t = 0; t < kTierCount; ++t) tiers_.emplace_back(doc, t);
}

StripFrame PlotLayers::frame_of(const PlotGeometry& g, const PlotGeometry::Band& band) const {
    const CChannels& ch = doc_.channels[0];
    StripFrame f;
    f.left = g.left;
    f.right = g.right;
    f.top = band.top;
    f.bottom = band.bottom;
    f.plot_bottom = g.bottom;
    f.first_sample = ch.window_first;
    f.last_sample = ch.window_last;
    f.start_ms = ch.window_start_in_ms();
    f.end_ms = ch.window_end_in_ms();
    f.scale = g.scale;
    f.color = g.color;
    return f;
}

bool PlotLayers::paint(QPainter& p, const PlotGeometry& g) {
    const DisplayOptions& d = doc_.options.display;
    p.save();
    if (d.add_time_grid) {
        // Grid values in the time base of the readouts (ms or s).
        const double div = d.msec ? 1.0 : 1000.0;
        const StripFrame all = frame_of(g, PlotGeometry::Band{g.top, g.bottom, true});
        p.setFont(ViewFont(g.scale));
        plot::DrawTimeGrid(p, Rect{g.left, g.top, g.right, g.bottom}, all.start_ms / div, all.end_ms / div,
                           d.time_grid_ms / div, true);
    }
    pitch_.paint_axis(p, frame_of(g, g.pitch));
    for (int t = 0; t < kTierCount; ++t) tiers_[static_cast<std::size_t>(t)].paint(p, frame_of(g, g.tiers[t]));
    const bool ok = waveform_.paint(p, frame_of(g, g.audio));
    intensity_.paint(p, frame_of(g, g.intensity));
    pitch_.paint(p, frame_of(g, g.pitch));
    p.restore();
    return ok;
}

}  // namespace vox
