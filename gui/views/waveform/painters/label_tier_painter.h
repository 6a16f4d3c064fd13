#pragma once
// One label tier band: its frame, the tier's name left of the plot, and
// each label whose time lies inside the window, its text in its own font and
// colour, left-aligned, centred or right-aligned at the label's time, with a
// line at that time down to the bottom of the plot when the label asks for
// one. Tiers not in use are not drawn.

#include <optional>

#include "core/document/label.h"
#include "gui/views/waveform/painters/strip_painter.h"

namespace vox {

class CMarbeckDoc;

class LabelTierPainter final : public StripPainter {
public:
    LabelTierPainter(const CMarbeckDoc& doc, int tier, int channel = 0) : doc_(doc), tier_(tier), channel_(channel) {}

    bool paint(QPainter& p, const StripFrame& f) override;

    // Where the label's text is drawn in the band: from its left edge to
    // left + text width, over the band's height; nothing when the label's
    // time is not strictly inside the window.
    static std::optional<Rect> text_rect(const LABEL& label, const StripFrame& f);

private:
    const CMarbeckDoc& doc_;
    int tier_;
    int channel_;
};

}  // namespace vox
