#include "gui/annotation/form_log.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QResizeEvent>

#include <algorithm>

#include "core/annotation/log_texts.h"
#include "gui/grid/grid_control.h"

namespace vox {

CFormLog::CFormLog(UserPrompts& prompts, QWidget* parent) : QWidget(parent), prompts_(prompts) {
    grid_ = new CGridControl(this);
    fill_grid(kFixedColumnWidth);
    connect(grid_, &CGridControl::cellValueChanged, this, &CFormLog::on_cell_changed);
}

QString CFormLog::title() const {
    return path_.empty() ? QString::fromLatin1(log_text::kUntitled) : QString::fromStdString(path_);
}

void CFormLog::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    grid_->setGeometry(rect());
}

void CFormLog::fill_grid(int column_width) {
    grid_->remove_all_rows();
    grid_->remove_all_columns();
    for (const std::string& c : log_.captions())
        grid_->insert_column(grid_->column_count(), QString::fromStdString(c), column_width);
    for (std::size_t r = 0; r < log_.row_count(); ++r) {
        std::vector<CGridControl::Cell> cells;
        for (std::size_t c = 0; c < log_.column_count(); ++c) {
            const auto& v = log_.row(r)[c];
            if (const auto* d = std::get_if<double>(&v)) cells.emplace_back(*d);
            else if (const auto* s = std::get_if<std::string>(&v)) cells.emplace_back(QString::fromStdString(*s));
            else cells.emplace_back(std::monostate{});
        }
        grid_->append_row(cells);
    }
    fit_columns(0, grid_->row_count());
}

void CFormLog::fit_columns(int first_row, int end_row) {
    // A column grows to its widest caption or cell among the rows given, up
    // to kMaxFittedWidth, so that nothing is cut short while room is left;
    // it never shrinks below the width it has (the person's own included).
    const QFontMetrics fm(grid_->font());
    const int pad = 2 * fm.horizontalAdvance(QLatin1Char('0')) + 6;  // cell margins and grid line, px
    for (int c = 0; c < grid_->column_count(); ++c) {
        int need = grid_->horizontalHeader()->sectionSizeHint(c);
        for (int r = first_row; r < end_row; ++r) need = std::max(need, fm.horizontalAdvance(grid_->cell_text(r, c)) + pad);
        need = std::min(need, kMaxFittedWidth);
        if (grid_->columnWidth(c) < need) grid_->set_column_width(c, need);
    }
}

bool CFormLog::add_entry(const LogEntry& entry) {
    try {
        const auto added = log_.add_entry(entry);
        for (std::size_t k = 0; k < added.new_columns; ++k) {
            const int at = static_cast<int>(added.first_new_column + k);
            grid_->insert_column(at, QString::fromStdString(log_.captions()[at]), kValueColumnWidth,
                                 CGridControl::Align::Right);
        }
        const std::size_t r = log_.row_count() - 1;
        std::vector<CGridControl::Cell> cells;
        for (std::size_t c = 0; c < log_.column_count(); ++c) {
            const auto& v = log_.row(r)[c];
            if (const auto* s = std::get_if<std::string>(&v)) cells.emplace_back(QString::fromStdString(*s));
            else cells.emplace_back(std::monostate{});
        }
        grid_->append_row(cells);
        fit_columns(grid_->row_count() - 1, grid_->row_count());
        grid_->scrollToBottom();
        return true;
    } catch (const std::exception&) {
        prompts_.beep();
        prompts_.message(log_text::kAddError, MessageIcon::Error);
        return false;
    }
}

void CFormLog::on_cell_changed(int row, int col) {
    // What the person types is part of the log: a later close asks about it.
    const CGridControl::Cell v = grid_->cell_value(row, col);
    if (const auto* d = std::get_if<double>(&v)) log_.set_cell(row, col, *d);
    else if (const auto* s = std::get_if<QString>(&v)) log_.set_cell(row, col, s->toStdString());
    else log_.set_cell(row, col, std::monostate{});
    log_.set_modified(true);
}

bool CFormLog::write_to(const std::string& path) {
    if (!log_.write_file(path, prompts_)) return false;
    if (path != path_) {
        path_ = path;
        emit titleChanged(title());
    }
    return true;
}

bool CFormLog::save() {
    if (path_.empty()) return save_as();
    return write_to(path_);
}

bool CFormLog::save_as() {
    FileDialogRequest req;
    req.title = log_text::kSaveAsTextTitle;
    req.default_name = path_;
    req.default_extension = log_text::kTextExtension;
    req.filter = log_text::kTextFilter;
    const auto choice = prompts_.choose_save_file(req);
    if (!choice || choice->path.empty()) return false;
    return write_to(choice->path);
}

bool CFormLog::open_file(const std::string& path) {
    if (!log_.read_file(path, prompts_)) return false;
    path_ = path;
    fill_grid(kOpenedColumnWidth);
    emit titleChanged(title());
    return true;
}

}  // namespace vox
