// The document's own dialogs driven by real clicks, and the progress window's
// cancel by a left-button press.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "gui/dialogs/file_dialogs.h"
#include "gui/platform/qt_progress.h"
#include "gui/platform/qt_user_prompts.h"

namespace vox {
namespace {

TEST(DialogsChannelSelect, ListsTheChannelsUpToTenAndReturnsTheChoice) {
    struct Case {
        int count, preselected, listed, shown;
    };
    for (const Case c : {Case{2, 0, 2, 0}, Case{4, 2, 4, 2}, Case{16, 12, 10, 9}}) {
        CDialogFileChannelSelect dlg(c.count, c.preselected);
        EXPECT_EQ(dlg.windowTitle(), "Select channels");
        ASSERT_EQ(dlg.list()->count(), c.listed);
        EXPECT_EQ(dlg.list()->itemText(0), "Channel #1");
        EXPECT_EQ(dlg.list()->itemText(c.listed - 1), QString("Channel #%1").arg(c.listed));
        EXPECT_EQ(dlg.chosen(), c.shown);
    }
    CDialogFileChannelSelect dlg(3, 0);
    dlg.list()->setCurrentIndex(2);
    EXPECT_EQ(dlg.chosen(), 2);
}

TEST(DialogsGenericFile, ByteOrderFollowsSixteenBitAndAnswersComeBack) {
    CDialogGenericFileSelection dlg(GenericFileAnswers{});
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), "Generic File Selection");
    // The presets of the open chain.
    EXPECT_EQ(dlg.header()->value(), 0);
    EXPECT_EQ(dlg.rate()->value(), 10000);
    EXPECT_TRUE(dlg.binary()->isChecked());
    EXPECT_TRUE(dlg.bits16()->isChecked());
    EXPECT_TRUE(dlg.high_first()->isChecked());
    EXPECT_TRUE(dlg.low_first()->isEnabled());

    QTest::mouseClick(dlg.bits8(), Qt::LeftButton);
    EXPECT_TRUE(dlg.bits8()->isChecked());
    EXPECT_FALSE(dlg.bits16()->isChecked());
    EXPECT_FALSE(dlg.low_first()->isEnabled());
    EXPECT_FALSE(dlg.high_first()->isEnabled());
    QTest::mouseClick(dlg.ascii(), Qt::LeftButton);
    EXPECT_FALSE(dlg.binary()->isChecked());
    dlg.header()->setValue(128);
    dlg.rate()->setValue(16000);
    GenericFileAnswers a = dlg.answers();
    EXPECT_EQ(a.header_bytes, 128);
    EXPECT_EQ(a.sample_rate_hz, 16000);
    EXPECT_EQ(a.integer_binary, 0);
    EXPECT_EQ(a.sixteen_bit, 0);

    QTest::mouseClick(dlg.bits16(), Qt::LeftButton);
    EXPECT_TRUE(dlg.low_first()->isEnabled());
    QTest::mouseClick(dlg.low_first(), Qt::LeftButton);
    EXPECT_FALSE(dlg.high_first()->isChecked());
    a = dlg.answers();
    EXPECT_EQ(a.sixteen_bit, 1);
    EXPECT_EQ(a.high_byte_first, 0);
    // A zero rate cannot be entered: every later time would divide by it.
    dlg.rate()->setValue(0);
    EXPECT_GE(dlg.answers().sample_rate_hz, 1);
}

TEST(DialogsFileFilters, TheOpenFiltersBecomeThirteenQtFilters) {
    const QStringList f = qt_name_filters(
        "Voxtrel(PC) files (*.vxl)|*.vxl|Voxtrel(Mac) files (*.vxl; *.*)|*.vxl; *.*|Generic files (*.*)|*.*|");
    ASSERT_EQ(f.size(), 3);
    EXPECT_EQ(f[0], "Voxtrel(PC) files (*.vxl)");
    EXPECT_EQ(f[1], "Voxtrel(Mac) files (*.vxl *.*)");
    EXPECT_EQ(f[2], "Generic files (*.*)");
}

TEST(DialogsProgress, ALeftPressCancelsAndOtherButtonsDoNot) {
    QWidget host;
    host.resize(400, 300);
    host.show();
    QtProgress progress(&host);
    progress.begin(" Reading File...(Press mouse to cancel) ", 10);
    ASSERT_NE(progress.window(), nullptr);
    EXPECT_TRUE(progress.window()->isVisible());
    QTest::mousePress(&host, Qt::RightButton, {}, QPoint(10, 10));
    QTest::qWait(40);
    EXPECT_FALSE(progress.cancelled());
    QTest::mouseRelease(&host, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mousePress(&host, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::qWait(40);
    EXPECT_TRUE(progress.cancelled());
    // Released, so that no button stays down for the tests that follow.
    QTest::mouseRelease(&host, Qt::LeftButton, {}, QPoint(10, 10));
    progress.end();
    EXPECT_EQ(progress.window(), nullptr);
    // A new operation starts uncancelled.
    progress.begin(" Saving File...(Press mouse to cancel) ", 5);
    EXPECT_FALSE(progress.cancelled());
    progress.end();
}

}  // namespace
}  // namespace vox
