#pragma once
// The waveform plot on a printed page or a bitmap: the page set-up from the
// display options (plot size in inches or cm, colour or black and white;
// 6 × 4 when a size is not positive), where the strips go inside the page's
// plot box, and the plot drawn there by the view's layers. Print, Print
// Preview and "Save As bmp..." all go through one; the title box around the
// plot is drawn by gui/plot.
//
// On the page the tier bands keep their screen heights scaled to the
// device, the audio and intensity strips keep their share of the screen's
// display height, and the pitch strip takes the rest.

#include <QImage>
#include <QString>

#include <functional>

#include "gui/plot/plot_printer.h"
#include "gui/views/waveform/plot_geometry.h"

class QWidget;

namespace vox {

class CMarbeckDoc;
class PlotLayers;

class PlotPage {
public:
    // The screen's strip heights (pixels) whose shares the page keeps.
    struct ScreenShares {
        int display_height = 1;  // the display rectangle's height
        int audio = 0, intensity = 0;
    };

    using ScreenQuery = std::function<ScreenShares()>;

    // The document and the layers must outlive the page; `screen` says how
    // the screen is laid out when a page is drawn.
    PlotPage(const CMarbeckDoc& doc, PlotLayers& layers, ScreenQuery screen)
        : doc_(doc), layers_(layers), screen_(std::move(screen)) {}

    plot::PageSetup setup() const;
    // Where the strips go inside the plot box of t.
    PlotGeometry geometry(const plot::PlotTarget& t, const ScreenShares& screen) const;
    // The plot box's ground, then the layers; nothing without samples.
    // False when the samples could not be read.
    bool render(QPainter& p, const plot::PlotTarget& t);

    // The page "Save As bmp..." writes, at screen resolution.
    QImage bitmap(const QString& title);
    // The print dialog and the page, or the preview window; false when the
    // print dialog was cancelled.
    bool print(QWidget* parent, const QString& title, bool preview);

private:
    plot::PlotRenderer renderer();

    const CMarbeckDoc& doc_;
    PlotLayers& layers_;
    ScreenQuery screen_;
};

}  // namespace vox
