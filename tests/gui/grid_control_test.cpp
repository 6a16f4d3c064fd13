// The grid: filling order, numbers vs texts, choice and check cells, header
// sorting, and which changes notify the owner.

#include <QComboBox>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "gui/grid/grid_control.h"

namespace vox {
namespace {

struct GridFixture : ::testing::Test {
    GridFixture() {
        grid.insert_column(0, "Name", 80);
        grid.insert_column(1, "Time", 60, CGridControl::Align::Right);
        grid.resize(300, 200);
    }
    CGridControl grid;
};

TEST_F(GridFixture, RowsTakeTheirInitialValuesAndMissingCellsStayEmpty) {
    grid.append_row({QString("a"), 12.5});
    grid.append_row({QString("b")});
    ASSERT_EQ(grid.row_count(), 2);
    EXPECT_EQ(grid.cell_text(0, 0), "a");
    EXPECT_EQ(grid.cell_text(0, 1), "12.5");
    EXPECT_EQ(grid.cell_number(0, 1), 12.5);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(grid.cell_value(1, 1)));
    EXPECT_FALSE(grid.cell_number(1, 1).has_value());
    EXPECT_FALSE(grid.cell_number(0, 0).has_value());
    grid.remove_all_rows();
    EXPECT_EQ(grid.row_count(), 0);
    EXPECT_EQ(grid.column_count(), 2);
}

TEST_F(GridFixture, AFormattedNumberShowsItsTextButKeepsItsValue) {
    grid.append_row({QString("x"), 0.0});
    grid.set_cell_number(0, 1, 3.25, "   3.3");
    EXPECT_EQ(grid.cell_text(0, 1), "   3.3");
    EXPECT_EQ(grid.cell_number(0, 1), 3.25);
    grid.set_cell_text(0, 1, "7");
    EXPECT_EQ(grid.cell_number(0, 1), 7.0);  // a numeric text still reads as a number
}

TEST_F(GridFixture, OutOfRangeIndicesThrowForTheCallerToReport) {
    grid.append_row({QString("a"), 1.0});
    EXPECT_THROW(grid.cell_text(1, 0), GridError);
    EXPECT_THROW(grid.set_cell_text(0, 2, "z"), GridError);
    EXPECT_THROW(grid.caption(-1), GridError);
    EXPECT_THROW(grid.insert_column(5, "far", 10), GridError);
}

TEST_F(GridFixture, ColumnsInsertBeforeTheGivenIndexWithCaptionWidthAndAlignment) {
    grid.append_row({QString("a"), 1.0});
    grid.insert_column(1, "Entry 1", 60, CGridControl::Align::Right);
    ASSERT_EQ(grid.column_count(), 3);
    EXPECT_EQ(grid.caption(0), "Name");
    EXPECT_EQ(grid.caption(1), "Entry 1");
    EXPECT_EQ(grid.caption(2), "Time");
    EXPECT_EQ(grid.columnWidth(1), 60);
    EXPECT_EQ(grid.cell_text(0, 2), "1");  // the old cell moved right
    grid.set_cell_text(0, 1, "new");
    EXPECT_TRUE(grid.item(0, 1)->textAlignment() & Qt::AlignRight);
    grid.remove_all_columns();
    EXPECT_EQ(grid.column_count(), 0);
}

TEST_F(GridFixture, HeaderClicksSortNumbersNumericallyAndAlternateTheOrder) {
    grid.set_header_sorting(true);
    grid.append_row({QString("b"), 100.0});
    grid.append_row({QString("a"), 9.0});
    grid.append_row({QString("c"), 20.0});
    QSignalSpy sorted(&grid, &CGridControl::rowsSorted);
    const QPoint time_header(grid.horizontalHeader()->sectionViewportPosition(1) + 5, 5);
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, time_header);
    ASSERT_EQ(sorted.count(), 1);
    EXPECT_EQ(grid.cell_text(0, 0), "a");  // 9 < 20 < 100 (not "100" < "20" < "9")
    EXPECT_EQ(grid.cell_text(1, 0), "c");
    EXPECT_EQ(grid.cell_text(2, 0), "b");
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, time_header);
    EXPECT_EQ(grid.cell_text(0, 0), "b");
}

TEST_F(GridFixture, WithoutHeaderSortingAClickLeavesTheOrder) {
    grid.append_row({QString("b"), 2.0});
    grid.append_row({QString("a"), 1.0});
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(grid.cell_text(0, 0), "b");
}

TEST_F(GridFixture, ProgramChangesDoNotNotifyButUserEditsDo) {
    QSignalSpy changed(&grid, &CGridControl::cellValueChanged);
    grid.append_row({QString("a"), 1.0});
    grid.set_cell_text(0, 0, "b");
    grid.set_cell_number(0, 1, 4.0);
    EXPECT_EQ(changed.count(), 0);
    grid.item(0, 0)->setText("typed");  // what the item editor does on commit
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 0);
    EXPECT_EQ(changed.at(0).at(1).toInt(), 0);
}

TEST_F(GridFixture, ChoiceCellsOfferTabSeparatedItemsAndReportTheUsersChoice) {
    grid.append_row({QString("rate"), QString("22050")});
    grid.set_cell_choices(0, 1, "44100\t22050\t11025");
    EXPECT_EQ(grid.cell_choices(0, 1), (QStringList{"44100", "22050", "11025"}));
    auto* combo = qobject_cast<QComboBox*>(grid.cellWidget(0, 1));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), "22050");
    QSignalSpy changed(&grid, &CGridControl::cellValueChanged);
    combo->setCurrentIndex(2);
    emit combo->activated(2);  // what a user's pick emits
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(grid.cell_text(0, 1), "11025");
    EXPECT_EQ(grid.cell_number(0, 1), 11025.0);
}

TEST_F(GridFixture, AChoiceListWithoutTheCurrentTextFallsBackToItsFirstItem) {
    grid.append_row({QString("in"), QString("Speaker")});
    grid.set_cell_choices(0, 1, "Mic\tLine");
    EXPECT_EQ(grid.cell_text(0, 1), "Mic");
}

TEST_F(GridFixture, ALockedCheckCellCannotBeChangedByTheUser) {
    grid.append_row({QString("Audio"), 0.0});
    grid.append_row({QString("1"), 0.0});
    grid.set_cell_check(0, 1, true, false);
    grid.set_cell_check(1, 1, false, true);
    EXPECT_FALSE(grid.item(0, 1)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(grid.item(1, 1)->flags() & Qt::ItemIsUserCheckable);
    QSignalSpy changed(&grid, &CGridControl::cellValueChanged);
    grid.item(1, 1)->setCheckState(Qt::Checked);  // a user's click
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(grid.cell_checked(1, 1));
    EXPECT_EQ(grid.cell_text(0, 1), "1");
    EXPECT_EQ(grid.cell_text(1, 1), "1");
}

TEST_F(GridFixture, ReadOnlyGridsRefuseEditing) {
    grid.append_row({QString("a"), 1.0});
    grid.set_read_only(true);
    EXPECT_FALSE(grid.item(0, 0)->flags() & Qt::ItemIsEditable);
    grid.append_row({QString("b"), 2.0});
    EXPECT_FALSE(grid.item(1, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(GridFixture, RowCaptionsDefaultToTheRowNumber) {
    grid.append_row({});
    grid.append_row({});
    grid.set_row_caption(0, "Audio");
    EXPECT_EQ(grid.row_caption(0), "Audio");
    EXPECT_EQ(grid.row_caption(1), "2");
}

}  // namespace
}  // namespace vox
