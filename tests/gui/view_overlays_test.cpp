// What the waveform view draws over its plot (the selection band, the
// cursor line, a dragged label's outline), the label gestures in the tier
// bands, and the plot's printed page and bitmap: each on its own, against
// pixels and times worked out here, and the selection band once more through
// the view with real mouse events.

#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <cstring>
#include <deque>
#include <functional>

#include "core/app/option_block.h"
#include "core/dsp/pitch_tracker.h"
#include "gui/plot/plot_draw.h"
#include "gui/plot/plot_printer.h"
#include "gui/views/waveform/label_interaction.h"
#include "gui/views/waveform/painters/overlay_painter.h"
#include "gui/views/waveform/painters/plot_layers.h"
#include "gui/views/waveform/painters/plot_page.h"
#include "tests/gui/view_fixture.h"

namespace vox::viewtest {
namespace {

// --- overlays -------------------------------------------------------------------------

constexpr int kW = 400, kH = 200;
constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;
constexpr int kStrokeRow = 50;  // a black stroke across the composed plot

struct Overlays : ::testing::Test {
    DisplayColors colors;  // white ground, light yellow selection
    QImage composed{kW, kH, QImage::Format_RGB32};
    OverlayPainter overlays;
    // 20…380 shows the window; overlays cover rows 0…149.
    OverlayAxis axis{20, 380, 150, 0.0, 1000.0};

