#include <gtest/gtest.h>

#include <QDataStream>
#include <QIODevice>
#include <QPainter>

#include "picturectl/quorpicture_exchange.h"

namespace quorpict {
namespace {

QuorPictureState changed_state() {
    QuorPictureState s = QuorPictureState::defaults();
    s.picture = QImage(7, 5, QImage::Format_RGB32);
    s.picture.fill(QColor(10, 200, 30));
    s.outer_bevel = quorpicInset;
    s.outer_bevel_width = 12;
    s.inner_bevel = quorpicNone;
    s.inner_bevel_width = 0;
    s.inter_bevel_width = 50;
    s.horizontal_justification = quorpicHTextRight;
    s.vertical_justification = quorpicVTextTopBorder;
    s.stretch_image = false;
    s.picture_horizontal_justification = quorpicHImageLeft;
    s.picture_vertical_justification = quorpicVImageBottom;
    s.bevel_face_color = QColor(1, 2, 3);
    s.bevel_shadow_color = QColor(4, 5, 6);
    s.bevel_highlight_color = QColor(7, 8, 9);
    s.back_color = QColor(0x12, 0x34, 0x56);
    s.text = "Spectrum";
    s.font.setPointSize(17);
    return s;
}

void expect_frame_equal(const QuorPictureState& a, const QuorPictureState& b) {
    EXPECT_EQ(a.font.pointSize(), b.font.pointSize());
    EXPECT_EQ(a.picture.size(), b.picture.size());
    EXPECT_EQ(a.outer_bevel, b.outer_bevel);
    EXPECT_EQ(a.outer_bevel_width, b.outer_bevel_width);
    EXPECT_EQ(a.inner_bevel, b.inner_bevel);
    EXPECT_EQ(a.inner_bevel_width, b.inner_bevel_width);
    EXPECT_EQ(a.inter_bevel_width, b.inter_bevel_width);
    EXPECT_EQ(a.horizontal_justification, b.horizontal_justification);
    EXPECT_EQ(a.vertical_justification, b.vertical_justification);
    EXPECT_EQ(a.stretch_image, b.stretch_image);
    EXPECT_EQ(a.picture_horizontal_justification, b.picture_horizontal_justification);
    EXPECT_EQ(a.picture_vertical_justification, b.picture_vertical_justification);
    EXPECT_EQ(to_colorref(a.bevel_face_color), to_colorref(b.bevel_face_color));
    EXPECT_EQ(to_colorref(a.bevel_shadow_color), to_colorref(b.bevel_shadow_color));
    EXPECT_EQ(to_colorref(a.bevel_highlight_color), to_colorref(b.bevel_highlight_color));
}

TEST(QuorPictureExchange, OrderAddsBackColorAndTextOnlyAfterVersion1_1) {
    const QStringList old = exchange_order(kStreamVersion1_1);
    ASSERT_EQ(old.size(), 15);
    EXPECT_EQ(old.first(), "Font");
    EXPECT_EQ(old.last(), "BevelHighlightColor");
    const QStringList now = exchange_order(kStreamVersion);
    ASSERT_EQ(now.size(), 17);
    EXPECT_EQ(now.mid(0, 15), old);
    EXPECT_EQ(now[15], "BackColor");
    EXPECT_EQ(now[16], "Text");
    EXPECT_EQ(exchange_order(make_version(1, 2)).size(), 17);
}

struct VersionCase {
    quint16 major, minor;
    bool has_back_and_text;
};

class QuorPictureStreamVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(QuorPictureStreamVersions, RoundTripKeepsWhatTheVersionHolds) {
    const auto [major, minor, has] = GetParam();
    const QuorPictureState s = changed_state();
    const QByteArray bytes = save_properties(s, make_version(major, minor));
    QuorPictureState read;
    const QuorPictureState defaults = QuorPictureState::defaults();
    ASSERT_TRUE(load_properties(read, bytes, defaults));
    expect_frame_equal(read, s);
    EXPECT_EQ(read.picture.pixelColor(3, 2), QColor(10, 200, 30));
    if (has) {
        EXPECT_EQ(to_colorref(read.back_color), 0x563412u);
        EXPECT_EQ(read.text, "Spectrum");
    } else {
        EXPECT_EQ(to_colorref(read.back_color), kDefaultBackColor);
        EXPECT_EQ(read.text, kDefaultText);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, QuorPictureStreamVersions,
                         ::testing::Values(VersionCase{1, 0, false}, VersionCase{1, 1, false},
                                           VersionCase{1, 2, true}, VersionCase{2, 0, true},
                                           VersionCase{6, 0, true}));

TEST(QuorPictureExchange, TruncatedStreamLeavesDefaultsAndKeepsRunTimeState) {
    const QByteArray bytes = save_properties(changed_state());
    QuorPictureState read;
    read.display_hot_spots = true;
    read.hot_spots.insert("a", QRect(1, 2, 3, 4));
    const QuorPictureState defaults = QuorPictureState::defaults();
    for (qsizetype cut : {qsizetype(2), bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_FALSE(load_properties(read, bytes.left(cut), defaults)) << cut;
        EXPECT_EQ(read.outer_bevel_width, defaults.outer_bevel_width);
        EXPECT_EQ(read.text, kDefaultText);
        EXPECT_TRUE(read.display_hot_spots);
        EXPECT_EQ(read.hot_spots.size(), 1);
    }
}

TEST(QuorPictureExchange, OutOfRangeValuesInAStreamTakeTheirDefaults) {
    // Hand-written stream of version 1.1 with widths and styles outside
    // their ranges.
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kStreamVersion1_1 << QFont().toString() << QByteArray() << qint16(7) << qint16(51) << qint16(-1)
        << qint16(50) << qint16(0) << qint32(3) << qint32(5) << quint8(0) << qint32(-2) << qint32(2)
        << quint32(0x0000FF) << quint32(0x00FF00) << quint32(0xFF0000);
    QuorPictureState read;
    const QuorPictureState d = QuorPictureState::defaults();
    ASSERT_TRUE(load_properties(read, bytes, d));
    EXPECT_EQ(read.outer_bevel, d.outer_bevel);
    EXPECT_EQ(read.outer_bevel_width, d.outer_bevel_width);
    EXPECT_EQ(read.inner_bevel, d.inner_bevel);
    EXPECT_EQ(read.inner_bevel_width, 50);
    EXPECT_EQ(read.inter_bevel_width, 0);
    EXPECT_EQ(read.horizontal_justification, d.horizontal_justification);
    EXPECT_EQ(read.vertical_justification, d.vertical_justification);
    EXPECT_FALSE(read.stretch_image);
    EXPECT_EQ(read.picture_horizontal_justification, d.picture_horizontal_justification);
    EXPECT_EQ(read.picture_vertical_justification, quorpicVImageBottom);
    EXPECT_EQ(read.bevel_face_color, QColor(255, 0, 0));
    EXPECT_EQ(read.bevel_highlight_color, QColor(0, 0, 255));
    EXPECT_TRUE(read.picture.isNull());
}

TEST(QuorPictureExchange, PropertyBagRoundTripAndMissingEntriesTakeDefaults) {
    const QuorPictureState s = changed_state();
    const QVariantMap bag = save_property_bag(s);
    EXPECT_EQ(bag.value("BackColor").toUInt(), 0x563412u);
    QuorPictureState read;
    load_property_bag(read, bag, QuorPictureState::defaults());
    expect_frame_equal(read, s);
    EXPECT_EQ(read.text, "Spectrum");

    QuorPictureState sparse;
    const QuorPictureState d = QuorPictureState::defaults();
    load_property_bag(sparse, {{"OuterBevelWidth", 9}, {"InnerBevel", 99}}, d);
    EXPECT_EQ(sparse.outer_bevel_width, 9);
    EXPECT_EQ(sparse.inner_bevel, d.inner_bevel);
    EXPECT_EQ(sparse.text, kDefaultText);
    EXPECT_EQ(to_colorref(sparse.back_color), kDefaultBackColor);
    EXPECT_EQ(sparse.bevel_face_color, d.bevel_face_color);
    EXPECT_TRUE(sparse.stretch_image);
}

TEST(QuorPictureExchange, ColorrefIsBlueGreenRed) {
    EXPECT_EQ(to_colorref(QColor(0x11, 0x22, 0x33)), 0x332211u);
    EXPECT_EQ(from_colorref(0x332211u), QColor(0x11, 0x22, 0x33));
}

}  // namespace
}  // namespace quorpict
