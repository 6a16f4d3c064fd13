#include "core/annotation/label_import.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/annotation/utf8_cut.h"

namespace vox {

namespace {

constexpr std::size_t kMaxTextBytes = sizeof(LABEL::text) - 1;  // 255 and the NUL

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void parse_line(std::string_view line, std::vector<ImportedLine>& out) {
    if (line.empty() || !(is_digit(line[0]) || line[0] == '.')) return;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return;  // no time field: not a label line
    const std::string_view field = line.substr(0, tab);
    double time = 0.0;
    // The number as far as it reads; trailing characters of the field are
    // ignored, a field with no number at all (".") makes no label.
    const auto res = std::from_chars(field.data(), field.data() + field.size(), time, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Too large for a double (the line still counts, with a time no
        // recording reaches) or too small (about 0).
        const std::string_view number(field.data(), static_cast<std::size_t>(res.ptr - field.data()));
        const std::size_t e = number.find_first_of("eE");
        const std::string_view mantissa = number.substr(0, e);
        const bool tiny = e != std::string_view::npos
                              ? e + 1 < number.size() && number[e + 1] == '-'
                              : mantissa.substr(0, mantissa.find('.')).find_first_not_of('0') == std::string_view::npos;
        time = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (res.ec != std::errc()) {
        return;
    }
    out.push_back(ImportedLine{time, cut_utf8(line.substr(tab + 1), kMaxTextBytes)});
}

}  // namespace

void LabelLineReader::end_line(std::vector<ImportedLine>& out) {
    parse_line(line_, out);
    line_.clear();
}

void LabelLineReader::feed(std::string_view bytes, std::vector<ImportedLine>& out) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        const std::size_t stop = end == std::string_view::npos ? bytes.size() : end;
        // Only the head of a long line is kept.
        if (line_.size() < kMaxLineBytes)
            line_.append(bytes.substr(start, std::min(stop - start, kMaxLineBytes - line_.size())));
        if (end == std::string_view::npos) return;
        end_line(out);
        start = end + 1;
    }
}

void LabelLineReader::finish(std::vector<ImportedLine>& out) {
    if (!line_.empty()) end_line(out);
}

std::vector<ImportedLine> ParseLabelFile(std::string_view contents) {
    std::vector<ImportedLine> out;
    LabelLineReader reader;
    reader.feed(contents, out);
    reader.finish(out);
    return out;
}

std::string LabelFileScan::message() const {
    std::string m;
    const auto add = [&m](const std::string& line) {
        if (!m.empty()) m += '\n';
        m += line;
    };
    if (outside) add(std::to_string(outside) + import_text::kOutsideSuffix);
    if (over_limit) add(std::to_string(over_limit) + import_text::kOverLimitSuffix);
    if (truncated) add(import_text::kTruncated);
    return m;
}

LabelFileScan ScanLabelFile(std::istream& in, const LabelImportChoices& choices, double time_offset_ms,
                            double duration_ms, std::size_t room) {
    LabelFileScan scan;
    LabelLineReader reader;
    std::vector<ImportedLine> lines;
    const auto take = [&] {
        for (ImportedLine& l : lines) {
            const double t = ImportedLabel(ImportedLine{l.time, {}}, choices, time_offset_ms).time_ms;
            // A label outside the recording could never be shown, and the
            // native reader drops it when the file is opened again.
            if (!std::isfinite(t) || t < 0.0 || !(t <= duration_ms)) {
                ++scan.outside;
            } else if (scan.kept.size() >= room) {
                ++scan.over_limit;
            } else {
                scan.kept.push_back(std::move(l));
            }
        }
        lines.clear();
    };
    std::vector<char> chunk(64 * 1024);
    std::size_t total = 0;
    while (in && total < kMaxLabelFileBytes) {
        in.read(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), kMaxLabelFileBytes - total)));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        total += got;
        reader.feed(std::string_view(chunk.data(), got), lines);
        take();
    }
    if (total >= kMaxLabelFileBytes && in.peek() != std::char_traits<char>::eof()) {
        // The line cut at the limit is not whole: it makes no label.
        scan.truncated = true;
        return scan;
    }
    reader.finish(lines);
    take();
    return scan;
}

LABEL ImportedLabel(const ImportedLine& line, const LabelImportChoices& choices, double time_offset_ms) {
    LABEL l;
    l.set_text(line.text);
    l.time_ms = (choices.milliseconds ? line.time : line.time * 1000.0) - time_offset_ms;
    l.align = choices.align >= 0 && choices.align <= 2 ? choices.align : 0;
    l.add_line = choices.add_line;
    l.font = LogFont{};
    l.font.height = 14;
    l.font.weight = 400;
    std::memcpy(l.font.face_name, "Arial", 6);
    l.color = 0;
    l.placement = 0.7;
    return l;
}

int ImportLabels(CChannels& ch, int tier, const std::vector<ImportedLine>& lines, const LabelImportChoices& choices,
                 double time_offset_ms) {
    if (tier < 0 || tier >= kTierCount) return 0;
    int added = 0;
    for (const ImportedLine& line : lines) {
        ch.append_label(tier, ImportedLabel(line, choices, time_offset_ms));
        ++added;
    }
    return added;
}

}  // namespace vox
