#include "gui/grid/grid_control.h"

#include <QComboBox>
#include <QHeaderView>

#include <cmath>

namespace vox {

namespace {

// Holds the number of a numeric cell so that sorting compares numbers.
constexpr int kNumberRole = Qt::UserRole + 1;
// Marks a cell made a check cell (items are user-checkable by default, so the
// flag alone does not tell).
constexpr int kCheckRole = Qt::UserRole + 2;

class GridItem : public QTableWidgetItem {
public:
    GridItem() : QTableWidgetItem(QTableWidgetItem::UserType) {}
    QTableWidgetItem* clone() const override { return new GridItem(*this); }
    bool operator<(const QTableWidgetItem& other) const override {
        const QVariant a = data(kNumberRole), b = other.data(kNumberRole);
        if (a.isValid() && b.isValid()) return a.toDouble() < b.toDouble();
        // Numbers before texts; empty cells last in ascending order.
        if (a.isValid() != b.isValid()) return a.isValid();
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

QString format_number(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15) return QString::number(v, 'f', 0);
    return QString::number(v, 'g', 6);
}

}  // namespace

CGridControl::CGridControl(QWidget* parent) : QTableWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->setSectionsClickable(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(this, &QTableWidget::itemChanged, this, &CGridControl::on_item_changed);
    connect(this, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int) { emit currentCellMoved(row, col); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CGridControl::on_header_clicked);
}

void CGridControl::check_column(int col) const {
    if (col < 0 || col >= columnCount()) throw GridError("grid column out of range");
}

void CGridControl::check_cell(int row, int col) const {
    if (row < 0 || row >= rowCount()) throw GridError("grid row out of range");
    check_column(col);
}

Qt::Alignment CGridControl::column_alignment(int col) const {
    const Align a = col >= 0 && col < static_cast<int>(alignments_.size()) ? alignments_[col] : Align::Left;
    switch (a) {
    case Align::Center: return Qt::AlignCenter;
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QTableWidgetItem* CGridControl::item_at(int row, int col) {
    check_cell(row, col);
    QTableWidgetItem* it = item(row, col);
    if (!it) {
        ++quiet_;
        it = new GridItem;
        it->setTextAlignment(column_alignment(col));
        if (read_only_) it->setFlags(it->flags() & ~Qt::ItemIsEditable);
        setItem(row, col, it);
        --quiet_;
    }
    return it;
}

void CGridControl::append_row(const std::vector<Cell>& values) {
    const int row = rowCount();
    ++quiet_;
    insertRow(row);
    for (int c = 0; c < columnCount(); ++c) {
        item_at(row, c);
        if (c < static_cast<int>(values.size())) set_cell_value(row, c, values[c]);
    }
    --quiet_;
}

void CGridControl::remove_all_rows() {
    ++quiet_;
    setRowCount(0);
    --quiet_;
}

void CGridControl::set_row_caption(int row, const QString& caption) {
    if (row < 0 || row >= rowCount()) throw GridError("grid row out of range");
    setVerticalHeaderItem(row, new QTableWidgetItem(caption));
}

QString CGridControl::row_caption(int row) const {
    if (row < 0 || row >= rowCount()) throw GridError("grid row out of range");
    const QTableWidgetItem* h = verticalHeaderItem(row);
    return h ? h->text() : QString::number(row + 1);
}

QString CGridControl::cell_text(int row, int col) const {
    check_cell(row, col);
    const QTableWidgetItem* it = item(row, col);
    if (!it) return QString();
    if (it->data(kCheckRole).toBool())
        return it->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
    return it->text();
}

std::optional<double> CGridControl::cell_number(int row, int col) const {
    check_cell(row, col);
    const QTableWidgetItem* it = item(row, col);
    if (!it) return std::nullopt;
    const QVariant n = it->data(kNumberRole);
    if (n.isValid()) return n.toDouble();
    bool ok = false;
    const double v = cell_text(row, col).trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return v;
}

CGridControl::Cell CGridControl::cell_value(int row, int col) const {
    check_cell(row, col);
    const QTableWidgetItem* it = item(row, col);
    if (!it) return std::monostate{};
    const QVariant n = it->data(kNumberRole);
    if (n.isValid()) return n.toDouble();
    if (it->text().isEmpty()) return std::monostate{};
    return it->text();
}

void CGridControl::set_cell_text(int row, int col, const QString& text) {
    QTableWidgetItem* it = item_at(row, col);
    ++quiet_;
    it->setData(kNumberRole, QVariant());
    it->setText(text);
    if (auto* combo = qobject_cast<QComboBox*>(cellWidget(row, col))) {
        const int i = combo->findText(text);
        if (i >= 0) combo->setCurrentIndex(i);
    }
    --quiet_;
}

void CGridControl::set_cell_number(int row, int col, double value, const QString& formatted) {
    QTableWidgetItem* it = item_at(row, col);
    ++quiet_;
    it->setText(formatted.isNull() ? format_number(value) : formatted);
    it->setData(kNumberRole, value);
    if (auto* combo = qobject_cast<QComboBox*>(cellWidget(row, col))) {
        const int i = combo->findText(it->text());
        if (i >= 0) combo->setCurrentIndex(i);
    }
    --quiet_;
}

void CGridControl::set_cell_value(int row, int col, const Cell& value) {
    if (const auto* t = std::get_if<QString>(&value))
        set_cell_text(row, col, *t);
    else if (const auto* d = std::get_if<double>(&value))
        set_cell_number(row, col, *d);
    else
        set_cell_text(row, col, QString());
}

void CGridControl::set_cell_choices(int row, int col, const QString& tab_separated) {
    QTableWidgetItem* it = item_at(row, col);
    const QStringList items = tab_separated.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    auto* combo = qobject_cast<QComboBox*>(cellWidget(row, col));
    ++quiet_;
    if (!combo) {
        combo = new QComboBox;
        combo->setFrame(false);
        setCellWidget(row, col, combo);
        // Follow the widget's index, not (row, col): sorting moves rows.
        const QPersistentModelIndex where = indexFromItem(it);
        connect(combo, &QComboBox::activated, this, [this, combo, where](int) {
            if (!where.isValid()) return;
            QTableWidgetItem* cell = item(where.row(), where.column());
            if (!cell) return;
            ++quiet_;
            cell->setData(kNumberRole, QVariant());
            cell->setText(combo->currentText());
            --quiet_;
            emit cellValueChanged(where.row(), where.column());
        });
    }
    combo->clear();
    combo->addItems(items);
    const int i = combo->findText(it->text());
    combo->setCurrentIndex(i >= 0 ? i : (items.isEmpty() ? -1 : 0));
    if (i < 0 && !items.isEmpty()) {
        it->setData(kNumberRole, QVariant());
        it->setText(items.front());
    }
    combo->setEnabled(!read_only_ && (it->flags() & Qt::ItemIsEnabled));
    --quiet_;
}

QStringList CGridControl::cell_choices(int row, int col) const {
    check_cell(row, col);
    QStringList out;
    if (const auto* combo = qobject_cast<const QComboBox*>(cellWidget(row, col)))
        for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

void CGridControl::set_cell_check(int row, int col, bool checked, bool user_changeable) {
    QTableWidgetItem* it = item_at(row, col);
    ++quiet_;
    it->setText(QString());
    it->setData(kNumberRole, QVariant());
    Qt::ItemFlags f = it->flags() & ~Qt::ItemIsEditable;
    if (user_changeable && !read_only_)
        f |= Qt::ItemIsUserCheckable | Qt::ItemIsEnabled;
    else
        f &= ~Qt::ItemIsUserCheckable;
    it->setFlags(f);
    it->setData(kCheckRole, true);
    it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    --quiet_;
}

bool CGridControl::cell_checked(int row, int col) const {
    check_cell(row, col);
    const QTableWidgetItem* it = item(row, col);
    return it && it->checkState() == Qt::Checked;
}

QString CGridControl::caption(int col) const {
    check_column(col);
    const QTableWidgetItem* h = horizontalHeaderItem(col);
    return h ? h->text() : QString();
}

void CGridControl::set_caption(int col, const QString& caption) {
    check_column(col);
    setHorizontalHeaderItem(col, new QTableWidgetItem(caption));
}

void CGridControl::insert_column(int index, const QString& caption, int width_px, Align align) {
    if (index < 0 || index > columnCount()) throw GridError("grid column out of range");
    ++quiet_;
    insertColumn(index);
    alignments_.insert(alignments_.begin() + std::min<std::size_t>(index, alignments_.size()), align);
    setHorizontalHeaderItem(index, new QTableWidgetItem(caption));
    setColumnWidth(index, width_px);
    for (int r = 0; r < rowCount(); ++r) item_at(r, index);
    --quiet_;
}

void CGridControl::remove_all_columns() {
    ++quiet_;
    setColumnCount(0);
    alignments_.clear();
    sorted_column_ = -1;
    --quiet_;
}

void CGridControl::set_read_only(bool read_only) {
    read_only_ = read_only;
    setEditTriggers(read_only ? QAbstractItemView::NoEditTriggers
                              : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                    QAbstractItemView::AnyKeyPressed);
    ++quiet_;
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c) {
            if (QTableWidgetItem* it = item(r, c)) {
                if (read_only) it->setFlags(it->flags() & ~(Qt::ItemIsEditable | Qt::ItemIsUserCheckable));
                else if (!it->data(Qt::CheckStateRole).isValid()) it->setFlags(it->flags() | Qt::ItemIsEditable);
            }
            if (QWidget* w = cellWidget(r, c)) w->setEnabled(!read_only);
        }
    --quiet_;
}

void CGridControl::set_cell_read_only(int row, int col, bool read_only) {
    QTableWidgetItem* it = item_at(row, col);
    ++quiet_;
    if (read_only)
        it->setFlags(it->flags() & ~(Qt::ItemIsEditable | Qt::ItemIsUserCheckable));
    else if (it->data(Qt::CheckStateRole).isValid())
        it->setFlags(it->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    else
        it->setFlags(it->flags() | Qt::ItemIsEditable);
    if (QWidget* w = cellWidget(row, col)) w->setEnabled(!read_only);
    --quiet_;
}

void CGridControl::set_column_alignment(int col, Align align) {
    check_column(col);
    if (static_cast<int>(alignments_.size()) < columnCount()) alignments_.resize(columnCount(), Align::Left);
    alignments_[col] = align;
    ++quiet_;
    for (int r = 0; r < rowCount(); ++r)
        if (QTableWidgetItem* it = item(r, col)) it->setTextAlignment(column_alignment(col));
    --quiet_;
}

void CGridControl::set_column_width(int col, int width_px) {
    check_column(col);
    setColumnWidth(col, width_px);
}

void CGridControl::set_font_size(int points) {
    QFont f = font();
    f.setPointSize(points);
    setFont(f);
    verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 6);
}

void CGridControl::set_cell_colours(int row, int col, const QColor& text, const QColor& background) {
    QTableWidgetItem* it = item_at(row, col);
    ++quiet_;
    it->setForeground(text);
    it->setBackground(background);
    --quiet_;
}

void CGridControl::sort_by_column(int col, Qt::SortOrder order) {
    check_column(col);
    ++quiet_;
    sortItems(col, order);
    --quiet_;
    sorted_column_ = col;
    sort_order_ = order;
    emit rowsSorted(col, order);
}

void CGridControl::on_header_clicked(int col) {
    if (!header_sorting_ || col < 0 || col >= columnCount()) return;
    const Qt::SortOrder order = (col == sorted_column_ && sort_order_ == Qt::AscendingOrder) ? Qt::DescendingOrder
                                                                                              : Qt::AscendingOrder;
    sort_by_column(col, order);
}

void CGridControl::on_item_changed(QTableWidgetItem* it) {
    if (quiet_ > 0 || !it) return;
    // A user's edit replaces a stored number by the typed text.
    if (it->data(kNumberRole).isValid()) {
        ++quiet_;
        bool ok = false;
        const double v = it->text().trimmed().toDouble(&ok);
        it->setData(kNumberRole, ok ? QVariant(v) : QVariant());
        --quiet_;
    }
    emit cellValueChanged(it->row(), it->column());
}

}  // namespace vox
