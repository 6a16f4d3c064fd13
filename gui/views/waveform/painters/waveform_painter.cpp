#include "gui/views/waveform/painters/waveform_painter.h"

#include <QPainter>

#include "core/document/marbeck_doc.h"
#include "gui/plot/plot_draw.h"

namespace vox {

const ChannelSamples& WaveformPainter::samples() {
    if (!ready_) {
        ready_ = true;
        source_ = doc_.samples(channel_);
        if (source_.count() > kSummaryThreshold) source_.build_summary();
    }
    return source_;
}

bool WaveformPainter::paint(QPainter& p, const StripFrame& f) {
    if (!f.has_height()) return true;
    FrameStrip(p, f);
    plot::AudioBandStyle st;
    st.scale = f.height() / 65536.0;
    st.zero_ratio = 0.5;
    st.wave = Qt::black;
    st.reference = doc_.channels[channel_].reference;
    st.reference_color = QColor(170, 170, 170);
    return plot::DrawAudioBand(p, samples(), f.first_sample, f.last_sample, Rect{f.left, f.top, f.right, f.bottom},
                               st);
}

}  // namespace vox
