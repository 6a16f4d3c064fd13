#pragma once
// Every command of the application: its id, menu, item text, accelerator and
// status-bar prompt. The GUI builds its menus, toolbar and accelerators from
// this table; enabling belongs to the command's handler.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vox {

enum class CommandId : std::uint16_t {
    // File
    FileNew, FileOpen, FileClose, FileSave, FileSaveAs, FileSaveCopyAs, FileSaveSelectionAs,
    FileExportWave, FileExportSelectionWave, FileSaveBmp, FileSaveScreenBmp, FilePrint,
    FilePrintPreview, FilePrintSetup, FileLoadConfig, FileSaveConfig, FileRevertConfig, FileExit,
    // Edit
    EditUndo, EditCut, EditCopy, EditPaste, EditClearToReference, EditSelectWindow, EditSelectAll,
    // Zoom
    ZoomUnZoom, ZoomIn, ZoomOut, ZoomSelection, ZoomFromCursor, ZoomHome,
    // Reference/Gain
    ReferenceGain, SetReferenceAll,
    // Record/Play
    Record, PlayAll, PlaySelection, PlayWindow,
    // Analysis
    FftLpc, FftLpcSelection, SpectrogramAll, SpectrogramSelection, SpectrogramWindow,
    PitchAll, PitchSelection, PitchWindow, Intensity, Smooth,
    // Tiers/Labels
    TiersSetModify, TiersImportLabels, TiersViewLabels, TiersImportTextGrid, TiersExportTextGrid,
    // Log
    LogNew, LogOpen, LogSave, LogSaveAs, LogEnterAtMarker, LogEnterDuration, LogEnterFormantsAtMarker,
    LogEnterFormantsSelection, LogEnterPitchAtMarker, LogEnterPitchSelection, LogEnterPitchAll,
    LogEnterFormantsBandwidths, LogEnterAllFftLpcFrame, LogEnterLabelsSelection, LogEnterLabelsAll,
    // Options
    OptionsDisplay, OptionsRecordPlay, OptionsZoom, OptionsFftLpc, OptionsSpectrogram, OptionsPitch,
    OptionsIntensity, OptionsLog,
    // View
    ViewToolbar, ViewStatusBar,
    // Window
    WindowNew, WindowCascade, WindowTile, WindowArrange, WindowCloseStatus,
    // Help
    HelpTopics, HelpAbout,
    Count
};

struct CommandInfo {
    CommandId id;
    std::string_view menu;      // top-level menu title; empty for toolbar-only commands
    std::string_view text;      // item text with its mnemonic
    std::string_view shortcut;  // accelerator in "Ctrl+N" form, empty when none
    std::string_view prompt;    // status-bar prompt, then "\n" and the tooltip
    bool separator_before = false;
    bool in_reduced_menu = false;  // shown while no document is open
};

// The table in menu order.
const std::array<CommandInfo, static_cast<std::size_t>(CommandId::Count)>& command_table();
const CommandInfo& command_info(CommandId id);

// Extra accelerators beyond the menu ones.
struct ExtraShortcut {
    CommandId id;
    std::string_view shortcut;
};
inline constexpr std::array<ExtraShortcut, 4> kExtraShortcuts = {{
    {CommandId::EditCopy, "Ctrl+Ins"},
    {CommandId::EditPaste, "Shift+Ins"},
    {CommandId::EditCut, "Shift+Del"},
    {CommandId::EditUndo, "Alt+Backspace"},
}};

// The toolbar, left to right; nullopt is a gap.
const std::array<std::optional<CommandId>, 40>& toolbar_layout();

// The menus in order as titled on the menu bar.
inline constexpr std::array<std::string_view, 12> kMenuOrder = {
    "&File", "&Edit", "&Zoom", "&Reference/Gain", "Record/&Play", "&Analysis", "&Tiers/Labels",
    "&Log", "&Options", "&View", "&Window", "&Help"};

}  // namespace vox
