#include "gui/plot/plot_draw.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/document/sample_access.h"

namespace vox::plot {

namespace {

constexpr double kAutoSteps[] = {1,    2,    5,    10,    25,    50,    75,    100,   250,   500,
                                 750,  1000, 2500, 5000,  7500,  10000, 25000, 50000, 75000, 100000};
constexpr int kAutoLines = 30;
constexpr std::size_t kReadAllLimit = 1048576;  // samples read in one go from the raw file

int trunc_int(double v) {
    if (!std::isfinite(v)) return 0;
    if (v > 2e9) return 2000000000;
    if (v < -2e9) return -2000000000;
    return static_cast<int>(v);
}

// Arial sized to three quarters of a reference text's height in the current font.
QFont small_arial(const QPainter& p, const QString& reference) {
    const QFontMetrics fm(p.font());
    QFont f("Arial");
    Q_UNUSED(reference);
    f.setPixelSize(std::max(6, fm.height() * 3 / 4));
    f.setWeight(QFont::Normal);
    return f;
}

}  // namespace

QString FormatNumber(double value, int decimals) {
    if (decimals < 0 || decimals > 10) decimals = 10;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%100.*f", decimals, value);
    QString s = QString::fromLatin1(buf);
    s.remove(QLatin1Char(' '));
    return s;
}

double AutoGridStep(double range) {
    for (double step : kAutoSteps)
        if (std::trunc(range / step) <= kAutoLines) return step;
    return kAutoSteps[std::size(kAutoSteps) - 1];
}

std::vector<GridLine> TimeGridLines(const Rect& r, double start, double end, double spacing) {
    std::vector<GridLine> out;
    const double range = end - start;
    const double width = double(r.right) - r.left;
    if (!(range > 0.0) || !(width > 0.0) || !std::isfinite(range)) return out;
    double step = spacing;
    long long count = 0;
    if (spacing <= 0.0) {
        step = AutoGridStep(range);
        // Thirty lines, or as many as reach the end when the first line lies
        // well before the start (the last steps of the range would be bare).
        count = std::max<long long>(kAutoLines, static_cast<long long>(range / step) + 2);
    } else {
        count = static_cast<long long>(range / step) + 1;
    }
    count = std::min<long long>(count, 100000);  // a tiny spacing over a long window
    const double first = std::trunc(start / step) * step;
    for (long long i = 0; i < count; ++i) {
        const double v = first + double(i) * step;
        const int x = r.left + trunc_int((v - start) * width / range);
        if (x > r.left && x < r.right) out.push_back({x, v});
        if (x >= r.right) break;
    }
    return out;
}

void DrawTimeGrid(QPainter& p, const Rect& r, double start, double end, double spacing, bool labels, QColor color) {
    const auto lines = TimeGridLines(r, start, end, spacing);
    if (lines.empty()) return;
    p.save();
    p.setPen(QPen(color, 0));
    for (const auto& l : lines) p.drawLine(l.x, r.top, l.x, r.bottom - 1);
    if (labels) {
        p.setFont(small_arial(p, QStringLiteral("x")));
        p.setPen(Qt::black);
        const QFontMetrics fm(p.font());
        for (const auto& l : TimeGridLabels(fm, r, lines)) p.drawText(l.left, r.bottom + 1 + fm.ascent(), l.text);
    }
    p.restore();
}

std::vector<GridLabel> TimeGridLabels(const QFontMetrics& fm, const Rect& r, const std::vector<GridLine>& lines) {
    std::vector<GridLabel> all;
    all.reserve(lines.size());
    int widest = 0;
    for (const auto& l : lines) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%5.0f", l.value);
        GridLabel g;
        g.text = QString::fromLatin1(buf).trimmed();
        g.width = fm.horizontalAdvance(g.text);
        g.left = l.x - g.width / 2;
        g.value = l.value;
        widest = std::max(widest, g.width);
        all.push_back(std::move(g));
    }
    std::vector<GridLabel> out;
    if (all.empty()) return out;
    const int gap = std::max(2, fm.horizontalAdvance(QLatin1Char('0')));  // blank between two labels
    // The lines are evenly spaced: label every k-th step of the grid.
    long long k = 1;
    double step = 0.0;
    if (lines.size() > 1) {
        step = lines[1].value - lines[0].value;
        const double px = double(lines.back().x - lines.front().x) / double(lines.size() - 1);
        if (px > 0.0) k = std::max<long long>(1, static_cast<long long>(std::ceil((widest + gap) / px)));
    }
    int last_right = std::numeric_limits<int>::min() / 2;
    for (auto& g : all) {
        if (k > 1 && step > 0.0) {
            const long long index = std::llround(g.value / step);
            if (((index % k) + k) % k != 0) continue;
        }
        if (g.left < r.left || g.left + g.width > r.right) continue;
        if (g.left < last_right + gap) continue;  // uneven rounding: never touch the previous one
        last_right = g.left + g.width;
        out.push_back(std::move(g));
    }
    return out;
}

