#pragma once
// A painter of one strip of the waveform plot. Every strip the view stacks
// (a label tier band, the waveform, the intensity contour, the pitch
// contour) has its own painter that knows its data and draws it into the
// rectangle it is given, so that the same painters fill the screen image, a
// printed page and a bitmap. The view only decides where the strips go.

class QPainter;

namespace vox {

// Where a strip goes on one output and which stretch of the recording the
// plot's x range shows. Device pixels, right and bottom exclusive.
struct StripFrame {
    int left = 0, right = 0;   // x of the window's start and end
    int top = 0, bottom = 0;   // the strip
    int plot_bottom = 0;       // bottom of the whole plot: lines that run through the strips below end there
    double first_sample = 0.0, last_sample = 0.0;  // the window (samples)
    double start_ms = 0.0, end_ms = 0.0;           // the window (ms)
    double scale = 1.0;  // fonts and pens relative to the screen
    bool color = true;   // false: contours and labels in black

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool has_height() const { return bottom > top; }
};

class StripPainter {
public:
    virtual ~StripPainter() = default;
    // Draws the strip's frame and data; false when the data could not be
    // read (what was drawable is drawn).
    virtual bool paint(QPainter& p, const StripFrame& f) = 0;
};

// The strip's black frame; its lower edge is the strip's last row.
void FrameStrip(QPainter& p, const StripFrame& f);

// A device coordinate from a computed one: truncated toward zero, non-finite
// values as 0 and far-off values held to ±2e9 so that they cannot overflow.
int PixelOf(double v);

}  // namespace vox
