#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "picturectl/quorpicture_ctrl.h"
#include "picturectl/quorpicture_pages.h"

namespace quorpict {
namespace {

struct CtrlFixture : ::testing::Test {
    CtrlFixture() {
        ctrl.resize(120, 80);
        ctrl.setMessageHandler([this](const QString& m) { messages << m; });
    }
    CQuorpictureCtrl ctrl;
    QStringList messages;
};

TEST_F(CtrlFixture, AddingUnderAnExistingKeyReplacesAndRemovingAnUnknownKeyChangesNothing) {
    ctrl.AddHotSpot(10, 20, 5, 15, "a");
    ctrl.AddHotSpot(30, 40, 50, 60, "b");
    EXPECT_EQ(ctrl.hot_spots_at(QPoint(6, 12)), QStringList{"a"});
    ctrl.AddHotSpot(0, 5, 0, 5, "a");  // replaced
    EXPECT_EQ(ctrl.state().hot_spots.size(), 2);
    EXPECT_TRUE(ctrl.hot_spots_at(QPoint(6, 12)).isEmpty());
    EXPECT_EQ(ctrl.hot_spots_at(QPoint(2, 2)), QStringList{"a"});
    ctrl.RemoveHotSpot("zzz");
    EXPECT_EQ(ctrl.state().hot_spots.size(), 2);
    ctrl.RemoveHotSpot("a");
    EXPECT_EQ(ctrl.state().hot_spots.keys(), QStringList{"b"});
    ctrl.RemoveAllHotSpots();
    EXPECT_TRUE(ctrl.state().hot_spots.isEmpty());
}

TEST_F(CtrlFixture, HotSpotRightAndBottomAreExclusiveAndSwappedSidesAreOrdered) {
    ctrl.AddHotSpot(20, 10, 15, 5, "swapped");  // top/bottom and left/right reversed
    EXPECT_EQ(ctrl.hot_spots_at(QPoint(5, 10)), QStringList{"swapped"});
    EXPECT_EQ(ctrl.hot_spots_at(QPoint(14, 19)), QStringList{"swapped"});
    EXPECT_TRUE(ctrl.hot_spots_at(QPoint(15, 12)).isEmpty());
    EXPECT_TRUE(ctrl.hot_spots_at(QPoint(8, 20)).isEmpty());
    ctrl.AddHotSpot(3, 3, 3, 9, "empty");
    EXPECT_TRUE(ctrl.hot_spots_at(QPoint(4, 3)).isEmpty());
}

TEST_F(CtrlFixture, MouseActionsFireHotSpotEventsOrNoHotSpotThenThePlainEvent) {
    ctrl.AddHotSpot(0, 40, 0, 40, "left");
    ctrl.AddHotSpot(20, 60, 20, 60, "overlap");
    ctrl.show();
    QSignalSpy down(&ctrl, &CQuorpictureCtrl::MouseDownHotSpot);
    QSignalSpy up(&ctrl, &CQuorpictureCtrl::MouseUpHotSpot);
    QSignalSpy none(&ctrl, &CQuorpictureCtrl::MouseActionNoHotSpot);
    QSignalSpy plain_down(&ctrl, &CQuorpictureCtrl::MouseDown);
    QSignalSpy click(&ctrl, &CQuorpictureCtrl::Click);

    QTest::mouseClick(&ctrl, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(0).toString(), "left");
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(none.count(), 0);
    ASSERT_EQ(plain_down.count(), 1);
    EXPECT_EQ(plain_down.at(0).at(0).value<short>(), 1);  // left button
    EXPECT_EQ(plain_down.at(0).at(1).value<short>(), 1);  // shift
    EXPECT_EQ(plain_down.at(0).at(2).toInt(), 10);
    EXPECT_EQ(click.count(), 1);

    down.clear();
    QTest::mousePress(&ctrl, Qt::RightButton, {}, QPoint(30, 30));
    ASSERT_EQ(down.count(), 2);  // both hot spots lie under the pointer
    EXPECT_EQ(down.at(0).at(0).toString(), "left");
    EXPECT_EQ(down.at(1).at(0).toString(), "overlap");
    EXPECT_EQ(plain_down.last().at(0).value<short>(), 2);
    QTest::mouseRelease(&ctrl, Qt::RightButton, {}, QPoint(30, 30));

    QTest::mouseClick(&ctrl, Qt::LeftButton, {}, QPoint(100, 70));
    EXPECT_EQ(none.count(), 2);  // press and release
    EXPECT_EQ(down.count(), 2);
}

struct RangeCase {
    const char* property;
    int bad;
};

class QuorPictureRanges : public ::testing::TestWithParam<RangeCase> {};

TEST_P(QuorPictureRanges, ValuesOutsideTheRangeAreRefused) {
    CQuorpictureCtrl ctrl;
    const auto c = GetParam();
    const QVariant before = ctrl.property(c.property);
    ctrl.setProperty(c.property, QVariant::fromValue<short>(short(c.bad)));
    ctrl.setProperty(c.property, c.bad);
    EXPECT_EQ(ctrl.property(c.property).toInt(), before.toInt());
    EXPECT_FALSE(ctrl.isModified());
}

INSTANTIATE_TEST_SUITE_P(Properties, QuorPictureRanges,
                         ::testing::Values(RangeCase{"OuterBevelWidth", 51}, RangeCase{"InnerBevelWidth", -1},
                                           RangeCase{"InterBevelWidth", 200}, RangeCase{"OuterBevel", 3},
                                           RangeCase{"InnerBevel", -1}, RangeCase{"VerticalJustification", 5},
                                           RangeCase{"HorizontalJustification", 3},
                                           RangeCase{"PictureHorizontalJustification", -1},
                                           RangeCase{"PictureVerticalJustification", 3}));

TEST_F(CtrlFixture, PropertiesAreReachableByNameAndMarkTheControlModified) {
    QSignalSpy changed(&ctrl, &CQuorpictureCtrl::changed);
    EXPECT_TRUE(ctrl.setProperty("OuterBevelWidth", 50));
    EXPECT_EQ(ctrl.OuterBevelWidth(), 50);
    EXPECT_TRUE(ctrl.setProperty("Text", QString("Formants")));
    EXPECT_EQ(ctrl.Text(), "Formants");
    EXPECT_TRUE(ctrl.isModified());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_FALSE(ctrl.setProperty("hWnd", 5));  // read-only
}

TEST_F(CtrlFixture, PropertiesSurviveAStreamIntoAFreshControl) {
    ctrl.setText("Pitch");
    ctrl.setInnerBevel(quorpicRaised);
    ctrl.setStretchImage(false);
    QByteArray bytes;
    ASSERT_TRUE(QMetaObject::invokeMethod(&ctrl, "saveProperties", Q_RETURN_ARG(QByteArray, bytes)));
    CQuorpictureCtrl other;
    EXPECT_TRUE(other.loadProperties(bytes));
    EXPECT_EQ(other.Text(), "Pitch");
    EXPECT_EQ(other.InnerBevel(), quorpicRaised);
    EXPECT_FALSE(other.StretchImage());
    EXPECT_FALSE(other.isModified());
}

TEST_F(CtrlFixture, LoadPictureReportsEachFailureNamingTheFile) {
    QTemporaryDir dir;
    const QString missing = dir.filePath("none.png");
    EXPECT_FALSE(ctrl.LoadPicture(missing));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.last().contains(missing));

