#pragma once
// Printed pages and bitmaps of a view: the page set-up from a view's
// print/bitmap options (width and height in inches or centimetres, colour or
// black and white), the title box, and the hand-over to QPrinter,
// QPrintPreviewDialog or an off-screen QImage. The view supplies one render
// function that draws its plot into the box at the given scale.

#include <QImage>
#include <QString>

#include <functional>

#include "core/document/label.h"

class QPainter;
class QPrinter;
class QWidget;

namespace vox::plot {

struct PageSetup {
    double width = 6.0;   // plot width, inches or cm
    double height = 4.0;  // plot height
    bool inches = true;
    bool color = false;
};

// What the view's render function receives.
struct PlotTarget {
    Rect area;           // the plot box in device pixels
    double scale = 1.0;  // device pixels per screen pixel
    bool color = true;   // false: draw everything in black
};
using PlotRenderer = std::function<void(QPainter&, const PlotTarget&)>;

// Screen resolution the views are laid out for (pixels per inch).
inline constexpr int kScreenDpi = 96;

// Draws the title box for the page set-up on a device of the given
// resolution and calls the renderer inside it.
void RenderPlotPage(QPainter& p, int dpi_x, int dpi_y, const PageSetup& page, const QString& title,
                    const PlotRenderer& render);

// The page as a bitmap at screen resolution: the box with a one-inch margin
// on every side, white ground.
QImage RenderPlotBitmap(const PageSetup& page, const QString& title, const PlotRenderer& render);

// Renders onto a configured printer (one page).
void PrintPlot(QPrinter& printer, const PageSetup& page, const QString& title, const PlotRenderer& render);

// The print dialog, then the page; false when cancelled.
bool PrintPlotWithDialog(QWidget* parent, const PageSetup& page, const QString& title, const PlotRenderer& render);

// The print preview window (modal), rendering on every repaint request.
void PreviewPlot(QWidget* parent, const PageSetup& page, const QString& title, const PlotRenderer& render);

// Unattended printing, for scripted runs: while one is installed, Print
// skips the print dialog and Print Preview the preview window; the page is
// written to the PDF file instead and counted, so a run can see which view
// printed what.
struct UnattendedPrint {
    QString pdf_path;  // where the page goes; empty: nowhere, only counted
    int prints = 0;
    int previews = 0;
    QString last_title;
    QImage last_page;  // the page as a bitmap at screen resolution
};
// Installs (or with null removes) the unattended target; returns the previous one.
UnattendedPrint* SetUnattendedPrint(UnattendedPrint* target);

}  // namespace vox::plot
