#pragma once
// Free drawing routines shared by the waveform, spectrogram and FFT/LPC
// views: axis-number formatting, time and frequency grids with their labels,
// the audio-band painter and the title box of a printed page. They draw into
// any QPainter (widget, off-screen QImage or printer). Rectangles are
// (left, top, right, bottom) in device pixels with right/bottom exclusive,
// so a band's width is right − left.

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

#include "core/document/label.h"

class QFontMetrics;
class QPainter;

namespace vox {

class ChannelSamples;

namespace plot {

// 0x00BBGGRR word to a Qt colour.
inline QColor to_qcolor(ColorRef c) { return QColor(int(red_of(c)), int(green_of(c)), int(blue_of(c))); }

inline constexpr ColorRef kGridColor = 0xC8C8C8;

// Text of value with `decimals` decimals (0 … 10; any other count gives 10)
// and no blanks.
QString FormatNumber(double value, int decimals);

// The automatic time-grid step: the first of 1, 2, 5, 10, 25, … 100000 whose
// trunc(range / step) is at most 30 (100000 when none is).
double AutoGridStep(double range);

// Positions (device x) of the vertical lines DrawTimeGrid draws, with the
// value of each line; exposed so tests and the views agree on them.
struct GridLine {
    int x = 0;
    double value = 0.0;
};
std::vector<GridLine> TimeGridLines(const Rect& r, double start, double end, double spacing);

// The labels of the time grid in a font: the value of a line ("%5.0f",
// blanks removed) centred under it. Lines closer than the widest label
// carry a label only every k-th step (k the smallest that keeps the labels
// apart, counted from value 0 so that labelled values are round), and a
// label that would leave the rectangle is skipped.
struct GridLabel {
    int left = 0;  // device x of the text's left edge
    int width = 0;
    double value = 0.0;
    QString text;
};
std::vector<GridLabel> TimeGridLabels(const QFontMetrics& fm, const Rect& r, const std::vector<GridLine>& lines);

// Vertical grid lines over r from value `start` at r.left to `end` at
// r.right; spacing 0 picks AutoGridStep. With `labels` the lines get the
// labels of TimeGridLabels at the bottom edge, in Arial at three quarters of
// the current font's "x" height.
void DrawTimeGrid(QPainter& p, const Rect& r, double start, double end, double spacing, bool labels,
                  QColor color = to_qcolor(kGridColor));

// Dashed frequency grid with integer labels and a unit text. orientation 1:
// horizontal lines, labels left of the rectangle; 2: vertical lines, labels
// below. Nothing is drawn for spacing < 1 or high − low < 1. small_font
// takes Arial at three quarters of the "0" height of the current font,
// otherwise the application's 14-pixel Arial.
void DrawFrequencyGrid(QPainter& p, const Rect& r, double low, double high, double spacing, int orientation,
                       const QString& unit, bool small_font);

// The title box of a printed page: from one inch inside the top-left corner,
// width_factor × height_factor inches (centimetres when in_cm), framed when
// asked, the title centred half a line above it. Returns the box.
Rect DrawPrintTitle(QPainter& p, int dpi_x, int dpi_y, double width_factor, double height_factor, bool in_cm,
                    const QString& title, bool frame);

// Options of one DrawAudioBand call.
struct AudioBandStyle {
    double scale = 1.0;       // pixels per sample unit
    double zero_ratio = 0.5;  // fraction of the band height from its bottom to the zero line
    QColor wave = Qt::black;
    std::optional<double> reference;  // a horizontal line at this sample value
    QColor reference_color = QColor(128, 128, 128);
};

// Draws samples [first, last) of `src` into the band: a polyline through
// every sample when there are at most four samples per column (samples in
// memory only), otherwise one vertical min/max stroke per column joined to
// its neighbours. Never reads outside the source. Returns false when the
// samples could not be read.
bool DrawAudioBand(QPainter& p, const ChannelSamples& src, double first, double last, const Rect& band,
                   const AudioBandStyle& style);

// The per-column extremes DrawAudioBand strokes, as y offsets above the zero
// line (largest, smallest of trunc(v × scale)); one entry per column of a
// band `width` pixels wide. Empty when the samples could not be read.
struct ColumnExtent {
    int high = 0;
    int low = 0;
};
std::vector<ColumnExtent> AudioColumns(const ChannelSamples& src, double first, double last, int width, double scale);

}  // namespace plot
}  // namespace vox
