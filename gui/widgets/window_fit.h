#pragma once
// Placing windows at remembered rectangles: the rectangle is fitted into the
// area that holds the window (a document area's viewport for the windows of
// the multiple-document frame, the screen's available area for top-level
// ones), and the positions Window > Tile and Cascade give are not taken as
// the user's own choice.

#include <QRect>

class QMdiArea;
class QWidget;

namespace vox {

// The rectangle fitted into bounds (see clamp_placement); min_size is the
// least a window is made.
QRect fit_rect(const QRect& r, const QRect& bounds, const QSize& min_size = QSize(100, 80));
// Where the area's windows may lie, in their own coordinates.
QRect subwindow_bounds(const QMdiArea* area);
// The available area of the screen the widget is on (or the primary one).
QRect screen_bounds(const QWidget* w);

// Marks the area while Tile or Cascade moves its windows: windows do not
// remember the rectangles an arrangement gives them.
class ArrangingWindows {
public:
    explicit ArrangingWindows(QMdiArea* area);
    ~ArrangingWindows();
    ArrangingWindows(const ArrangingWindows&) = delete;
    ArrangingWindows& operator=(const ArrangingWindows&) = delete;
    static bool active(const QMdiArea* area);

private:
    QMdiArea* area_;
};

}  // namespace vox
