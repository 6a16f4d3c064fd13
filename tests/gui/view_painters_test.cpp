// The waveform view's strip painters on their own, each drawing into a white
// image at a strip placed away from the origin: the rows and columns they
// colour are checked against what the signal, contour or label makes them
// (amplitude × height / 65536 around the strip's middle, the frequency
// axis's rows, a label's time on the window's x range), and nothing may be
// drawn outside the painter's strip (whose frame's right edge lies on the
// column at the window's end).

#include <QImage>
#include <QPainter>

#include <cmath>
#include <functional>

#include "core/dsp/pitch_tracker.h"
#include "gui/plot/plot_draw.h"
#include "gui/views/waveform/painters/intensity_painter.h"
#include "gui/views/waveform/painters/label_tier_painter.h"
#include "gui/views/waveform/painters/level_painter.h"
#include "gui/views/waveform/painters/pitch_painter.h"
#include "gui/views/waveform/painters/waveform_painter.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

constexpr int kImageW = 700, kImageH = 420;

bool white(QRgb c) { return c == qRgb(255, 255, 255); }
bool dark(QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; }
// The contour colour (blue in 0x00BBGGRR 0xFF0000), also where antialiased.
bool bluish(QRgb c) { return qBlue(c) > 150 && qRed(c) < 200 && qBlue(c) - qRed(c) > 40; }

struct PainterFixture : ViewFixture {
    QImage img{kImageW, kImageH, QImage::Format_RGB32};
    PainterFixture() { img.fill(Qt::white); }

    // A strip at [left, right) × [top, bottom) over the first channel's window.
    StripFrame frame(int left, int top, int right, int bottom) const {
        const CChannels& ch = doc->channels[0];
        StripFrame f;
        f.left = left;
        f.right = right;
        f.top = top;
        f.bottom = bottom;
        f.plot_bottom = kImageH - 10;
        f.first_sample = ch.window_first;
        f.last_sample = ch.window_last;
        f.start_ms = ch.window_start_in_ms();
        f.end_ms = ch.window_end_in_ms();
        return f;
    }
    bool paint(StripPainter& painter, const StripFrame& f) {
        QPainter p(&img);
        return painter.paint(p, f);
    }
    // Rows [lo, hi] of the pixels in column x between rows y0 and y1 that match; {-1, -1} when none.
    std::pair<int, int> rows(int x, int y0, int y1, const std::function<bool(QRgb)>& match) const {
        int lo = -1, hi = -1;
        for (int y = y0; y < y1; ++y)
            if (match(img.pixel(x, y))) {
                if (lo < 0) lo = y;
                hi = y;
            }
        return {lo, hi};
    }
    // Pixels drawn outside the rectangle.
    int drawn_outside(int left, int top, int right, int bottom) const {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (!(x >= left && x < right && y >= top && y < bottom) && !white(img.pixel(x, y))) ++n;
        return n;
    }
};

// --- waveform ---------------------------------------------------------------------

struct WaveCase {
    double amplitude;
    int top, height;
};
class WaveformStrip : public PainterFixture, public ::testing::WithParamInterface<WaveCase> {};

// Silence over the first half of the samples, then a 200 Hz sine: columns of
// the left half stay on the zero line, those of the right half reach ±A·h/65536.
TEST_P(WaveformStrip, EnvelopeRowsAndOnsetColumn) {
    const WaveCase c = GetParam();
    const double rate = 8000.0;
    const std::size_t n = 8000;
    fill_audio(*doc, rate, n, [&](std::size_t i) {
        return i < n / 2 ? 0.0 : c.amplitude * std::sin(2 * M_PI * 200.0 * double(i) / rate);
    });
    WaveformPainter painter(*doc);
    const int left = 60, right = 660;
    const StripFrame f = frame(left, c.top, right, c.top + c.height);
    ASSERT_TRUE(paint(painter, f));
    const int y0 = f.bottom - c.height / 2;
    const int amp = static_cast<int>(c.amplitude * c.height / 65536.0);
    const int mid = left + (right - left) / 2;
    for (int x = left + 2; x < mid - 2; x += 7) {
        const auto [lo, hi] = rows(x, f.top + 1, f.bottom - 1, dark);
        EXPECT_EQ(lo, y0) << x;
        EXPECT_EQ(hi, y0) << x;
    }
    int top = kImageH, bottom = -1;
    for (int x = mid + 2; x < right - 2; ++x) {
        const auto [lo, hi] = rows(x, f.top + 1, f.bottom - 1, dark);
        ASSERT_GE(lo, 0) << x;
        top = std::min(top, lo);
        bottom = std::max(bottom, hi);
    }
    EXPECT_EQ(top, y0 - amp);
    EXPECT_NEAR(bottom, y0 + amp, 1);
    EXPECT_EQ(drawn_outside(left, f.top, right + 1, f.bottom), 0);
}

