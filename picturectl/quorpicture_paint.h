#pragma once
// Painting the picture control into a rectangle R of any paint device:
//   1. fill R with the back colour;
//   2. the outer bevel takes the band of width o inside R, the gap between
//      the bevels the next band of width g (bevel face colour), the inner
//      bevel the next band of width i; the image area is R shrunk by o+g+i;
//   3. a stretched picture covers the image area, drawn after the bevels; an
//      unstretched one is drawn at its natural size placed inside R by the
//      picture justifications, and the bevels are drawn over it;
//   4. hot spots as dotted focus rectangles when they are displayed;
//   5. the text on one line in the fore colour with a transparent background.
// Every length is in device pixels of the rectangle's device.

#include <QPolygon>
#include <QRect>
#include <QSize>

#include "picturectl/quorpicture_state.h"

class QPainter;

namespace quorpict {

struct BevelGeometry {
    QRect outer;  // R: the outer bevel's outside edge
    QRect gap;    // inside the outer bevel: the gap band's outside edge
    QRect inner;  // inside the gap: the inner bevel's outside edge
    QRect image;  // inside the inner bevel: the image area
    int outer_width = 0, gap_width = 0, inner_width = 0;  // pixels
};

// Widths are scaled by `scale` (1 on the screen, printer pixels per screen
// pixel when printing).
QUORPICT_EXPORT BevelGeometry bevel_geometry(const QRect& r, const QuorPictureState& s, double scale = 1.0);

// The two seven-point polygons of a bevel of width w whose outside edge is
// `outside`: the top-left half and the bottom-right half.
QUORPICT_EXPORT QPolygon bevel_top_left(const QRect& outside, int w);
QUORPICT_EXPORT QPolygon bevel_bottom_right(const QRect& outside, int w);

// The picture's natural size in pixels: its extent in hundredths of a
// millimetre divided by 26.5.
QUORPICT_EXPORT QSize natural_size(const QImage& picture);

// Where an unstretched picture of `size` lies inside R.
QUORPICT_EXPORT QRect placed_picture(const QRect& r, QSize size, int horizontal, int vertical);

// The rectangle of the text's line (its measured extent) inside the geometry.
QUORPICT_EXPORT QRect text_rect(const BevelGeometry& g, QSize text_size, int horizontal, int vertical);

// Paints the whole control into R. `scale` multiplies bevel widths and the
// picture's natural size (printing).
QUORPICT_EXPORT void paint_quorpicture(QPainter& p, const QRect& r, const QuorPictureState& s, double scale = 1.0);

}  // namespace quorpict
