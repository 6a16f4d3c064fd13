#pragma once
// CFormLog: the measurement log's form. It keeps the log table and shows it
// in a grid: added entries append rows (value columns inserted before
// "Comments" as they are needed), Save and Save As write the tab-separated
// file, and a file opened replaces the table. Cells typed by the person
// change the table and mark it modified.

#include <QWidget>

#include <string>

#include "core/annotation/measurement_log.h"
#include "core/platform/user_prompts.h"

namespace vox {

class CGridControl;

class CFormLog : public QWidget {
    Q_OBJECT
public:
    static constexpr int kValueColumnWidth = 60;   // pixels, value columns of added entries
    static constexpr int kOpenedColumnWidth = 80;  // pixels, every column of an opened file
    static constexpr int kFixedColumnWidth = 160;  // pixels, the starting columns
    static constexpr int kMaxFittedWidth = 600;    // pixels, the widest a column grows to fit its cells

    explicit CFormLog(UserPrompts& prompts, QWidget* parent = nullptr);

    // One row from the record; a failure beeps and shows "Error in adding
    // data into the log file.".
    bool add_entry(const LogEntry& entry);

    // Save to the log's file, or ask for one when it has none. False when
    // nothing was written.
    bool save();
    // The "Save As Text" file dialog, then the file written.
    bool save_as();
    // Replaces the table by the file's; false (message shown, table kept)
    // when it could not be read.
    bool open_file(const std::string& path);

    const MeasurementLog& log() const { return log_; }
    bool modified() const { return log_.modified(); }
    const std::string& path() const { return path_; }
    // "Untitled LogWindow" until saved or opened under a file name.
    QString title() const;
    CGridControl* grid() const { return grid_; }

signals:
    void titleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    bool write_to(const std::string& path);
    void fill_grid(int column_width);
    // Widens the columns to the cells of rows first_row .. end_row - 1.
    void fit_columns(int first_row, int end_row);
    void on_cell_changed(int row, int col);

    UserPrompts& prompts_;
    MeasurementLog log_;
    std::string path_;
    CGridControl* grid_;
};

}  // namespace vox
