#include "gui/views/waveform/plot_geometry.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

#include "core/document/sample_access.h"
#include "gui/annotation/label_font.h"
#include "gui/plot/plot_draw.h"

namespace vox {

namespace {

constexpr ColorRef kContourColor = 0xFF0000;

int itrunc(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -2e9, 2e9));
}

void frame(QPainter& p, int left, int top, int right, int bottom) {
    if (bottom <= top || right <= left) return;
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(left, top, right - left, bottom - top - 1);
}

void paint_tiers(QPainter& p, const PlotGeometry& g, const CChannels& ch) {
    const double ws = ch.window_start_in_ms(), we = ch.window_end_in_ms();
    const double W = double(g.right) - g.left;
    for (int t = 0; t < kTierCount; ++t) {
        const auto& band = g.tiers[t];
        const Tier& tier = ch.tiers[t];
        if (!band.in_use || band.bottom <= band.top) continue;
        frame(p, g.left, band.top, g.right, band.bottom);
        p.setFont(ViewFont(g.scale));
        p.setPen(Qt::black);
        const int h = band.bottom - band.top;
        const QFontMetrics nfm(p.font());
        p.drawText(g.left - itrunc(35 * g.scale), band.top + h / 2 - itrunc(10 * g.scale) + nfm.ascent(),
                   QString::fromStdString(tier.name));
        if (!(we > ws)) continue;
        for (const LABEL& l : tier.labels) {
            if (!(l.time_ms > ws && l.time_ms < we)) continue;
            const int x = g.left + itrunc(W / (we - ws) * (l.time_ms - ws));
            const QFont f = LabelFont(l.font, g.scale);
            const QFontMetrics fm(f);
            const QString text = QString::fromStdString(l.text_string());
            const int w = fm.horizontalAdvance(text);
            int left = x;
            if (l.align == 1) left = x - w / 2;
            else if (l.align == 2) left = x - w;
            const QColor c = g.color ? plot::to_qcolor(l.color) : QColor(Qt::black);
            if (l.add_line) {
                p.setPen(QPen(c, 0));
                p.drawLine(x, band.top, x, g.bottom - 1);
            }
            p.setFont(f);
            p.setPen(c);
            const int y = band.top + h / 2 - fm.height() / 2;
            p.drawText(left, y + fm.ascent(), text);
        }
    }
}

void paint_intensity(QPainter& p, const PlotGeometry& g, const CChannels& ch, const PlotContent& c) {
    const auto& s = g.intensity;
    const int W = g.right - g.left;
    const double span = ch.window_last - ch.window_first;
    const std::size_t n = std::min<std::size_t>(ch.intensity.size(), std::max<std::int64_t>(0, ch.intensity_count));
    if (W <= 0 || !(span > 0.0) || n == 0) return;
    double lo = ch.intensity_min, hi = ch.intensity_max;
    if (!(hi > lo)) { lo = 0.0; hi = std::max(1.0, hi); }
    const double k = (s.bottom - 1 - s.top) / (hi - lo);
    QPolygon line;
    QPen pen(g.color ? plot::to_qcolor(kContourColor) : QColor(Qt::black), std::max(1.0, g.scale));
    p.setPen(pen);
    for (int x = 0; x < W; ++x) {
        const double sample = ch.window_first + span * x / W - c.intensity_first_sample;
        if (sample < 0.0 || sample >= double(n)) {
            if (line.size() > 1) p.drawPolyline(line);
            line.clear();
            continue;
        }
        const double v = std::clamp(ch.intensity[static_cast<std::size_t>(sample)], lo, hi);
        line << QPoint(g.left + x, s.bottom - 1 - itrunc((v - lo) * k));
    }
    if (line.size() > 1) p.drawPolyline(line);
}

