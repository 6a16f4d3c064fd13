#pragma once
// The intensity strip: a channel's intensity contour (dB, one value per
// sample) over the window, one point per pixel column, scaled from the
// contour's smallest value at the strip's last row to its largest at the
// top, in the contour colour. Columns outside the contour break the line.

#include "gui/views/waveform/painters/strip_painter.h"

namespace vox {

class CMarbeckDoc;

class IntensityPainter final : public StripPainter {
public:
    explicit IntensityPainter(const CMarbeckDoc& doc, int channel = 0) : doc_(doc), channel_(channel) {}

    // The sample the contour's first value belongs to.
    void set_first_sample(double sample) { first_sample_ = sample; }

    // The frame, then the contour; a strip without height draws nothing.
    bool paint(QPainter& p, const StripFrame& f) override;

private:
    const CMarbeckDoc& doc_;
    int channel_;
    double first_sample_ = 0.0;
};

}  // namespace vox
