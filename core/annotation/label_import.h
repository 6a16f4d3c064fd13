#pragma once
// Import of a plain-text label file into a tier. The file holds one label a
// line, "time<tab>text"; lines end at CR or LF. A line is used only when it
// starts with a digit or "."; the time is the number before the first tab,
// the text everything after that tab. Any other line is ignored.

#include <cstddef>
#include <istream>
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
// The report of lines that did not become labels: "<n>" then the suffix.
inline constexpr const char* kOutsideSuffix = " label lines lie outside the recording and were skipped.";
inline constexpr const char* kOverLimitSuffix = " label lines were skipped: a tier holds at most 50000 labels.";
inline constexpr const char* kTruncated = "Only the first 64 MB of the label file were read.";
}  // namespace import_text

// The most labels one tier takes from imports (about 18 MB of labels); the
// views lay out, draw and list every label of a tier.
inline constexpr std::size_t kMaxLabelsPerTier = 50000;
// The most bytes of a label file that are read.
inline constexpr std::size_t kMaxLabelFileBytes = 64u * 1024 * 1024;

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

// Splits a label file handed over piece by piece (any split points) into
// its used lines. Only the first 4096 bytes of a line are looked at: the
// time field and the 255 bytes of text a label holds lie well within them.
class LabelLineReader {
public:
    static constexpr std::size_t kMaxLineBytes = 4096;
    // Appends the used lines these bytes complete.
    void feed(std::string_view bytes, std::vector<ImportedLine>& out);
    // The end of the file: a last line without line end.
    void finish(std::vector<ImportedLine>& out);

private:
    void end_line(std::vector<ImportedLine>& out);
    std::string line_;  // the start of the line in progress
};

// The used lines of a label file's contents, in order. Texts longer than a
// label holds (255 bytes) are cut there, never inside a UTF-8 sequence.
std::vector<ImportedLine> ParseLabelFile(std::string_view contents);

// The lines of a label file that can become labels of one tier, and the
// used lines that cannot: times (after unit and offset) that are not within
// 0 … duration_ms of the recording, and lines beyond the room left in the
// tier. Memory follows the lines kept, never the size of the file.
struct LabelFileScan {
    std::vector<ImportedLine> kept;
    std::size_t outside = 0;     // time outside the recording (or not a number)
    std::size_t over_limit = 0;  // no room left in the tier
    bool truncated = false;      // the file is longer than kMaxLabelFileBytes
    // The message for the lines skipped; empty when none was.
    std::string message() const;
};
LabelFileScan ScanLabelFile(std::istream& in, const LabelImportChoices& choices, double time_offset_ms,
                            double duration_ms, std::size_t room);

// The label an imported line becomes: time = (number, × 1000 for seconds)
// − time_offset_ms; the chosen justification and line flag; Arial of height
// 14, weight 400; black; placement 0.7.
LABEL ImportedLabel(const ImportedLine& line, const LabelImportChoices& choices, double time_offset_ms);

// Appends the lines as labels to the tier; returns how many were added.
int ImportLabels(CChannels& ch, int tier, const std::vector<ImportedLine>& lines, const LabelImportChoices& choices,
                 double time_offset_ms);

}  // namespace vox
