#pragma once
// Fixed texts of the label dialogs, the tier options and the label table.

namespace vox::label_text {
// "Label entry"
inline constexpr const char* kEntryTitle = "Label entry";
inline constexpr const char* kEntryCaption = "Enter Label (255 characters maximum): ";
inline constexpr const char* kFontButton = "Font";
inline constexpr const char* kJustification = "Justification";
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kCenter = "Center";
inline constexpr const char* kRight = "Right";
inline constexpr const char* kAddLine = "Add line";
inline constexpr const char* kColorCaption = "Color:";  // beside the font chooser
// "Tiers Option"
inline constexpr const char* kTiersTitle = "Tiers Option";
inline constexpr const char* kTiersText = "Tiers are arranged from the top of the display to the bottom.";
inline constexpr const char* kTiersColumn = "Tiers";
inline constexpr const char* kNameColumn = "Name";
inline constexpr const char* kSetTableError = "Error in setting data to table";
inline constexpr const char* kGetTableError = "Error in getting data from table";
// "Import a generic label file into a tier"
inline constexpr const char* kImportTitle = "Import a generic label file into a tier";
inline constexpr const char* kImportMust = "Label file MUST be a pure TEXT file and follow the following format:";
inline constexpr const char* kImportFormat = "Time<tab>Label<return>";
inline constexpr const char* kImportDots = ".....";
inline constexpr const char* kImportOther = "Any other entries will be ignored.";
inline constexpr const char* kImportTier = "Select a tier to enter into : ";
inline constexpr const char* kImportStampGroup = "time stamp format";
inline constexpr const char* kImportMs = "ms";
inline constexpr const char* kImportSec = "sec";
inline constexpr const char* kImportJustification = "Justification (applies to all labels)";
inline constexpr const char* kImportAddLine = "Add Line";
// The label table
inline constexpr const char* kTableTitlePrefix = "Labels:: ";
inline constexpr const char* kTableSortHint = "Click on the column header to sort. ";
inline constexpr const char* kZoomButton = "Zoom to Selected Label";
inline constexpr const char* kTierColumn = "Tier";
inline constexpr const char* kLabelColumn = "Label";
inline constexpr const char* kTimeColumn = "Time(ms)";
inline constexpr const char* kFillError = "Error in setting up the data table";
inline constexpr const char* kSelectRow = "Select a row the label view and then zoom to the label.";
inline constexpr const char* kCreateViewError = "Error in creating the requested view.";
}  // namespace vox::label_text
