#pragma once
// Annotation grids and the label tiers of a recording: a grid's tiers become
// tiers of labels, and the tiers in use are written out as a grid of point
// tiers.

#include <cstddef>
#include <string>
#include <vector>

#include "core/annotation/label_import.h"
#include "core/annotation/textgrid.h"
#include "core/document/channels.h"

namespace vox {

namespace textgrid_text {
// "<names>" then the suffix: the grid's tiers beyond the tenth.
inline constexpr const char* kTiersLeftPrefix = "Only the first ten tiers of the TextGrid were read; left out: ";
// "<n>" then the suffix.
inline constexpr const char* kCutSuffix = " label texts were longer than 255 bytes and were cut.";
inline constexpr const char* kOutsideSuffix = " marks of the TextGrid lie outside the recording and were skipped.";
inline constexpr const char* kOverLimitSuffix = " marks were skipped: a tier holds at most 50000 labels.";
inline constexpr const char* kImportTitle = "Open a TextGrid file to import into the tiers";
inline constexpr const char* kExportTitle = "Save the tiers as a TextGrid file";
inline constexpr const char* kFileFilter = "TextGrid files (*.TextGrid)|*.TextGrid|";
inline constexpr const char* kDefaultExtension = "TextGrid";
inline constexpr const char* kTooLarge = "The file is larger than 64 MB: not a TextGrid that can be read.";
inline constexpr const char* kWriteError = "The TextGrid file could not be written.";
// "Line <n> of the TextGrid: <what>" then the suffix.
inline constexpr const char* kMalformedPrefix = "The file is not a TextGrid that can be read. Line ";
}  // namespace textgrid_text

// The tiers of labels a grid gives a recording of duration_ms: the first
// kTierCount tiers, each with its name and its marks as labels (styled as
// imported labels are: left-justified, black, the import font, placement
// 0.7), in time order; with what was left out and why.
struct GridLabels {
    struct TierLabels {
        std::string name;
        std::vector<LABEL> labels;
    };
    std::vector<TierLabels> tiers;
    std::vector<std::string> left_out;  // names of the grid's tiers beyond the tenth
    std::size_t cut_texts = 0;          // texts longer than a label holds
    std::size_t outside = 0;            // marks before 0 or after the recording's end
    std::size_t over_limit = 0;         // marks beyond kMaxLabelsPerTier in a tier
    // One line per kind of loss; empty when nothing was lost.
    std::string message() const;
};
GridLabels LabelsFromGrid(const textgrid::Grid& grid, double duration_ms);

// The grid's labels placed in the channel's tiers 1 … n (their labels and
// names replaced, marked in use); the other tiers are kept.
void PutGridLabels(CChannels& ch, const GridLabels& labels);

// The channel's tiers that hold labels, in order, as point tiers (a tier
// without a name is called "Tier <n>") over 0 … duration_ms.
textgrid::Grid GridFromTiers(const CChannels& ch, double duration_ms);

// The message for a malformed grid.
std::string MalformedGridMessage(const textgrid::ParseError& e);

}  // namespace vox
