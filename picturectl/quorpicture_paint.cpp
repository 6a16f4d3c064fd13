#include "picturectl/quorpicture_paint.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <cmath>

namespace quorpict {

namespace {

int scaled(int v, double scale) { return static_cast<int>(std::lround(v * scale)); }

// Draws one bevel (style 0 or width 0 draws nothing).
void draw_bevel(QPainter& p, const QRect& outside, int w, int style, const QuorPictureState& s) {
    if (style == quorpicNone || w <= 0 || outside.isEmpty()) return;
    const QColor top_left = style == quorpicRaised ? s.bevel_highlight_color : s.bevel_shadow_color;
    const QColor bottom_right = style == quorpicRaised ? s.bevel_shadow_color : s.bevel_highlight_color;
    p.setPen(Qt::NoPen);
    p.setBrush(top_left);
    p.drawPolygon(bevel_top_left(outside, w));
    p.setBrush(bottom_right);
    p.drawPolygon(bevel_bottom_right(outside, w));
}

}  // namespace

BevelGeometry bevel_geometry(const QRect& r, const QuorPictureState& s, double scale) {
    const int o = scaled(s.outer_bevel_width, scale);
    const int g = scaled(s.inter_bevel_width, scale);
    const int i = scaled(s.inner_bevel_width, scale);
    BevelGeometry geo;
    geo.outer = r;
    geo.gap = r.adjusted(o, o, -o, -o);
    geo.inner = geo.gap.adjusted(g, g, -g, -g);
    geo.image = geo.inner.adjusted(i, i, -i, -i);
    geo.outer_width = o;
    geo.gap_width = g;
    geo.inner_width = i;
    return geo;
}

// Polygons use exclusive right/bottom edges (x + width), so that a band of
// width w covers exactly w pixels on every side.
QPolygon bevel_top_left(const QRect& o, int w) {
    const int l = o.x(), t = o.y(), r = o.x() + o.width(), b = o.y() + o.height();
    return QPolygon({QPoint(l, b), QPoint(l, t), QPoint(r, t), QPoint(r - w, t + w), QPoint(l + w, t + w),
                     QPoint(l + w, b - w), QPoint(l, b)});
}

QPolygon bevel_bottom_right(const QRect& o, int w) {
    const int l = o.x(), t = o.y(), r = o.x() + o.width(), b = o.y() + o.height();
    return QPolygon({QPoint(r, t), QPoint(r, b), QPoint(l, b), QPoint(l + w, b - w), QPoint(r - w, b - w),
                     QPoint(r - w, t + w), QPoint(r, t)});
}

QSize natural_size(const QImage& picture) {
    if (picture.isNull()) return {};
    // Hundredths of a millimetre per pixel from the picture's own resolution
    // (dots per metre); pictures that carry none count as 96 dots per inch.
    auto extent = [](int pixels, int dots_per_metre) {
        const double per_metre = dots_per_metre > 0 ? dots_per_metre : 96.0 / 0.0254;
        const double himetric = pixels * 100000.0 / per_metre;
        return static_cast<int>(std::lround(himetric / 26.5));
    };
    return {extent(picture.width(), picture.dotsPerMeterX()), extent(picture.height(), picture.dotsPerMeterY())};
}

QRect placed_picture(const QRect& r, QSize size, int horizontal, int vertical) {
    int x = r.x();
    if (horizontal == quorpicHImageCenter) x = r.x() + (r.width() - size.width()) / 2;
    else if (horizontal == quorpicHImageRight) x = r.x() + r.width() - size.width();
    int y = r.y();
    if (vertical == quorpicVImageCenter) y = r.y() + (r.height() - size.height()) / 2;
    else if (vertical == quorpicVImageBottom) y = r.y() + r.height() - size.height();
    return {QPoint(x, y), size};
}

QRect text_rect(const BevelGeometry& g, QSize ts, int horizontal, int vertical) {
    const QRect& a = g.image;
    const int a_right = a.x() + a.width();    // exclusive
    const int a_bottom = a.y() + a.height();  // exclusive
    int x = a.x() + 2;
    if (horizontal == quorpicHTextCenter) x = a.x() + (a.width() - ts.width()) / 2;
    else if (horizontal == quorpicHTextRight) x = a_right - 2 - ts.width();
    int y = a.y();
    switch (vertical) {
        case quorpicVTextCenter: y = a.y() + (a.height() - ts.height()) / 2; break;
        case quorpicVTextBottom: y = a_bottom - ts.height(); break;
        case quorpicVTextTopBorder: {
            // Centred in the gap band above the inner bevel.
            const int band_top = g.gap.y(), band_bottom = g.inner.y();
            y = (band_top + band_bottom) / 2 - ts.height() / 2;
            break;
        }
        case quorpicVTextBottomBorder: {
            const int band_top = g.inner.y() + g.inner.height(), band_bottom = g.gap.y() + g.gap.height();
            y = (band_top + band_bottom) / 2 - ts.height() / 2;
            break;
        }
        default: break;
    }
    return {QPoint(x, y), ts};
}

void paint_quorpicture(QPainter& p, const QRect& r, const QuorPictureState& s, double scale) {
    p.save();
    p.setClipRect(r);
    p.fillRect(r, s.back_color);
    const BevelGeometry g = bevel_geometry(r, s, scale);

    auto draw_frame = [&] {
        // The gap band between the bevels in the face colour.
        QPainterPath band;
        band.addRect(g.gap);
        band.addRect(g.inner);
        band.setFillRule(Qt::OddEvenFill);
        if (g.gap_width > 0 && !g.gap.isEmpty()) p.fillPath(band, s.bevel_face_color);
        draw_bevel(p, g.outer, g.outer_width, s.outer_bevel, s);
        draw_bevel(p, g.inner, g.inner_width, s.inner_bevel, s);
    };

    if (s.stretch_image) {
        draw_frame();
        if (!s.picture.isNull() && !g.image.isEmpty()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform, true);
            p.drawImage(g.image, s.picture);
        }
    } else {
        if (!s.picture.isNull()) {
            const QSize n = natural_size(s.picture);
            const QSize size(scaled(n.width(), scale), scaled(n.height(), scale));
            p.setRenderHint(QPainter::SmoothPixmapTransform, size != s.picture.size());
            p.drawImage(placed_picture(r, size, s.picture_horizontal_justification,
                                       s.picture_vertical_justification),
                        s.picture);
        }
        draw_frame();
    }

    if (s.display_hot_spots) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        p.setPen(dotted);
        p.setBrush(Qt::NoBrush);
        for (const QRect& h : s.hot_spots) {
            const QRect n = h.normalized();
            if (n.isEmpty()) continue;
            p.drawRect(QRect(QPoint(r.x() + scaled(n.x(), scale), r.y() + scaled(n.y(), scale)),
                             QSize(scaled(n.width(), scale) - 1, scaled(n.height(), scale) - 1)));
        }
    }

    if (!s.text.isEmpty()) {
        p.setFont(s.font);
        const QFontMetrics fm(s.font, p.device());
        const QSize ts(fm.horizontalAdvance(s.text), fm.height());
        const QRect tr = text_rect(g, ts, s.horizontal_justification, s.vertical_justification);
        p.setPen(s.fore_color);
        p.setBackgroundMode(Qt::TransparentMode);
        p.drawText(QPoint(tr.x(), tr.y() + fm.ascent()), s.text);
    }
    p.restore();
}

}  // namespace quorpict