    const QString text_file = dir.filePath("notes.png");
    {
        QFile f(text_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is no picture at all");
    }
    EXPECT_FALSE(ctrl.LoadPicture(text_file));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages.last().contains("does not hold a picture"));
    EXPECT_TRUE(ctrl.Picture().isNull());
    EXPECT_FALSE(ctrl.isModified());

    QImage img(9, 4, QImage::Format_RGB32);
    img.fill(Qt::green);
    const QString good = dir.filePath("good.png");
    ASSERT_TRUE(img.save(good));
    ctrl.setFileChooser([&] { return good; });
    ctrl.BrowseForPicture();
    EXPECT_EQ(ctrl.Picture().size(), QSize(9, 4));
    EXPECT_TRUE(ctrl.isModified());
    EXPECT_EQ(messages.size(), 2);
}

TEST_F(CtrlFixture, ScreenPaintingShowsTheStretchedPicture) {
    ctrl.setOuterBevelWidth(0);
    ctrl.setInnerBevelWidth(0);
    ctrl.setInterBevelWidth(0);
    ctrl.setText(QString());
    QImage red(2, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    ctrl.setPicture(red);
    const QImage shot = ctrl.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(shot.width() - 1, shot.height() - 1), QColor(Qt::red));
}

TEST_F(CtrlFixture, PrintingMapsTheControlOntoTheDevicesPixelsPerInch) {
    ctrl.setOuterBevelWidth(4);
    ctrl.setInnerBevelWidth(0);
    ctrl.setInterBevelWidth(0);
    ctrl.setBackColor(Qt::blue);
    ctrl.setText(QString());
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    ctrl.paint_scaled(p, QPoint(0, 0), 192, 192, 96);
    p.end();
    // 120 x 80 screen pixels at twice the resolution: 240 x 160.
    EXPECT_EQ(page.pixelColor(239, 80).rgb(), ctrl.BevelShadowColor().rgb());
    EXPECT_EQ(page.pixelColor(240, 80), QColor(Qt::white));
    EXPECT_EQ(page.pixelColor(8, 80), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(7, 80).rgb(), ctrl.BevelHighlightColor().rgb());
}

TEST_F(CtrlFixture, PropertyPagesShowAndApplyTheControlsValues) {
    ctrl.setVerticalJustification(quorpicVTextTopBorder);
    ctrl.setOuterBevelWidth(7);
    CQuorpicturePropertySheet sheet(ctrl);
    EXPECT_EQ(sheet.general()->text_vertical()->currentIndex(), quorpicVTextTopBorder);
    EXPECT_EQ(sheet.general()->text_vertical()->count(), 5);
    EXPECT_EQ(sheet.general()->text_vertical()->itemText(4), "4 - Bottom Border");
    EXPECT_EQ(sheet.bevels()->outer_width()->value(), 7);
    EXPECT_EQ(sheet.bevels()->outer_width()->maximum(), 50);
    EXPECT_EQ(sheet.bevels()->outer_style()->itemText(0), "0 - Flat");
    // Picture placement is only offered while the picture is not stretched.
    EXPECT_FALSE(sheet.general()->picture_vertical()->isEnabled());

    sheet.general()->text_edit()->setText("Spectrogram");
    sheet.general()->stretch()->setChecked(false);
    EXPECT_TRUE(sheet.general()->picture_vertical()->isEnabled());
    sheet.general()->picture_horizontal()->setCurrentIndex(quorpicHImageRight);
    sheet.bevels()->inner_style()->setCurrentIndex(quorpicNone);
    sheet.bevels()->inter_width()->setValue(50);
    EXPECT_EQ(ctrl.Text(), kDefaultText);  // nothing before apply
    sheet.apply();
    EXPECT_EQ(ctrl.Text(), "Spectrogram");
    EXPECT_FALSE(ctrl.StretchImage());
    EXPECT_EQ(ctrl.PictureHorizontalJustification(), quorpicHImageRight);
    EXPECT_EQ(ctrl.InnerBevel(), quorpicNone);
    EXPECT_EQ(ctrl.InterBevelWidth(), 50);
}

}  // namespace
}  // namespace quorpict