    Overlays() {
        app();
        composed.fill(Qt::white);
        for (int x = 0; x < kW; ++x) composed.setPixel(x, kStrokeRow, kBlack);
        overlays.reset(composed.size(), colors);
        overlays.clear(composed);
    }
    QRgb tint() const { return plot::to_qcolor(colors.selection).rgb(); }
    // The composed plot with columns [x0, x1) ANDed with the tint above the bottom.
    QImage expected_band(int x0, int x1) const {
        QImage e = composed.copy();
        for (int y = 0; y < axis.bottom; ++y)
            for (int x = std::max(0, x0); x < std::min(kW, x1); ++x) e.setPixel(x, y, e.pixel(x, y) & tint());
        return e;
    }
    // Columns whose row 10 carries the tint, as [first, last + 1).
    std::pair<int, int> tinted_columns() const {
        int first = -1, last = -1;
        for (int x = 0; x < kW; ++x)
            if (overlays.screen().pixel(x, 10) == tint()) {
                if (first < 0) first = x;
                last = x;
            }
        return {first, last + 1};
    }
};

struct BandCase {
    double start_ms, end_ms, lo_ms, hi_ms;
    int first_col, end_col;  // the band's columns [first_col, end_col)
};
class SelectionBand : public Overlays, public ::testing::WithParamInterface<BandCase> {};

// 360 columns show the window: a time's column is 20 + 360 · (t − start) / span,
// and times outside the window stop at its edges.
TEST_P(SelectionBand, CoversExactlyTheColumnsOfTheSelectedTimes) {
    const BandCase c = GetParam();
    axis.start_ms = c.start_ms;
    axis.end_ms = c.end_ms;
    overlays.show_selection(axis, c.lo_ms, c.hi_ms);
    EXPECT_EQ(tinted_columns(), std::make_pair(c.first_col, c.end_col));
    // The ground below the display and the dark stroke inside the band stay as they were.
    EXPECT_EQ(overlays.screen(), expected_band(c.first_col, c.end_col));
    EXPECT_EQ(overlays.screen().pixel((c.first_col + c.end_col) / 2, kStrokeRow), kBlack);
}

INSTANTIATE_TEST_SUITE_P(Windows, SelectionBand,
                         ::testing::Values(BandCase{0, 1000, 250, 500, 110, 200},
                                           BandCase{0, 1000, 500, 250, 110, 200},     // lo and hi swapped
                                           BandCase{200, 700, 100, 300, 20, 92},      // starts before the window
                                           BandCase{0, 1000, 900, 1500, 344, 380},    // ends past it
                                           BandCase{1000, 1600, 1150, 1450, 110, 290}));

TEST_F(Overlays, AnEmptyWindowOrAnEmptySelectionTintsNothing) {
    overlays.show_selection(axis, 300.0, 300.0);
    axis.end_ms = axis.start_ms;
    overlays.show_selection(axis, 100.0, 900.0);
    EXPECT_EQ(overlays.screen(), composed);
}

// However the free end of a drag wanders (past the anchor and back), the
// screen after each move is the composed plot with exactly the columns
// between the anchor and the pointer tinted, and the area it asks to
// repaint holds every pixel that changed.
TEST_F(Overlays, ADraggedSelectionIsAlwaysTheBandBetweenAnchorAndPointer) {
    const int anchor = 150;
    int last = anchor;
    for (int x : {160, 220, 140, 90, 149, 150, 151, 300, 10, 399, 150}) {
        const QImage before = overlays.screen().copy();
        const QRect dirty = overlays.drag_selection(composed, axis, anchor, last, x);
        const QImage& now = overlays.screen();
        ASSERT_EQ(now, expected_band(std::min(anchor, x), std::max(anchor, x))) << x;
        for (int yy = 0; yy < kH; ++yy)
            for (int xx = 0; xx < kW; ++xx)
                if (now.pixel(xx, yy) != before.pixel(xx, yy)) {
                    ASSERT_TRUE(dirty.contains(xx, yy)) << xx << "," << yy;
                }
        last = x;
    }
}

TEST_F(Overlays, TheCursorIsABlackColumnDownToTheDisplayBottom) {
    overlays.show_cursor(axis, 123);
    QImage expected = composed.copy();
    for (int y = 0; y < axis.bottom; ++y) expected.setPixel(123, y, kBlack);
    EXPECT_EQ(overlays.screen(), expected);
    overlays.show_cursor(axis, kW);  // off the image: nothing
    overlays.show_cursor(axis, -1);
    EXPECT_EQ(overlays.screen(), expected);
}

// Two outlines in turn: the first one's pixels come back from the composed
// plot, the second's border is black, and the area to repaint holds both.
TEST_F(Overlays, ADraggedLabelLeavesOnlyItsLatestOutline) {
    const Rect a{60, 40, 100, 60}, b{130, 45, 170, 65};
    overlays.show_label_outline(composed, a);
    const QRect dirty = overlays.show_label_outline(composed, b);
    QImage expected = composed.copy();
    for (int x = b.left; x < b.right; ++x) expected.setPixel(x, b.top, kBlack), expected.setPixel(x, b.bottom - 1, kBlack);
    for (int y = b.top; y < b.bottom; ++y) expected.setPixel(b.left, y, kBlack), expected.setPixel(b.right - 1, y, kBlack);
    EXPECT_EQ(overlays.screen(), expected);
    EXPECT_TRUE(dirty.contains(QRect(a.left, a.top, a.right - a.left, a.bottom - a.top)));
    EXPECT_TRUE(dirty.contains(QRect(b.left, b.top, b.right - b.left, b.bottom - b.top)));
    // After a new press the old outline is not restored over a fresh screen.
    overlays.forget_label_outline();
    overlays.clear(composed);
    overlays.show_label_outline(composed, a);
    EXPECT_EQ(overlays.screen().pixel(b.left, b.top + 5), composed.pixel(b.left, b.top + 5));
}

TEST_F(Overlays, TrackingAndPlayCursorsAreDrawnOnTheWidgetAboveTheDisplayBottom) {
    QImage widget = composed.copy();
    {
        QPainter p(&widget);
        overlays.paint_tracking(p, axis, 77);
        OverlayPainter::paint_play_cursor(p, axis, 211);
    }
    const QRgb tracking = plot::to_qcolor(colors.tracking).rgb();
    EXPECT_EQ(widget.pixel(77, 0), tracking);
    EXPECT_EQ(widget.pixel(77, axis.bottom - 1), tracking);
    EXPECT_EQ(widget.pixel(77, axis.bottom), kWhite);
    EXPECT_EQ(widget.pixel(211, 10), kBlack);
    EXPECT_EQ(widget.pixel(212, 10), kWhite);
}

// Through the view: a real drag leaves the band on the columns of the times
// the document now holds as its selection.
struct OverlaysInTheView : ViewFixture {};

TEST_F(OverlaysInTheView, TheDraggedSelectionBandMatchesTheDocumentsSelection) {
    load_sine();
    doc->options.display.add_time_grid = 0;
    doc->options.pitch.add_frequency_grid = 0;
    show();
    const int y = 200;
    QTest::mousePress(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(520, y));
    for (int x = 519; x >= 230; x -= 3) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), view->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &move);
    }
    QTest::mouseRelease(view.get(), Qt::LeftButton, Qt::NoModifier, QPoint(230, y));
    ASSERT_TRUE(view->has_selection());
    const CChannels& ch = doc->channels[0];
    // 755 columns (40…795) show the 1000 ms of the signal.
    const Rect d = view->display_rect();
    ASSERT_EQ(d.right - d.left, 755);
    const auto col = [&](double ms) { return 40 + static_cast<int>(ms * 755.0 / 1000.0); };
    const QImage& img = view->screen_image();
    const QRgb tint = plot::to_qcolor(doc->options.colors.selection).rgb();
    const int row = view->pitch_strip().top + 20;
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, row) == tint) {
            if (first < 0) first = x;
            last = x;
        }
    EXPECT_EQ(first, col(ch.sel_lo_ms));
    EXPECT_EQ(last + 1, col(ch.sel_hi_ms));
    EXPECT_NEAR(ch.sel_lo_ms, (230 - 40) * 1000.0 / 755.0, 1.5);
    EXPECT_NEAR(ch.sel_hi_ms, (520 - 40) * 1000.0 / 755.0, 1.5);
}