INSTANTIATE_TEST_SUITE_P(Placements, WaveformStrip,
                         ::testing::Values(WaveCase{16000.0, 30, 120}, WaveCase{30000.0, 200, 81},
                                           WaveCase{4000.0, 5, 300}));

TEST_F(PainterFixture, WaveformFollowsNewSamplesOnlyWhenTold) {
    fill_audio(*doc, 8000.0, 8000, [](std::size_t) { return 0.0; });
    WaveformPainter painter(*doc);
    EXPECT_EQ(painter.samples().count(), 8000u);
    fill_audio(*doc, 8000.0, 4000, [](std::size_t i) { return i % 2 ? 20000.0 : -20000.0; });
    EXPECT_EQ(painter.samples().count(), 8000u);  // still the samples it was drawing
    painter.samples_changed();
    EXPECT_EQ(painter.samples().count(), 4000u);
}

// --- pitch ------------------------------------------------------------------------------

struct PitchCase {
    double hz, low, high;
};
class PitchStrip : public PainterFixture, public ::testing::WithParamInterface<PitchCase> {};

// A flat contour over 200…800 ms of a 1 s window with frames 300…400 ms
// unvoiced: its row is the axis's row for the frequency, its columns those
// of the voiced times.
TEST_P(PitchStrip, ContourOnTheAxisRowsAtItsTimes) {
    const PitchCase c = GetParam();
    load_sine(8000.0, 100.0, 10000.0, 10000);
    doc->options.pitch.display_low_hz = c.low;
    doc->options.pitch.display_high_hz = c.high;
    PitchTrack track;
    track.sample_rate = 10000.0;
    track.first_ms = 200.0;
    track.step_ms = 10.0;
    for (int i = 0; i <= 60; ++i) {
        const double t = track.time_ms(static_cast<std::size_t>(i));
        track.f0.push_back(t > 300.0 && t < 400.0 ? 0.0 : c.hz);
    }
    PitchPainter painter(track, doc->options.pitch);
    const int left = 50, right = 650;
    const StripFrame f = frame(left, 100, right, 350);
    ASSERT_TRUE(paint(painter, f));
    const double y = f.bottom - 1 - (c.hz - c.low) * (f.height() - 1) / (c.high - c.low);
    const auto x_at = [&](double ms) { return left + (right - left) * ms / 1000.0; };
    for (double ms : {210.0, 280.0, 450.0, 600.0, 790.0}) {
        const auto [lo, hi] = rows(static_cast<int>(x_at(ms)), f.top + 1, f.bottom - 1, bluish);
        EXPECT_GE(lo, static_cast<int>(y) - 2) << ms;
        EXPECT_LE(hi, static_cast<int>(y) + 2) << ms;
        EXPECT_GE(hi, 0) << ms;
    }
    // Nothing before the first time, after the last, or over the unvoiced stretch.
    for (double ms : {100.0, 190.0, 330.0, 370.0, 810.0, 950.0})
        EXPECT_EQ(rows(static_cast<int>(x_at(ms)), f.top + 1, f.bottom - 1, bluish).first, -1) << ms;
    EXPECT_EQ(drawn_outside(left, f.top, right + 1, f.bottom), 0);
}

INSTANTIATE_TEST_SUITE_P(Ranges, PitchStrip,
                         ::testing::Values(PitchCase{200.0, 50.0, 500.0}, PitchCase{120.0, 100.0, 300.0},
                                           PitchCase{480.0, 75.0, 600.0}));

TEST_F(PainterFixture, PitchOutsideTheDisplayRangeOrWithoutTrackDrawsNoContour) {
    load_sine();
    doc->options.pitch.display_low_hz = 50.0;
    doc->options.pitch.display_high_hz = 500.0;
    PitchTrack track;
    track.sample_rate = 11025.0;
    track.first_ms = 100.0;
    track.step_ms = 10.0;
    track.f0.assign(50, 700.0);  // above the range
    PitchPainter painter(track, doc->options.pitch);
    const StripFrame f = frame(40, 50, 640, 300);
    paint(painter, f);
    for (int x = f.left + 2; x < f.right - 2; ++x) ASSERT_EQ(rows(x, f.top, f.bottom, bluish).first, -1) << x;
    img.fill(Qt::white);
    PitchTrack none;
    PitchPainter empty(none, doc->options.pitch);
    paint(empty, f);
    EXPECT_EQ(drawn_outside(0, 0, 0, 0), 0);  // not even the frame
}

