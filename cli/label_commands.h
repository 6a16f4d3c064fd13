#pragma once
// voxtrel-cli's exchange of label tiers with annotation grids (TextGrid
// files): export of the tiers that hold labels, import into a document
// before it is converted.

#include <string>

#include "core/document/marbeck_doc.h"

namespace vox::cli {

inline constexpr const char* kLabelUsage =
    "  labels FILE --to OUT.TextGrid\n"
    "                             the tiers that hold labels as a TextGrid of point tiers\n"
    "  convert FILE OUT.vxl --labels IN.TextGrid\n"
    "                             convert with the tiers of a TextGrid (long or short text form)\n";

// Writes the first channel's tiers that hold labels to out_path (long text
// form, UTF-8); 0, or 1 with the reason on standard error.
int export_textgrid(CMarbeckDoc& doc, const std::string& out_path);

// Puts the grid's first ten tiers into the first channel's tiers 1 … n;
// what was left out or cut is said on standard error. False, with the
// reason on standard error, when the grid cannot be read.
bool import_textgrid(CMarbeckDoc& doc, const std::string& grid_path);

}  // namespace vox::cli
