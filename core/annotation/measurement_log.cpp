#include "core/annotation/measurement_log.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/annotation/log_texts.h"
#include "core/io/binary_file.h"

namespace vox {

namespace {

std::string limited(std::string_view s) {
    return std::string(s.substr(0, std::min(s.size(), LogEntry::kTextLimit)));
}

std::string strip_leading_blanks(const char* s) {
    while (*s == ' ') ++s;
    return s;
}

// "%10.1f" with every blank removed.
std::string number_cell_text(double v) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%10.1f", v);
    std::string out;
    for (const char* p = buf; *p; ++p)
        if (*p != ' ') out.push_back(*p);
    return out;
}

// A cell's text never carries the file's separators: a TAB or a line end
// inside a label text would split the cell or the row when read back.
std::string file_safe(std::string s) {
    for (char& ch : s)
        if (ch == '\t' || ch == '\r' || ch == '\n') ch = ' ';
    return s;
}

std::string entry_caption(std::size_t number) {
    char buf[32];
    std::snprintf(buf, sizeof buf, log_text::kEntryCaptionFormat, static_cast<int>(number));
    return buf;
}

}  // namespace

const char* LogEntryHeader(LogEntryKind kind) {
    using K = LogEntryKind;
    switch (kind) {
    case K::Duration: return log_text::kDuration;
    case K::PitchMarker: return log_text::kPitchMarker;
    case K::PitchSelection: return log_text::kPitchSelection;
    case K::PitchAll: return log_text::kPitchAll;
    case K::LabelsSelection: return log_text::kLabelsSelection;
    case K::LabelsAll: return log_text::kLabelsAll;
    case K::FftLpcMarker: return log_text::kFftLpcMarker;
    case K::FftLpcMarkerLpc: return log_text::kFftLpcMarkerLpc;
    case K::FftLpcFormants: return log_text::kFftLpcFormants;
    case K::SpecMarker: return log_text::kSpectrogramMarker;
    case K::SpecDuration: return log_text::kSpectrogramDuration;
    case K::SpecFormantsMarker: return log_text::kSpectrogramFormantsMarker;
    case K::SpecFormantsDuration: return log_text::kSpectrogramFormantsDuration;
    }
    return "";
}

std::string FormatLogValue(double value) {
    // A field of 100 characters; the buffer holds any double in this form
    // (at most 309 digits before the point).
    char buf[512];
    std::snprintf(buf, sizeof buf, "%100.1f", value);
    return strip_leading_blanks(buf);
}

// --- entry record ------------------------------------------------------------------

LogEntry::LogEntry(std::string_view file, LogEntryKind kind)
    : file_name(limited(file)), definition(limited(LogEntryHeader(kind))) {}

bool LogEntry::add(double value) { return add_text(FormatLogValue(value)); }

bool LogEntry::add_text(std::string_view text) {
    if (values.size() >= kMaxValues) return false;
    values.push_back(limited(text));
    return true;
}

// --- table ---------------------------------------------------------------------------

MeasurementLog::MeasurementLog() { reset(); }

void MeasurementLog::reset() {
    captions_ = {log_text::kFileNameCaption, log_text::kDefinitionCaption, log_text::kCommentsCaption};
    rows_.clear();
    modified_ = false;
}

std::string MeasurementLog::cell_text(std::size_t r, std::size_t c) const {
    if (r >= rows_.size() || c >= rows_[r].size()) return {};
    const Cell& v = rows_[r][c];
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    if (const auto* d = std::get_if<double>(&v)) return number_cell_text(*d);
    return {};
}

void MeasurementLog::set_cell(std::size_t r, std::size_t c, Cell value) {
    if (r >= rows_.size() || c >= captions_.size()) return;
    if (rows_[r].size() < captions_.size()) rows_[r].resize(captions_.size());
    rows_[r][c] = std::move(value);
}

MeasurementLog::Added MeasurementLog::add_entry(const LogEntry& entry) {
    Added added;
    const std::size_t v = std::min(entry.values.size(), LogEntry::kMaxValues);
    const std::size_t t = captions_.size();
    if (v + 3 > t) {
        added.new_columns = v + 3 - t;
        // Before the last column ("Comments"), numbered on from the value
        // columns already there.
        added.first_new_column = t > 0 ? t - 1 : 0;
        const std::size_t first_number = (t > 3 ? t - 3 : 0) + 1;
        for (std::size_t k = 0; k < added.new_columns; ++k) {
            const std::size_t at = added.first_new_column + k;
            captions_.insert(captions_.begin() + static_cast<std::ptrdiff_t>(at), entry_caption(first_number + k));
            for (auto& row : rows_)
                if (at <= row.size()) row.emplace(row.begin() + static_cast<std::ptrdiff_t>(at));
        }
    }
    std::vector<Cell> row(captions_.size());
    row[0] = limited(entry.file_name);
    if (row.size() > 1) row[1] = limited(entry.definition);
    for (std::size_t i = 0; i < v && i + 2 < row.size(); ++i) {
        const std::string& s = entry.values[i];
        row[i + 2] = s.substr(std::min(s.find_first_not_of(' '), s.size()));
    }
    rows_.push_back(std::move(row));
    modified_ = true;
    return added;
}

// --- file form -------------------------------------------------------------------------

std::string MeasurementLog::to_text() const {
    std::string out;
    for (const std::string& c : captions_) {
        out += file_safe(c);
        out += '\t';
    }
    out += "\r\n";
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t c = 0; c < captions_.size(); ++c) {
            out += file_safe(cell_text(r, c));
            out += '\t';
        }
        out += "\r\n";
    }
    return out;
}

std::optional<MeasurementLog> MeasurementLog::parse(std::string_view text, UserPrompts& prompts) {
    if (text.empty()) {
        prompts.message(log_text::kZeroLength, MessageIcon::Warning);
        return std::nullopt;
    }
    // Lines end at CR or LF; empty lines are skipped.
    std::vector<std::vector<std::string>> lines;
    std::size_t columns = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        if (line.size() > kMaxLineLength) {
            // Abandoned: the table stays as it was.
            prompts.message(log_text::kNotValid, MessageIcon::Warning);
            return std::nullopt;
        }
        // The cells are the texts before each TAB.
        std::vector<std::string> cells;
        std::size_t start = 0;
        for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
            cells.emplace_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        columns = std::max(columns, cells.size());
        lines.push_back(std::move(cells));
    }
    if (lines.empty() || columns == 0) {
        prompts.message(log_text::kNotValid, MessageIcon::Warning);
        return std::nullopt;
    }
    MeasurementLog log;
    log.captions_ = std::move(lines[0]);
    log.captions_.resize(columns);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<Cell> row(columns);
        for (std::size_t c = 0; c < lines[i].size(); ++c)
            if (!lines[i][c].empty()) row[c] = std::move(lines[i][c]);
        log.rows_.push_back(std::move(row));
    }
    log.modified_ = false;
    return log;
}

bool MeasurementLog::write_file(const std::string& path, UserPrompts& prompts) {
    const std::string text = to_text();
    // Through a partial file renamed over the old one: a full disk leaves the
    // previous log whole instead of truncated.
    if (!write_file_atomically(path, text.data(), text.size())) {
        prompts.message(log_text::kOpenError, MessageIcon::Error);
        return false;
    }
    modified_ = false;
    return true;
}

bool MeasurementLog::read_file(const std::string& path, UserPrompts& prompts) {
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        prompts.message(log_text::kOpenError, MessageIcon::Error);
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    auto parsed = parse(text, prompts);
    if (!parsed) return false;
    *this = std::move(*parsed);
    return true;
}

}  // namespace vox