// --- label gestures -----------------------------------------------------------------------

// What "Label entry" answers when the person types `text` and presses OK (or Cancel).
LabelEntryAnswer entered(const char* text, bool ok = true) {
    LabelEntryAnswer a;
    a.accepted = ok;
    a.label.set_text(text);
    return a;
}

// A 1 s channel at 1000 Hz shown on 1000 columns from x = 40 (one column per
// millisecond); tier 1 in use at rows 0…19 holds "word" at 300 ms, ten
// pixels a character, so its text covers columns 340…379.
struct LabelGestures : ::testing::Test {
    CChannels ch;
    std::deque<LabelEntryAnswer> answers;  // what "Label entry" answers, in turn
    std::vector<std::string> seeds;        // the labels it opened with
    int saves = 0;
    bool save_ok = true;
    LabelInteraction input{[this](const LABEL& seed) {
                               seeds.push_back(seed.text_string());
                               LabelEntryAnswer a = answers.empty() ? LabelEntryAnswer{} : answers.front();
                               if (!answers.empty()) answers.pop_front();
                               return a;
                           },
                           [this] {
                               ++saves;
                               return save_ok;
                           },
                           [](const LABEL& l) { return int(std::strlen(l.text)) * 10; }};

    LabelGestures() {
        ch.set_foreign_audio(1000.0, 1000.0);
        ch.plot_rect = Rect{40, 0, 1040, 300};
        ch.tiers[1].in_use = 1;
        ch.tiers[1].band = Rect{40, 0, 1040, 20};
        LABEL l;
        l.set_text("word");
        l.time_ms = 300.0;
        ch.tiers[1].labels.push_back(l);
        LayoutTierLabels(ch, [](const LABEL& x) { return int(std::strlen(x.text)) * 10; });
    }
    const std::vector<LABEL>& labels() const { return ch.tiers[1].labels; }
};

struct GestureCase {
    const char* name;
    QPoint press;
    std::vector<QPoint> moves;
    bool selection;  // the view saw a selection by the release
    std::optional<LabelEntryAnswer> answer;
    bool save_ok;
    LabelInteraction::Outcome outcome;
    int dialogs, saves;
    std::vector<std::pair<std::string, double>> after;  // text and time (ms) of tier 1's labels
};
class Gestures : public LabelGestures, public ::testing::WithParamInterface<GestureCase> {};

TEST_P(Gestures, PressDragAndReleaseBecomeTheLabelChange) {
    const GestureCase& c = GetParam();
    if (c.answer) answers.push_back(*c.answer);
    save_ok = c.save_ok;
    input.press(ch, c.press.x(), c.press.y());
    for (const QPoint& m : c.moves) input.drag(ch, m.x(), m.y());
    EXPECT_EQ(input.release(ch, c.selection), c.outcome);
    EXPECT_EQ(static_cast<int>(seeds.size()), c.dialogs);
    if (!seeds.empty()) {  // the hit label is what the dialog opens with
        EXPECT_EQ(seeds[0], "word");
    }
    EXPECT_EQ(saves, c.saves);
    ASSERT_EQ(labels().size(), c.after.size());
    for (std::size_t i = 0; i < c.after.size(); ++i) {
        EXPECT_EQ(labels()[i].text_string(), c.after[i].first);
        EXPECT_DOUBLE_EQ(labels()[i].time_ms, c.after[i].second);
    }
}