// --- intensity -----------------------------------------------------------------------------

// Three frames of 40, 50 and 60 dB over thirds of the samples: the first
// lies on the strip's last row, the last on its top row, the middle one
// halfway between. A contour that starts later leaves the columns before it.
TEST_F(PainterFixture, IntensityRowsFollowTheContourRange) {
    load_sine(8000.0, 100.0, 9000.0, 9000);
    CChannels& ch = doc->channels[0];
    ch.intensity.assign({40.0, 50.0, 60.0}, 3000, 3000.0, ch.count(), false, ch.sample_rate);
    ch.intensity_count = static_cast<std::int64_t>(ch.count());
    ch.intensity_min = 40.0;
    ch.intensity_max = 60.0;
    ch.intensity_valid = 1;
    IntensityPainter painter(*doc);
    const int left = 70, right = 670;
    const StripFrame f = frame(left, 80, right, 181);
    ASSERT_TRUE(paint(painter, f));
    const auto colour = [](QRgb c) { return c == qRgb(0, 0, 255); };
    const int third = (right - left) / 3;
    for (int k = 0; k < 3; ++k) {
        const int x = left + k * third + third / 2;
        const int want = f.bottom - 1 - k * (f.height() - 1) / 2;
        EXPECT_EQ(rows(x, f.top, f.bottom, colour), std::make_pair(want, want)) << k;
    }
    EXPECT_EQ(drawn_outside(left, f.top, right + 1, f.bottom), 0);

    // The contour's first value belongs to sample 4500: the left half has none.
    img.fill(Qt::white);
    ch.intensity_count = 4500;
    painter.set_first_sample(4500.0);
    paint(painter, f);
    EXPECT_EQ(rows(left + third, f.top, f.bottom, colour).first, -1);
    EXPECT_EQ(rows(left + (right - left) * 3 / 4, f.top, f.bottom, colour), std::make_pair(f.bottom - 1, f.bottom - 1));
}

// --- label tiers -------------------------------------------------------------------------

class LabelAlignment : public PainterFixture, public ::testing::WithParamInterface<int> {};

// A label at 625 ms of a 1 s window on a 600-pixel range: its line is the
// column 625/1000 of the way along, in its colour, from the band's top to
// the plot's bottom; its text sits left of, around or right of it as aligned.
TEST_P(LabelAlignment, LineAtItsTimeAndTextAlignedThere) {
    const int align = GetParam();
    load_sine();
    Tier& tier = doc->channels[0].tiers[3];
    tier.name = "words";
    tier.in_use = 1;
    LABEL l;
    l.set_text("WWW");
    l.time_ms = 625.0;
    l.align = align;
    l.add_line = true;
    l.color = make_rgb(0, 150, 0);
    tier.labels.push_back(l);
    LABEL outside = l;
    outside.time_ms = 1500.0;  // past the window
    tier.labels.push_back(outside);
    LabelTierPainter painter(*doc, 3);
    const int left = 80, right = 680;
    const StripFrame f = frame(left, 40, right, 70);
    ASSERT_TRUE(paint(painter, f));
    const int x = left + 600 * 625 / 1000;
    const QRgb green = qRgb(0, 150, 0);
    EXPECT_EQ(img.pixel(x, f.bottom + 5), green);
    EXPECT_EQ(img.pixel(x, f.plot_bottom - 1), green);
    EXPECT_TRUE(white(img.pixel(x, f.plot_bottom)));
    EXPECT_TRUE(white(img.pixel(x + 1, f.bottom + 5)));

    const std::optional<Rect> r = LabelTierPainter::text_rect(l, f);
    ASSERT_TRUE(r);
    const int w = r->right - r->left;
    EXPECT_GT(w, 10);
    EXPECT_EQ(r->left, align == 0 ? x : align == 1 ? x - w / 2 : x - w);
    EXPECT_FALSE(LabelTierPainter::text_rect(outside, f));
    // The text's coloured pixels lie inside its rectangle and the band.
    int text_pixels = 0;
    for (int yy = f.top + 1; yy < f.bottom - 1; ++yy)
        for (int xx = left + 1; xx < right - 1; ++xx) {
            const QRgb c = img.pixel(xx, yy);
            if (xx == x || white(c) || qGreen(c) < qRed(c) + 40) continue;
            ++text_pixels;
            EXPECT_GE(xx, r->left - 1);
            EXPECT_LE(xx, r->right + 1);
        }
    EXPECT_GT(text_pixels, 20);
    // The tier's name goes left of the plot.
    EXPECT_GT(drawn_outside(left, 0, kImageW, kImageH), 0);
}

