#include <gtest/gtest.h>

#include <QPainter>

#include "picturectl/quorpicture_paint.h"

namespace quorpict {
namespace {

// A picture whose pixel (x, y) is (x, y, 0), at the resolution that makes its
// natural size equal to its size in pixels.
QImage coded_picture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixelColor(x, y, QColor(x, y, 0));
    img.setDotsPerMeterX(3774);
    img.setDotsPerMeterY(3774);
    return img;
}

QuorPictureState plain_state() {
    QuorPictureState s = QuorPictureState::defaults();
    s.text.clear();
    s.back_color = QColor(0, 0, 255);
    s.bevel_face_color = QColor(200, 200, 200);
    s.bevel_shadow_color = QColor(50, 50, 50);
    s.bevel_highlight_color = QColor(250, 250, 250);
    return s;
}

QImage render(const QuorPictureState& s, QSize size) {
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter p(&out);
    paint_quorpicture(p, QRect(QPoint(0, 0), size), s);
    return out;
}

TEST(QuorPicturePaint, NaturalSizeIsHimetricOver26_5) {
    EXPECT_EQ(natural_size(coded_picture(200, 100)), QSize(200, 100));
    QImage no_resolution(96, 48, QImage::Format_RGB32);
    no_resolution.setDotsPerMeterX(0);
    no_resolution.setDotsPerMeterY(0);
    // 96 dpi: 96 px are 2540 hundredths of a mm, 2540 / 26.5 = 95.8.
    EXPECT_EQ(natural_size(no_resolution), QSize(96, 48));
    EXPECT_EQ(natural_size(QImage()), QSize());
}

TEST(QuorPicturePaint, AllWidthsZeroWithStretchFillsTheControl) {
    QuorPictureState s = plain_state();
    s.outer_bevel_width = s.inner_bevel_width = s.inter_bevel_width = 0;
    s.stretch_image = true;
    s.picture = QImage(4, 4, QImage::Format_RGB32);
    s.picture.fill(QColor(255, 0, 0));
    const QImage out = render(s, QSize(61, 37));
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) ASSERT_EQ(out.pixelColor(x, y), QColor(255, 0, 0)) << x << "," << y;
}

struct PlacementCase {
    int horizontal, vertical;
    int first_column, first_row;  // picture pixel shown at the control's (0, 0)
};

class QuorPictureUnstretched : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(QuorPictureUnstretched, LargePictureIsClippedByItsJustification) {
    const auto c = GetParam();
    QuorPictureState s = plain_state();
    s.outer_bevel_width = s.inner_bevel_width = s.inter_bevel_width = 0;
    s.stretch_image = false;
    s.picture = coded_picture(200, 100);
    s.picture_horizontal_justification = c.horizontal;
    s.picture_vertical_justification = c.vertical;
    const QImage out = render(s, QSize(100, 60));
    EXPECT_EQ(out.pixelColor(0, 0), QColor(c.first_column, c.first_row, 0));
    EXPECT_EQ(out.pixelColor(99, 59), QColor(c.first_column + 99, c.first_row + 59, 0));
}

INSTANTIATE_TEST_SUITE_P(Justifications, QuorPictureUnstretched,
                         ::testing::Values(
                             // Centred: 50 columns and 20 rows lost on each side.
                             PlacementCase{quorpicHImageCenter, quorpicVImageCenter, 50, 20},
                             PlacementCase{quorpicHImageLeft, quorpicVImageTop, 0, 0},
                             PlacementCase{quorpicHImageRight, quorpicVImageBottom, 100, 40}));

TEST(QuorPicturePaint, UnstretchedBevelsAreDrawnOverThePicture) {
    QuorPictureState s = plain_state();
    s.stretch_image = false;
    s.picture = coded_picture(200, 100);
    const QImage out = render(s, QSize(100, 60));
    EXPECT_EQ(out.pixelColor(0, 30), s.bevel_highlight_color);  // raised outer bevel
    EXPECT_EQ(out.pixelColor(5, 30), s.bevel_face_color);       // the gap
    EXPECT_EQ(out.pixelColor(50, 30), QColor(100, 50, 0));      // the picture inside
}

struct BevelCase {
    short style;
    int width;
    bool drawn;
    bool highlight_top_left;
};

class QuorPictureBevels : public ::testing::TestWithParam<BevelCase> {};

