#pragma once
// Import of a plain-text label file into a tier. The file holds one label a
// line, "time<tab>text"; lines end at CR or LF. A line is used only when it
// starts with a digit or "."; the time is the number before the first tab,
// the text everything after that tab. Any other line is ignored.

#include <string>
#include <string_view>
#include <vector>

#include "core/document/channels.h"

namespace vox {

// Fixed texts of the label import.
namespace import_text {
inline constexpr const char* kOpenError = "Error in opening the file.";
inline constexpr const char* kFileDialogTitle = "Open Label file to import into a tier";
inline constexpr const char* kFileFilter = "Label files (*.TXT)|*.TXT||";
inline constexpr const char* kDefaultExtension = "txt";
inline constexpr const char* kDefaultName = "LabelFile";
}  // namespace import_text

// The choices of the import dialog (the document keeps the last ones).
struct LabelImportChoices {
    bool milliseconds = true;  // time stamps in ms; false: in seconds
    int align = 0;             // 0 left, 1 centre, 2 right
    bool add_line = false;
};

// One used line: its time as written (ms or s) and its text.
struct ImportedLine {
    double time = 0.0;
    std::string text;
};

// The used lines of a label file's contents, in order. Texts longer than a
// label holds (255 bytes) are cut there, never inside a UTF-8 sequence.
std::vector<ImportedLine> ParseLabelFile(std::string_view contents);

// The label an imported line becomes: time = (number, × 1000 for seconds)
// − time_offset_ms; the chosen justification and line flag; Arial of height
// 14, weight 400; black; placement 0.7.
LABEL ImportedLabel(const ImportedLine& line, const LabelImportChoices& choices, double time_offset_ms);

// Appends the lines as labels to the tier; returns how many were added.
int ImportLabels(CChannels& ch, int tier, const std::vector<ImportedLine>& lines, const LabelImportChoices& choices,
                 double time_offset_ms);

}  // namespace vox
