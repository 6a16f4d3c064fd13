#pragma once
// The pitch strip: the frequency axis ("Hz", dashed lines over the display
// range of the pitch options) and the view's pitch contour, each value at
// its own time, scaled from the display range's low end at the strip's last
// row to its high end at the top. Unvoiced values and values outside the
// display range break the line; a lone voiced value is a dot.

#include "gui/views/waveform/painters/strip_painter.h"

namespace vox {

struct PitchOptions;
struct PitchTrack;

class PitchPainter final : public StripPainter {
public:
    // Both are read at every paint: the track the view holds and the
    // document's pitch options.
    PitchPainter(const PitchTrack& track, const PitchOptions& options) : track_(track), options_(options) {}

    // The frequency axis when the options ask for it. Drawn before the other
    // strips so that label lines and strokes lie over it.
    void paint_axis(QPainter& p, const StripFrame& f) const;
    // The frame and the contour; nothing without a track.
    bool paint(QPainter& p, const StripFrame& f) override;

private:
    const PitchTrack& track_;
    const PitchOptions& options_;
};

}  // namespace vox
