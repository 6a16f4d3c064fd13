#pragma once
// The measurement log: a table of rows collected from the entry commands of
// the views, and its tab-separated text file.
//
// A row holds the file name, the entry kind's header text and the entry's
// values. The table starts with the columns "File Name", "Entry definition
// and order" and "Comments"; value columns "Entry 1", "Entry 2", ... are
// inserted before the last column as entries need them.
//
// File form: one line of captions, then one line per row; every cell is
// followed by a TAB (the last one too) and every line ends with CR LF.
// Number cells are written "%10.1f" with all blanks removed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/platform/user_prompts.h"

namespace vox {

// The kinds of entry the views emit; each has its header text.
enum class LogEntryKind {
    Duration, PitchMarker, PitchSelection, PitchAll, LabelsSelection, LabelsAll,
    FftLpcMarker, FftLpcMarkerLpc, FftLpcFormants,
    SpecMarker, SpecDuration, SpecFormantsMarker, SpecFormantsDuration,
};
inline constexpr int kLogEntryKindCount = 13;
const char* LogEntryHeader(LogEntryKind kind);

// The shared one-decimal number formatter of the entries: "%100.1f" with the
// leading blanks removed (123.45 -> "123.5").
std::string FormatLogValue(double value);

// What a view hands to the log. Texts are held to the record's field sizes
// (255 characters each) and to at most 100 values.
struct LogEntry {
    static constexpr std::size_t kTextLimit = 255;
    static constexpr std::size_t kMaxValues = 100;

    std::string file_name;
    std::string definition;
    std::vector<std::string> values;

    LogEntry() = default;
    LogEntry(std::string_view file, LogEntryKind kind);
    // Appends a value; false (nothing added) when the record is full.
    bool add(double value);
    bool add_text(std::string_view text);
};

class MeasurementLog {
public:
    // A cell: empty, a text, or a number (typed into the grid).
    using Cell = std::variant<std::monostate, std::string, double>;
    static constexpr std::size_t kMaxLineLength = 999;  // characters, without the line end

    MeasurementLog();

    // Back to the three starting columns and no rows.
    void reset();

    std::size_t column_count() const { return captions_.size(); }
    std::size_t row_count() const { return rows_.size(); }
    const std::vector<std::string>& captions() const { return captions_; }
    const std::vector<Cell>& row(std::size_t r) const { return rows_.at(r); }
    // The text of a cell as shown (a number as "%10.1f" without blanks);
    // empty outside the table.
    std::string cell_text(std::size_t r, std::size_t c) const;
    void set_cell(std::size_t r, std::size_t c, Cell value);

    // Appends the entry's row, first inserting the value columns it needs
    // before the last column. Returns the index of the first inserted column
    // and how many were inserted, so that a grid can follow.
    struct Added {
        std::size_t first_new_column = 0;
        std::size_t new_columns = 0;
    };
    Added add_entry(const LogEntry& entry);

    bool modified() const { return modified_; }
    void set_modified(bool m) { modified_ = m; }

    // The file's text.
    std::string to_text() const;
    // Parses a file's text; nothing (and the message shown) when it is not
    // a log file. The table is untouched either way.
    static std::optional<MeasurementLog> parse(std::string_view text, UserPrompts& prompts);

    // Writes the file (replacing one that exists); false and "Error in
    // opening the file." when it cannot be written. Clears the modified flag.
    bool write_file(const std::string& path, UserPrompts& prompts);
    // Reads a file into this table; false (message shown, table kept) when
    // it cannot be read or is not a log file.
    bool read_file(const std::string& path, UserPrompts& prompts);

private:
    std::vector<std::string> captions_;
    std::vector<std::vector<Cell>> rows_;
    bool modified_ = false;
};

}  // namespace vox