void DrawFrequencyGrid(QPainter& p, const Rect& r, double low, double high, double spacing, int orientation,
                       const QString& unit, bool small_font) {
    if (spacing < 1.0 || high - low < 1.0) return;
    const double R = high - low;
    const int n = trunc_int(R / spacing);
    p.save();
    QPen pen(plot::to_qcolor(kGridColor), 0, Qt::DashLine);
    p.setPen(pen);
    if (orientation == 1) {
        for (int i = 0; i <= n; ++i) {
            const int y = r.bottom - trunc_int(i * (r.bottom - r.top) / R * spacing);
            p.drawLine(r.left, y, r.right, y);
        }
    } else {
        for (int i = 1; i <= n; ++i) {
            const int x = r.left + trunc_int(i * (r.right - r.left) / R * spacing);
            p.drawLine(x, r.bottom, x, r.top);
        }
    }
    if (small_font) {
        p.setFont(small_arial(p, QStringLiteral("0")));
    } else {
        QFont f("Arial");
        f.setPixelSize(14);
        p.setFont(f);
    }
    p.setPen(Qt::black);
    const QFontMetrics fm(p.font());
    if (orientation == 1) {
        // Lines closer than a text line get a label only every k-th line.
        const double px = (r.bottom - r.top) / R * spacing;
        const int k = px > 0 ? std::max(1, static_cast<int>(std::ceil(fm.height() / px))) : 1;
        int last_top = std::numeric_limits<int>::max();  // of the label drawn below
        for (int i = 0; i <= n; i += k) {
            const int y = r.bottom - trunc_int(i * (r.bottom - r.top) / R * spacing);
            const QString text = QString::number(trunc_int(low + i * spacing));
            const int w = fm.horizontalAdvance(text);
            int top = y - fm.height() / 2;
            if (top < r.top - fm.height() / 2) continue;
            // A line at the top edge has its label just below the edge, where
            // nothing above the plot can cut it, unless it would then touch
            // the label below.
            top = std::max(top, r.top);
            if (top + fm.height() > last_top) continue;
            p.drawText(r.left - 5 - w, top + fm.ascent(), text);
            last_top = top;
        }
        // The unit sits just under the lowest value, in the left margin.
        p.drawText(r.left - 5 - fm.horizontalAdvance(unit), r.bottom + fm.ascent() + fm.height() / 2, unit);
    } else {
        int last_right = r.left + fm.horizontalAdvance(unit) + 4;
        for (int i = 1; i <= n; ++i) {
            const int x = r.left + trunc_int(i * (r.right - r.left) / R * spacing);
            const QString text = QString::number(trunc_int(low + i * spacing));
            const int left = x - fm.horizontalAdvance(text) / 2;
            if (left < last_right) continue;
            if (left + fm.horizontalAdvance(text) > r.right) break;  // would be cut at the edge
            p.drawText(left, r.bottom + fm.ascent(), text);
            last_right = left + fm.horizontalAdvance(text) + 4;
        }
        p.drawText(r.left, r.bottom + fm.ascent(), unit);
    }
    p.restore();
}

