#pragma once
// What the waveform view draws over its composed plot: the selection band,
// the cursor line (the marker), the outline of a label being dragged, and
// on the widget itself the mouse-tracking column and the play cursor.
//
// The painter holds the screen image (the composed plot with the overlays)
// and the images it tints and tracks with. The selection band is a bitwise
// AND of the selection colour over the columns of the selected times, so
// the ground takes the colour and dark strokes stay dark; every overlay
// covers the rows above the display rectangle's bottom only. While a drag
// goes on, only the columns that entered or left the selection are redrawn.

#include <QImage>
#include <QRect>

#include "core/document/label.h"

class QPainter;

namespace vox {

struct DisplayColors;

// The display's x range, the rows the overlays cover, and the window (ms)
// that the x range shows.
struct OverlayAxis {
    int left = 0, right = 0;  // client x of the window's start and end
    int bottom = 0;           // overlays cover rows [0, bottom)
    double start_ms = 0.0, end_ms = 0.0;

    // Column of a time, held to [left, right]; left for an empty window.
    int x_of(double ms) const;
};

class OverlayPainter {
public:
    // New images for a client of this size in the options' colours; the
    // screen shows the background until clear().
    void reset(const QSize& size, const DisplayColors& colors);

    const QImage& screen() const { return screen_; }

    // The screen anew from the composed plot, with no overlay.
    void clear(const QImage& composed);
    // The band over the columns from lo_ms to hi_ms.
    void show_selection(const OverlayAxis& a, double lo_ms, double hi_ms);
    // A black line in column x.
    void show_cursor(const OverlayAxis& a, int x);

    // A selection dragged from column anchor whose free end moves from last
    // to x: columns that left it come back from the composed plot, columns
    // that entered it are tinted. Returns the area to repaint.
    QRect drag_selection(const QImage& composed, const OverlayAxis& a, int anchor, int last, int x);

    // The outline of a dragged label (client pixels): the area of the one
    // drawn before comes back from the composed plot. Returns the area to
    // repaint.
    QRect show_label_outline(const QImage& composed, const Rect& outline);
    // The outline is gone from the screen (a new press or the release).
    void forget_label_outline() { outline_shown_ = false; }

    // On the widget: the tracking column at x and the play cursor at x.
    void paint_tracking(QPainter& p, const OverlayAxis& a, int x) const;
    static void paint_play_cursor(QPainter& p, const OverlayAxis& a, int x);

private:
    // Columns [from_x, to_x) (either order) tinted or restored from composed.
    void paint_columns(const QImage* composed, const OverlayAxis& a, int from_x, int to_x);

    QImage screen_, tint_, tracking_col_;
    bool outline_shown_ = false;
    Rect outline_;
};

}  // namespace vox