INSTANTIATE_TEST_SUITE_P(LeftCentreRight, LabelAlignment, ::testing::Values(0, 1, 2));

TEST_F(PainterFixture, TierNotInUseDrawsNothing) {
    load_sine();
    Tier& tier = doc->channels[0].tiers[0];
    tier.name = "unused";
    LABEL l;
    l.set_text("x");
    l.time_ms = 500.0;
    l.add_line = true;
    tier.labels.push_back(l);
    LabelTierPainter painter(*doc, 0);
    paint(painter, frame(40, 0, 640, 30));
    EXPECT_EQ(drawn_outside(0, 0, 0, 0), 0);
}

// --- recording level ----------------------------------------------------------------------

// Blocks of 0.125 s give eighty slots over the ten-second sweep; each block
// is a bar in its slot's columns from its lowest to its highest sample, a
// full 16-bit swing filling the strip; the eighty-first block goes back to
// the first slot.
TEST_F(PainterFixture, LevelBarsSitInTheirSlotsAtTheirSamples) {
    RecordingLevelPainter levels;
    levels.reset(8000, 1000);
    ASSERT_EQ(levels.slot_count(), 80);
    const QRect strip(30, 100, 640, 256), meter(30, 60, 640, 16);
    const int mid = strip.top() + strip.height() / 2;
    const auto bar = [](QRgb c) { return c == qRgb(30, 60, 160); };
    struct Block {
        int lo, hi;
    };
    const Block blocks[] = {{-16384, 16384}, {0, 8192}, {-24000, 30000}};
    for (const Block& b : blocks) levels.add(b.lo, b.hi);
    {
        QPainter p(&img);
        levels.paint(p, strip, meter);
    }
    for (int k = 0; k < 3; ++k) {
        const int x = strip.left() + k * 8 + 2;  // inside slot k (8 columns each)
        const auto [top, bottom] = rows(x, strip.top() + 1, strip.bottom(), bar);
        EXPECT_EQ(top, std::min(mid - 1, mid - int(std::lround(blocks[k].hi / 256.0)))) << k;
        EXPECT_EQ(bottom, std::max(mid + 1, mid - int(std::lround(blocks[k].lo / 256.0)))) << k;
    }
    EXPECT_EQ(rows(strip.left() + 3 * 8 + 4, strip.top() + 1, strip.bottom(), bar).first, -1);  // empty slot
    for (int k = 3; k <= 80; ++k) levels.add(-100, 100);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        levels.paint(p, strip, meter);
    }
    // Slot 0 now holds the newest, small block.
    EXPECT_EQ(rows(strip.left() + 2, strip.top() + 1, strip.bottom(), bar), std::make_pair(mid - 1, mid + 1));
}

struct MeterCase {
    int peak;
    double fraction;  // of the meter's width: (dB of full scale + 60) / 60
    QRgb colour;
};
class LevelMeter : public PainterFixture, public ::testing::WithParamInterface<MeterCase> {};

TEST_P(LevelMeter, PeakFillsItsShareOfTheMeter) {
    const MeterCase c = GetParam();
    RecordingLevelPainter levels;
    levels.reset(0, 0);
    levels.add(-c.peak, c.peak / 2);
    EXPECT_EQ(levels.peak(), c.peak);
    const QRect strip(40, 100, 600, 200), meter(40, 60, 600, 16);
    {
        QPainter p(&img);
        levels.paint(p, strip, meter);
    }
    // The bar runs from the meter's left edge (the peak's text lies over it).
    int filled = 0;
    for (int x = meter.left(); x <= meter.right(); ++x)
        if (img.pixel(x, meter.top() + 2) == c.colour) filled = x - meter.left() + 1;
    EXPECT_NEAR(filled, c.fraction * meter.width(), 2);
}

INSTANTIATE_TEST_SUITE_P(Peaks, LevelMeter,
                         ::testing::Values(MeterCase{32767, 1.0, qRgb(220, 30, 30)},
                                           MeterCase{16384, (60.0 - 6.0206) / 60.0, qRgb(230, 170, 0)},  // −6 dB
                                           MeterCase{3277, 40.0 / 60.0, qRgb(40, 170, 60)},   // −20 dB
                                           MeterCase{16, 0.0, qRgb(40, 170, 60)}));           // below −60 dB

}  // namespace
}  // namespace vox::viewtest