Rect DrawPrintTitle(QPainter& p, int dpi_x, int dpi_y, double width_factor, double height_factor, bool in_cm,
                    const QString& title, bool frame) {
    const double div = in_cm ? 2.54 : 1.0;
    Rect box{dpi_x, dpi_y, dpi_x + trunc_int(dpi_x * width_factor / div), dpi_y + trunc_int(dpi_y * height_factor / div)};
    p.save();
    if (frame) {
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    }
    const QFontMetrics fm(p.font());
    const int w = fm.horizontalAdvance(title);
    p.setPen(Qt::black);
    p.drawText((box.left + box.right) / 2 - w / 2, box.top - fm.height() / 2 - fm.descent(), title);
    p.restore();
    return box;
}

std::vector<ColumnExtent> AudioColumns(const ChannelSamples& src, double first, double last, int width, double scale) {
    std::vector<ColumnExtent> cols;
    for (const SampleExtent& e : src.summary(first, last - first, width)) {
        const int a = trunc_int(e.hi * scale), b = trunc_int(e.lo * scale);
        cols.push_back({std::max(a, b), std::min(a, b)});
    }
    return cols;
}

bool DrawAudioBand(QPainter& p, const ChannelSamples& src, double first, double last, const Rect& band,
                   const AudioBandStyle& style) {
    const int W = band.right - band.left;
    const double S = last - first;
    const int z = trunc_int((band.bottom - band.top) * style.zero_ratio);
    const int y0 = band.bottom - z;
    p.save();
    if (style.reference) {
        p.setPen(QPen(style.reference_color, 0));
        const int y = y0 - trunc_int(*style.reference * style.scale);
        p.drawLine(band.left, y, band.right, y);
    }
    if (W <= 0 || !(S > 0.0) || !(first >= 0.0) || src.empty()) {
        p.restore();
        return !src.empty() || S <= 0.0;
    }
    QPolygon path;
    path << QPoint(band.left, y0);
    bool ok = true;
    if (src.in_memory() && S <= 4.0 * W) {
        const std::int16_t* d = src.data();
        const long long n = static_cast<long long>(src.count());
        const long long i0 = static_cast<long long>(first);
        const long long i1 = std::min(n, static_cast<long long>(first + S));
        for (long long i = i0; i < i1; ++i)
            path << QPoint(band.left + trunc_int((double(i) - first) * W / S), y0 - trunc_int(d[i] * style.scale));
    } else {
        std::vector<ColumnExtent> cols;
        if (!src.in_memory() && S < double(kReadAllLimit)) {
            // A short stretch of the raw file: one read, then the column rule.
            const std::size_t s0 = static_cast<std::size_t>(first);
            const std::size_t cnt = std::min(static_cast<std::size_t>(S), src.count() > s0 ? src.count() - s0 : 0);
            std::vector<std::int16_t> buf(cnt);
            if (cnt && src.read(s0, cnt, buf.data())) {
                const auto mem = ChannelSamples::memory(buf.data(), cnt);
                cols = AudioColumns(mem, first - double(s0), first - double(s0) + S, W, style.scale);
            } else {
                ok = cnt == 0;
            }
        } else {
            cols = AudioColumns(src, first, last, W, style.scale);
            ok = !cols.empty();
        }
        for (std::size_t x = 0; x < cols.size(); ++x) {
            path << QPoint(band.left + int(x), y0 - cols[x].high);
            path << QPoint(band.left + int(x), y0 - cols[x].low);
        }
    }
    p.setPen(QPen(style.wave, 0));
    if (path.size() > 1) p.drawPolyline(path);
    p.restore();
    return ok;
}

}  // namespace vox::plot