TEST_P(QuorPictureBevels, StyleAndWidthDecideTheHalvesColours) {
    const auto c = GetParam();
    QuorPictureState s = plain_state();
    s.outer_bevel = c.style;
    s.outer_bevel_width = static_cast<short>(c.width);
    s.inner_bevel_width = s.inter_bevel_width = 0;
    const QImage out = render(s, QSize(40, 30));
    const QColor tl = out.pixelColor(1, 15), br = out.pixelColor(38, 15);
    const QColor top = out.pixelColor(20, 0), bottom = out.pixelColor(20, 29);
    if (!c.drawn) {
        EXPECT_EQ(tl, s.back_color);
        EXPECT_EQ(br, s.back_color);
        return;
    }
    const QColor a = c.highlight_top_left ? s.bevel_highlight_color : s.bevel_shadow_color;
    const QColor b = c.highlight_top_left ? s.bevel_shadow_color : s.bevel_highlight_color;
    EXPECT_EQ(tl, a);
    EXPECT_EQ(top, a);
    EXPECT_EQ(br, b);
    EXPECT_EQ(bottom, b);
    // The band is exactly `width` pixels wide.
    EXPECT_EQ(out.pixelColor(c.width - 1, 15), a);
    EXPECT_EQ(out.pixelColor(c.width, 15), s.back_color);
    EXPECT_EQ(out.pixelColor(39 - (c.width - 1), 15), b);
    EXPECT_EQ(out.pixelColor(39 - c.width, 15), s.back_color);
}

INSTANTIATE_TEST_SUITE_P(Styles, QuorPictureBevels,
                         ::testing::Values(BevelCase{quorpicRaised, 3, true, true},
                                           BevelCase{quorpicInset, 4, true, false},
                                           BevelCase{quorpicNone, 5, false, false},
                                           BevelCase{quorpicRaised, 0, false, false}));

struct TextCase {
    int horizontal, vertical;
    int x, y;  // expected top-left of a 20 x 10 text line
};

class QuorPictureText : public ::testing::TestWithParam<TextCase> {};

TEST_P(QuorPictureText, LineIsPlacedInTheImageAreaOrABorderBand) {
    const auto c = GetParam();
    QuorPictureState s = plain_state();
    s.outer_bevel_width = 3;
    s.inter_bevel_width = 6;
    s.inner_bevel_width = 3;
    // R = 100 x 80: gap from 3, inner bevel from 9, image area 12..88 x 12..68.
    const BevelGeometry g = bevel_geometry(QRect(0, 0, 100, 80), s);
    EXPECT_EQ(text_rect(g, QSize(20, 10), c.horizontal, c.vertical).topLeft(), QPoint(c.x, c.y));
}

INSTANTIATE_TEST_SUITE_P(
    Placements, QuorPictureText,
    ::testing::Values(TextCase{quorpicHTextLeft, quorpicVTextTop, 14, 12},
                      TextCase{quorpicHTextCenter, quorpicVTextCenter, 40, 35},
                      TextCase{quorpicHTextRight, quorpicVTextBottom, 66, 58},
                      // Centred in the gap bands 3..9 and 71..77.
                      TextCase{quorpicHTextCenter, quorpicVTextTopBorder, 40, 1},
                      TextCase{quorpicHTextCenter, quorpicVTextBottomBorder, 40, 69}));

TEST(QuorPicturePaint, TopBorderTextWithNoGapIsCentredOnTheBevelLine) {
    QuorPictureState s = plain_state();
    s.inter_bevel_width = 0;
    const BevelGeometry g = bevel_geometry(QRect(0, 0, 100, 80), s);
    const QRect tr = text_rect(g, QSize(20, 10), quorpicHTextCenter, quorpicVTextTopBorder);
    EXPECT_EQ(tr.y(), g.inner.y() - 5);
    s.text = "HHHH";
    s.vertical_justification = quorpicVTextTopBorder;
    s.fore_color = QColor(255, 0, 0);
    s.font.setPixelSize(20);
    const QImage out = render(s, QSize(100, 80));
    // The text's pixels reach above the inner bevel, into the outer one.
    bool red_over_bevel = false;
    for (int y = 0; y < g.inner.y(); ++y)
        for (int x = 0; x < 100; ++x) red_over_bevel |= out.pixelColor(x, y).red() - out.pixelColor(x, y).green() > 60;
    EXPECT_TRUE(red_over_bevel);
}

TEST(QuorPicturePaint, DoubledScaleDoublesTheBevels) {
    QuorPictureState s = plain_state();
    s.outer_bevel_width = 3;
    s.inter_bevel_width = s.inner_bevel_width = 0;
    QImage out(80, 60, QImage::Format_RGB32);
    QPainter p(&out);
    paint_quorpicture(p, out.rect(), s, 2.0);
    p.end();
    EXPECT_EQ(out.pixelColor(5, 30), s.bevel_highlight_color);
    EXPECT_EQ(out.pixelColor(6, 30), s.back_color);
}

}  // namespace
}  // namespace quorpict
