#pragma once
// The waveform strip: a channel's samples over the window as min/max strokes
// (or a line through every sample when zoomed in far enough), scaled so that
// a full 16-bit swing fills the strip, around a grey line at the channel's
// reference. Samples are asked from the document's sample access; for a long
// recording the painter keeps a min/max summary of the samples, made on the
// first paint after the samples changed.

#include <cstddef>

#include "core/document/sample_access.h"
#include "gui/views/waveform/painters/strip_painter.h"

namespace vox {

class CMarbeckDoc;

class WaveformPainter final : public StripPainter {
public:
    // Recordings longer than this many samples get the min/max summary so
    // that a whole-file window draws without visiting every sample.
    static constexpr std::size_t kSummaryThreshold = 4u << 20;

    explicit WaveformPainter(const CMarbeckDoc& doc, int channel = 0) : doc_(doc), channel_(channel) {}

    // The document's samples changed: they are asked for anew (and a long
    // recording summarised again) on the next paint.
    void samples_changed() { ready_ = false; }
    // The samples as the painter draws them.
    const ChannelSamples& samples();

    bool paint(QPainter& p, const StripFrame& f) override;

private:
    const CMarbeckDoc& doc_;
    int channel_;
    ChannelSamples source_;
    bool ready_ = false;
};

}  // namespace vox
