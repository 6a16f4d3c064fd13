#include "core/annotation/label_import.h"

#include <charconv>
#include <cstring>

namespace vox {

namespace {

constexpr std::size_t kMaxTextBytes = sizeof(LABEL::text) - 1;  // 255 and the NUL

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Cuts at most `limit` bytes without leaving half a UTF-8 sequence at the end.
std::string cut_text(std::string_view s, std::size_t limit) {
    if (s.size() <= limit) return std::string(s);
    std::size_t n = limit;
    // s[n] is the first byte left out: while it continues a sequence, the
    // sequence it belongs to goes too.
    std::size_t back = 0;
    while (n > 0 && back < 4 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
        --n;
        ++back;
    }
    if (back == 4) n = limit;  // not UTF-8 after all: cut where asked
    return std::string(s.substr(0, n));
}

void parse_line(std::string_view line, std::vector<ImportedLine>& out) {
    if (line.empty() || !(is_digit(line[0]) || line[0] == '.')) return;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return;  // no time field: not a label line
    const std::string_view field = line.substr(0, tab);
    double time = 0.0;
    // The number as far as it reads; trailing characters of the field are
    // ignored, a field with no number at all (".") makes no label.
    const auto res = std::from_chars(field.data(), field.data() + field.size(), time, std::chars_format::general);
    if (res.ec != std::errc()) return;
    out.push_back(ImportedLine{time, cut_text(line.substr(tab + 1), kMaxTextBytes)});
}

}  // namespace

std::vector<ImportedLine> ParseLabelFile(std::string_view contents) {
    std::vector<ImportedLine> out;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t end = contents.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = contents.size();
        parse_line(contents.substr(start, end - start), out);
        start = end + 1;
    }
    return out;
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
