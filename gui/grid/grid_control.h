#pragma once
// CGridControl: the table every tabular window of the program goes through —
// the label table, the measurement log, the record-and-play form and the
// calibration and tier option dialogs. A thin layer over QTableWidget with
// the few operations those windows use: rows appended with initial values,
// cells read and written as text or number, columns inserted with caption,
// width and alignment, appearance switches, choice-list and check-box cells,
// sorting by a header click, and two notifications back to the owner.
//
// Indices out of range throw GridError, so that a window filling the grid can
// catch the failure and report it with its own message.

#include <QStringList>
#include <QTableWidget>

#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

namespace vox {

class GridError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CGridControl : public QTableWidget {
    Q_OBJECT
public:
    enum class Align { Left, Center, Right };
    // One cell's value: empty, a text, or a number.
    using Cell = std::variant<std::monostate, QString, double>;

    explicit CGridControl(QWidget* parent = nullptr);

    // --- rows ----------------------------------------------------------------
    int row_count() const { return rowCount(); }
    // Appends a row; values beyond the column count are ignored, missing ones
    // leave the cell empty.
    void append_row(const std::vector<Cell>& values);
    void remove_all_rows();
    // The row header text (the default is the row number from 1).
    void set_row_caption(int row, const QString& caption);
    QString row_caption(int row) const;

    // --- cells ----------------------------------------------------------------
    // The text a cell shows (a choice cell: its chosen item; a check cell: "1"
    // or "0").
    QString cell_text(int row, int col) const;
    // The cell's number: the stored number, or the shown text read as a
    // number; nothing when the cell is empty or its text is not a number.
    std::optional<double> cell_number(int row, int col) const;
    Cell cell_value(int row, int col) const;
    void set_cell_text(int row, int col, const QString& text);
    // Shows `formatted` when given, else the number as the grid formats it
    // (shortest form, up to six significant digits). Sorting compares the number.
    void set_cell_number(int row, int col, double value, const QString& formatted = QString());
    void set_cell_value(int row, int col, const Cell& value);

    // A cell offering a fixed list of items (a drop-down); `tab_separated`
    // holds the items separated by tab characters. The current item is the
    // one equal to the cell's text, else the first.
    void set_cell_choices(int row, int col, const QString& tab_separated);
    QStringList cell_choices(int row, int col) const;
    // A check-box cell; a disabled one cannot be changed by the user.
    void set_cell_check(int row, int col, bool checked, bool user_changeable = true);
    bool cell_checked(int row, int col) const;

    // --- columns ----------------------------------------------------------------
    int column_count() const { return columnCount(); }
    QString caption(int col) const;
    void set_caption(int col, const QString& caption);
    // Inserts a column before `index` (index == column_count() appends).
    void insert_column(int index, const QString& caption, int width_px, Align align = Align::Left);
    void remove_all_columns();

    // --- appearance and behaviour ----------------------------------------------
    void set_read_only(bool read_only);
    void set_cell_read_only(int row, int col, bool read_only);
    void set_column_alignment(int col, Align align);
    void set_column_width(int col, int width_px);
    void set_font_size(int points);
    void set_cell_colours(int row, int col, const QColor& text, const QColor& background);
    // Clicking a column header sorts the rows by that column, alternating
    // ascending and descending (numbers compare as numbers, texts as texts).
    void set_header_sorting(bool on) { header_sorting_ = on; }
    void sort_by_column(int col, Qt::SortOrder order);

signals:
    // The user changed a cell's value (typing, a choice or a check box);
    // values set by the program do not notify.
    void cellValueChanged(int row, int col);
    // The current cell moved (by the user or the program).
    void currentCellMoved(int row, int col);
    // The rows were re-ordered by a header click.
    void rowsSorted(int col, Qt::SortOrder order);

private:
    void check_cell(int row, int col) const;
    void check_column(int col) const;
    QTableWidgetItem* item_at(int row, int col);
    Qt::Alignment column_alignment(int col) const;
    void on_item_changed(QTableWidgetItem* item);
    void on_header_clicked(int col);

    std::vector<Align> alignments_;
    bool read_only_ = false;
    bool header_sorting_ = false;
    int quiet_ = 0;  // >0 while the program changes cells
    int sorted_column_ = -1;
    Qt::SortOrder sort_order_ = Qt::AscendingOrder;
};

}  // namespace vox