using O = LabelInteraction::Outcome;
INSTANTIATE_TEST_SUITE_P(
    Cases, Gestures,
    ::testing::Values(
        // Dragged 100 columns right (and down, held in the band): 100 ms later.
        GestureCase{"move", {345, 10}, {{360, 12}, {445, 40}}, false, std::nullopt, true, O::Changed, 0, 1, {{"word", 400.0}}},
        GestureCase{"move_left", {375, 5}, {{305, 5}}, true, std::nullopt, true, O::Changed, 0, 1, {{"word", 230.0}}},
        GestureCase{"undo_fails", {345, 10}, {{445, 10}}, false, std::nullopt, false, O::Unchanged, 0, 1, {{"word", 300.0}}},
        GestureCase{"edit", {345, 10}, {}, false, entered("wort"), true, O::Changed, 1, 1, {{"wort", 300.0}}},
        GestureCase{"delete", {379, 19}, {}, false, entered(""), true, O::Changed, 1, 1, {}},
        GestureCase{"cancel", {345, 10}, {}, false, entered("x", false), true, O::Unchanged, 1, 0, {{"word", 300.0}}},
        // Past the text's right edge or below the band: no hit.
        GestureCase{"selection_in_band", {380, 10}, {{500, 10}}, true, std::nullopt, true, O::NotALabelGesture, 0, 0,
                    {{"word", 300.0}}},
        GestureCase{"below_band", {345, 20}, {{445, 20}}, false, std::nullopt, true, O::NotALabelGesture, 0, 0,
                    {{"word", 300.0}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LabelGestures, TheOutlineFollowsThePointerInsideTheBand) {
    input.press(ch, 345, 10);
    EXPECT_EQ(input.drag(ch, 395, 10), (Rect{390, 0, 430, 20}));
    EXPECT_EQ(input.drag(ch, 305, 90), (Rect{300, 0, 340, 20}));  // far below: still in the band
    input.release(ch, false);
    input.press(ch, 600, 10);  // no label there
    EXPECT_FALSE(input.drag(ch, 650, 10));
}

TEST_F(LabelGestures, ALabelAddedInTheBandBecomesTheTemplate) {
    ch.set_marker_from_pixel(660);  // the view puts the cursor at the press: 660 ms
    answers.push_back(entered("new"));
    input.press(ch, 700, 10);
    EXPECT_EQ(input.release(ch, false), O::Changed);
    ASSERT_EQ(labels().size(), 2u);
    EXPECT_EQ(labels()[1].text_string(), "new");
    EXPECT_DOUBLE_EQ(labels()[1].time_ms, 660.0);
    EXPECT_STREQ(input.label_template().text, "new");
    // The next click on empty band opens with the template.
    input.press(ch, 900, 10);
    input.release(ch, false);
    ASSERT_EQ(seeds.size(), 2u);
    EXPECT_EQ(seeds[1], "new");
}

// --- the printed page and the bitmap -----------------------------------------------------------

struct PageCase {
    double width, height;
    bool inches, color;
};
class PrintedPage : public ViewFixture, public ::testing::WithParamInterface<PageCase> {
protected:
    PitchTrack pitch;
};

// On a 600 dpi printer the plot box is the requested size at that
// resolution, the strips lie inside it in their screen order, the tier
// bands are their screen heights scaled by 600/96, and the audio strip keeps
// its share of the screen's display height.
TEST_P(PrintedPage, PlotFillsTheRequestedSizeAtThePrintersResolution) {
    const PageCase c = GetParam();
    load_sine();
    doc->options.display.print_width = c.width;
    doc->options.display.print_height = c.height;
    doc->options.display.inches = c.inches;
    doc->options.display.color = c.color;
    doc->channels[0].tiers[2].in_use = 1;
    doc->channels[0].tiers[2].height = 24;
    PlotLayers layers(*doc, pitch);
    const PlotPage::ScreenShares screen{300, 60, 40};
    PlotPage page(*doc, layers, [&] { return screen; });

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    plot::PlotTarget seen;
    PlotGeometry g;
    plot::PrintPlot(printer, page.setup(), "t", [&](QPainter& p, const plot::PlotTarget& t) {
        seen = t;
        g = page.geometry(t, screen);
        page.render(p, t);
    });
    const int dpi = printer.logicalDpiX();
    ASSERT_EQ(dpi, 600);
    const double per_unit = c.inches ? dpi : dpi / 2.54;
    EXPECT_NEAR(seen.area.right - seen.area.left, c.width * per_unit, 1.0);
    EXPECT_NEAR(seen.area.bottom - seen.area.top, c.height * per_unit, 1.0);
    EXPECT_EQ(seen.color, c.color);
    const QRect paper = printer.pageLayout().paintRectPixels(dpi);
    EXPECT_LE(seen.area.right, paper.width());
    EXPECT_LE(seen.area.bottom, paper.height());

    const double k = 600.0 / 96.0;
    EXPECT_GT(g.left, seen.area.left);
    EXPECT_LT(g.right, seen.area.right);
    EXPECT_GT(g.top, seen.area.top);
    EXPECT_LT(g.bottom, seen.area.bottom);
    EXPECT_EQ(g.tiers[2].bottom - g.tiers[2].top, static_cast<int>(24 * k));
    EXPECT_EQ(g.audio.top, g.tiers[2].bottom);
    EXPECT_NEAR(double(g.audio.bottom - g.audio.top) / (g.bottom - g.top), 60.0 / 300.0, 1e-3);
    EXPECT_NEAR(double(g.intensity.bottom - g.intensity.top) / (g.bottom - g.top), 40.0 / 300.0, 1e-3);
    EXPECT_EQ(g.pitch.top, g.intensity.bottom);
    EXPECT_EQ(g.pitch.bottom, g.bottom);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PrintedPage,
                         ::testing::Values(PageCase{6.0, 4.0, true, false}, PageCase{5.0, 3.5, true, true},
                                           PageCase{15.0, 10.0, false, true}));

// The bitmap at 96 dpi with a one-inch margin: a sine drawn in the box, the
// pitch contour in its colour on a colour page and in black on a black and
// white one; a size that is not positive is 6 × 4 inches.
struct PageBitmap : ViewFixture {};

TEST_F(PageBitmap, IsTheBoxAtScreenResolutionInColourOrBlack) {
    load_sine();
    PitchTrack pitch;
    pitch.sample_rate = 11025.0;
    pitch.first_ms = 100.0;
    pitch.step_ms = 10.0;
    pitch.f0.assign(80, 200.0);
    doc->options.display.print_width = 0.0;
    doc->options.display.print_height = -1.0;
    PlotLayers layers(*doc, pitch);
    PlotPage page(*doc, layers, [] { return PlotPage::ScreenShares{300, 80, 0}; });
    const auto saturated = [](const QImage& img) {
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                if (std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}) > 60) ++n;
            }
        return n;
    };
    doc->options.display.color = 1;
    const QImage colour = page.bitmap("c");
    EXPECT_EQ(colour.size(), QSize(8 * 96, 6 * 96));
    EXPECT_GT(saturated(colour), 100);
    doc->options.display.color = 0;
    const QImage bw = page.bitmap("b");
    EXPECT_EQ(bw.size(), colour.size());
    EXPECT_EQ(saturated(bw), 0);
    // Nothing is drawn outside the box (one inch in) but the title above it.
    for (int y = 96 + 1; y < bw.height(); ++y)
        for (int x : {0, 95 - 2, bw.width() - 96 + 2, bw.width() - 1}) ASSERT_EQ(bw.pixel(x, y), kWhite) << x << "," << y;
    // An empty document's page is only the box.
    doc->loaded = 0;
    const QImage empty = page.bitmap("e");
    int dark_inside = 0;
    for (int y = 2 * 96; y < 4 * 96; ++y)
        for (int x = 2 * 96; x < 6 * 96; ++x)
            if (qGray(empty.pixel(x, y)) < 128) ++dark_inside;
    EXPECT_EQ(dark_inside, 0);
}

}  // namespace
}  // namespace vox::viewtest