void paint_pitch(QPainter& p, const PlotGeometry& g, const CChannels& ch, const CMarbeckDoc& doc,
                 const PlotContent& c) {
    const auto& s = g.pitch;
    const PitchTrack& track = *c.pitch;
    const std::vector<double>& hz = track.f0;
    const double ws = ch.window_start_in_ms(), we = ch.window_end_in_ms();
    const double W = double(g.right) - g.left;
    const double lo = doc.options.pitch.display_low_hz, hi = doc.options.pitch.display_high_hz;
    if (!(we > ws) || !(hi > lo) || hz.empty()) return;
    const double k = (s.bottom - 1 - s.top) / (hi - lo);
    const QColor col = g.color ? plot::to_qcolor(kContourColor) : QColor(Qt::black);
    p.setPen(QPen(col, std::max(1.0, 1.5 * g.scale), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setRenderHint(QPainter::Antialiasing, true);
    // The frames whose times fall inside the window.
    const auto [i0, i1] = track.indices_between(ws, we);
    QPolygonF run;
    auto flush = [&] {
        if (run.size() > 1) p.drawPolyline(run);
        else if (run.size() == 1) p.drawPoint(run[0]);
        run.clear();
    };
    for (std::size_t i = i0; i < i1; ++i) {
        const double f = hz[i];
        const double t = track.time_ms(i);
        if (!(f > 0.0) || f < lo || f > hi) {
            flush();
            continue;
        }
        run << QPointF(g.left + W / (we - ws) * (t - ws), s.bottom - 1 - (f - lo) * k);
    }
    flush();
    p.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

QFont ViewFont(double scale) {
    QFont f("Arial");
    f.setPixelSize(std::max(1, itrunc(14 * scale)));
    f.setWeight(QFont::Normal);
    return f;
}

bool PaintWaveformPlot(QPainter& p, const PlotGeometry& g, const PlotContent& c) {
    const CMarbeckDoc& doc = *c.doc;
    const CChannels& ch = doc.channels[0];
    const DisplayOptions& d = doc.options.display;
    p.save();
    const Rect disp{g.left, g.top, g.right, g.bottom};
    if (d.add_time_grid) {
        const double div = d.msec ? 1.0 : 1000.0;
        QFont gf = ViewFont(g.scale);
        p.setFont(gf);
        plot::DrawTimeGrid(p, disp, ch.window_start_in_ms() / div, ch.window_end_in_ms() / div,
                           d.time_grid_ms / div, true);
    }
    if (doc.options.pitch.add_frequency_grid && g.pitch.bottom > g.pitch.top) {
        p.setFont(ViewFont(g.scale));
        plot::DrawFrequencyGrid(p, Rect{g.left, g.pitch.top, g.right, g.pitch.bottom - 1},
                                doc.options.pitch.display_low_hz, doc.options.pitch.display_high_hz,
                                doc.options.pitch.frequency_grid_hz, 1, QStringLiteral("Hz"), true);
    }
    paint_tiers(p, g, ch);
    bool ok = true;
    if (g.audio.bottom > g.audio.top) {
        frame(p, g.left, g.audio.top, g.right, g.audio.bottom);
        plot::AudioBandStyle st;
        const int h = g.audio.bottom - g.audio.top;
        st.scale = h / 65536.0;
        st.zero_ratio = 0.5;
        st.wave = Qt::black;
        st.reference = ch.reference;
        st.reference_color = QColor(170, 170, 170);
        if (c.audio)
            ok = plot::DrawAudioBand(p, *c.audio, ch.window_first, ch.window_last,
                                     Rect{g.left, g.audio.top, g.right, g.audio.bottom}, st);
    }
    if (c.show_intensity && g.intensity.bottom > g.intensity.top) {
        frame(p, g.left, g.intensity.top, g.right, g.intensity.bottom);
        paint_intensity(p, g, ch, c);
    }
    if (c.show_pitch && c.pitch && g.pitch.bottom > g.pitch.top) {
        frame(p, g.left, g.pitch.top, g.right, g.pitch.bottom);
        paint_pitch(p, g, ch, doc, c);
    }
    p.restore();
    return ok;
}

}  // namespace vox
