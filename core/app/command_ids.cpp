#include "core/app/command_ids.h"

namespace vox {

namespace {

using C = CommandId;
constexpr std::string_view F = "&File", E = "&Edit", Z = "&Zoom", R = "&Reference/Gain", P = "Record/&Play",
                           A = "&Analysis", T = "&Tiers/Labels", L = "&Log", O = "&Options", V = "&View",
                           W = "&Window", H = "&Help";

constexpr std::array<CommandInfo, static_cast<std::size_t>(CommandId::Count)> kTable = {{
    {C::FileNew, F, "&New", "Ctrl+N", "Create a new document\nNew", false, true},
    {C::FileOpen, F, "&Open...", "Ctrl+O", "Open an existing recording\nOpen", false, true},
    {C::FileClose, F, "&Close", "", "Close the active document\nClose"},
    {C::FileSave, F, "&Save", "Ctrl+S", "Save the active document\nSave"},
    {C::FileSaveAs, F, "Save &As...", "", "Save the active document with a new name\nSave As"},
    {C::FileSaveCopyAs, F, "Save Copy As...", "", "Save a copy of the active document\nSave Copy As"},
    {C::FileSaveSelectionAs, F, "Save Selection As...", "", "Save the selection as a new recording\nSave Selection As"},
    {C::FileExportWave, F, "Export as Wave...", "", "Write the audio channel as a WAV file\nExport as Wave", true},
    {C::FileExportSelectionWave, F, "Export Selection as Wave...", "", "Write the selection of the audio channel as a WAV file\nExport Selection as Wave"},
    {C::FileSaveBmp, F, "Save As bmp...", "", "Save the display as a bitmap file\nSave As bmp", true},
    {C::FileSaveScreenBmp, F, "Save Screen As bmp...", "", "Save the whole screen as a bitmap file\nSave Screen As bmp"},
    {C::FilePrint, F, "&Print...", "Ctrl+P", "Print the active document\nPrint", true},
    {C::FilePrintPreview, F, "Print Pre&view", "", "Display full pages\nPrint Preview"},
    {C::FilePrintSetup, F, "P&rint Setup...", "", "Change the printer and printing options\nPrint Setup", false, true},
    {C::FileLoadConfig, F, "Load Configuration...", "", "Load a saved configuration\nLoad Configuration", true, true},
    {C::FileSaveConfig, F, "Save Configuration...", "", "Save the current configuration under a name\nSave Configuration"},
    {C::FileRevertConfig, F, "Revert to Default Configuration", "", "Return to the built-in configuration at the next start\nRevert to Default Configuration", false, true},
    {C::FileExit, F, "E&xit", "", "Quit the application; prompts to save documents\nExit", true, true},

    {C::EditUndo, E, "&Undo", "Ctrl+Z", "Undo the last action\nUndo"},
    {C::EditCut, E, "Cu&t", "Ctrl+X", "Cut the selection and put it on the clip\nCut", true},
    {C::EditCopy, E, "&Copy", "Ctrl+C", "Copy the selection and put it on the clip\nCopy"},
    {C::EditPaste, E, "&Paste", "Ctrl+V", "Insert the clip at the cursor\nPaste"},
    {C::EditClearToReference, E, "Clear to Reference", "", "Set the selected samples to the reference\nClear to Reference"},
    {C::EditSelectWindow, E, "Select Window", "", "Select the displayed window\nSelect Window", true},
    {C::EditSelectAll, E, "Select All", "Ctrl+A", "Select the whole recording\nSelect All"},

    {C::ZoomUnZoom, Z, "UnZoom", "", "Undo the last zoom operation\nUnZoom"},
    {C::ZoomIn, Z, "In", "Ctrl+B", "Zoom into the file by doubling the displayed time\nZoom In"},
    {C::ZoomOut, Z, "Out", "Ctrl+E", "Zoom out of the file by halving the displayed time base\nZoom Out"},
    {C::ZoomSelection, Z, "Selection", "Ctrl+Q", "Zoom the selection\nZoom Selection"},
    {C::ZoomFromCursor, Z, "From Cursor for Duration", "Ctrl+W", "Zoom from the marker for the duration in the zoom option\nZoom for duration"},
    {C::ZoomHome, Z, "Home", "", "Display the entire file\nZoom Home"},

    {C::ReferenceGain, R, "Reference/Gain...", "", "Set the reference and gain of the channels\nReference/Gain"},
    {C::SetReferenceAll, "", "Set Channels Reference All", "", "Set the reference for all channels\nSet Channels Reference All"},

    {C::Record, P, "Record", "Ctrl+R", "Start recording\nRecord"},
    {C::PlayAll, P, "Play All", "Ctrl+Y", "Play the whole file\nPlay All"},
    {C::PlaySelection, P, "Play Selection", "Ctrl+U", "Play the selected section of the file\nPlay Selection"},
    {C::PlayWindow, P, "Play Window", "", "Play the section of the file displayed in the current window\nPlay Window"},

    {C::FftLpc, A, "FFT/LPC", "Ctrl+F", "FFT and LPC spectrum at the cursor\nFFT/LPC"},
    {C::FftLpcSelection, A, "FFT/LPC Selection", "", "Average FFT and LPC spectrum of the selection\nFFT/LPC Selection"},
    {C::SpectrogramAll, A, "Spectrogram All", "Ctrl+G", "Spectrogram of the whole recording\nSpectrogram All", true},
    {C::SpectrogramSelection, A, "Spectrogram Selection", "Ctrl+H", "Spectrogram of the selection\nSpectrogram Selection"},
    {C::SpectrogramWindow, A, "Spectrogram Window", "", "Spectrogram of the displayed window\nSpectrogram Window"},
    {C::PitchAll, A, "Pitch All", "Ctrl+L", "Pitch contour of the whole recording\nPitch All", true},
    {C::PitchSelection, A, "Pitch Selection", "", "Pitch contour of the selection\nPitch Selection"},
    {C::PitchWindow, A, "Pitch Window", "", "Pitch contour of the displayed window\nPitch Window"},
    {C::Intensity, A, "Intensity", "Ctrl+I", "Perform power intensity of the waveform\nIntensity"},
    {C::Smooth, A, "Smooth", "Ctrl+K", "Smooth the data\nSmooth"},

    {C::TiersSetModify, T, "Set/Modify...", "", "Name and size the label tiers\nSet/Modify Tiers"},
    {C::TiersImportLabels, T, "Import Labels into a Tier...", "", "Read a label file into a tier\nImport Labels"},
    {C::TiersViewLabels, T, "Vew Labels", "", "View the label list\nView Labels"},
    {C::TiersImportTextGrid, T, "Import TextGrid...", "", "Read the tiers of a TextGrid file into the tiers\nImport TextGrid", true},
    {C::TiersExportTextGrid, T, "Export TextGrid...", "", "Write the tiers that hold labels as a TextGrid file\nExport TextGrid"},

    {C::LogNew, L, "New", "", "Open the measurement log\nNew Log"},
    {C::LogOpen, L, "Open...", "", "Open a saved measurement log\nOpen Log"},
    {C::LogSave, L, "Save", "", "Save the measurement log\nSave Log"},
    {C::LogSaveAs, L, "Save As...", "", "Save the measurement log under a new name\nSave Log As"},
    {C::LogEnterAtMarker, L, "Enter at Marker", "Ctrl+T", "Log the values at the cursor\nEnter at Marker", true},
    {C::LogEnterDuration, L, "Enter Duration", "Ctrl+D", "Log the duration of the selection\nEnter Duration"},
    {C::LogEnterFormantsAtMarker, L, "Enter Formants at Marker", "", "Log the formants at the cursor\nEnter Formants at Marker"},
    {C::LogEnterFormantsSelection, L, "Enter Formants Selection", "", "Log the formants of the selection\nEnter Formants Selection"},
    {C::LogEnterPitchAtMarker, L, "Enter Pitch at Marker", "Ctrl+M", "Log the pitch at the cursor\nEnter Pitch at Marker"},
    {C::LogEnterPitchSelection, L, "Enter Pitch Selection", "", "Log the pitch of the selection\nEnter Pitch Selection"},
    {C::LogEnterPitchAll, L, "Enter Pitch All", "", "Log the whole pitch contour\nEnter Pitch All"},
    {C::LogEnterFormantsBandwidths, L, "Enter Formants and Bandwidths", "", "Log formants with their bandwidths\nEnter Formants and Bandwidths"},
    {C::LogEnterAllFftLpcFrame, L, "Enter All FFT/LPC Frame", "", "Log the whole FFT/LPC frame\nEnter All FFT/LPC Frame"},
    {C::LogEnterLabelsSelection, L, "Enter Labels Selection", "", "Log the labels of the selection\nEnter Labels Selection"},
    {C::LogEnterLabelsAll, L, "Enter Labels All", "", "Log every label\nEnter Labels All"},

    {C::OptionsDisplay, O, "Display", "", "Display options of the waveform view\nDisplay Options"},
    {C::OptionsRecordPlay, O, "Record/Play", "", "Recording and playback options\nRecord/Play Options"},
    {C::OptionsZoom, O, "Zoom...", "", "Zoom options\nZoom Options"},
    {C::OptionsFftLpc, O, "FFT/LPC...", "", "FFT/LPC analysis options\nFFT/LPC Options"},
    {C::OptionsSpectrogram, O, "Spectrogram...", "", "Spectrogram options\nSpectrogram Options"},
    {C::OptionsPitch, O, "Pitch...", "", "Pitch tracker options\nPitch Options"},
    {C::OptionsIntensity, O, "Intensity...", "", "Intensity contour options\nIntensity Options"},
    {C::OptionsLog, O, "Log...", "", "Measurement log options\nLog Options"},

    {C::ViewToolbar, V, "&Toolbar", "", "Show or hide the toolbar\nToggle Toolbar", false, true},
    {C::ViewStatusBar, V, "&Status Bar", "", "Show or hide the status bar\nToggle Status Bar", false, true},

    {C::WindowNew, W, "&New Window", "", "Open another window for the active document\nNew Window"},
    {C::WindowCascade, W, "&Cascade", "", "Arrange windows so they overlap\nCascade Windows"},
    {C::WindowTile, W, "&Tile", "", "Arrange windows as non-overlapping tiles\nTile Windows"},
    {C::WindowArrange, W, "&Arrange Icons", "", "Arrange icons at the bottom of the window\nArrange Icons"},
    {C::WindowCloseStatus, W, "Close Status Window", "", "Close the status window\nClose Status Window", true},

    {C::HelpTopics, H, "&Help Topics", "F1", "List Help topics\nHelp Topics", false, true},
    {C::HelpAbout, H, "&About Voxtrel...", "", "Display program information, version number and copyright\nAbout", false, true},
}};

constexpr std::array<std::optional<CommandId>, 40> kToolbar = {{
    C::FileNew, C::FileOpen, C::FileSave, C::FileSaveCopyAs, C::FilePrint, std::nullopt,
    C::EditUndo, C::EditCut, C::EditCopy, C::EditPaste, std::nullopt,
    C::ZoomUnZoom, C::ZoomIn, C::ZoomOut, C::ZoomSelection, C::ZoomFromCursor, C::ZoomHome, std::nullopt,
    C::SetReferenceAll, std::nullopt,
    C::Record, C::PlayAll, C::PlaySelection, C::PlayWindow, std::nullopt,
    C::FftLpc, C::FftLpcSelection, C::SpectrogramAll, C::SpectrogramSelection, C::SpectrogramWindow,
    C::Intensity, C::PitchAll, std::nullopt,
    C::TiersViewLabels, std::nullopt,
    C::LogNew, C::LogOpen, std::nullopt,
    C::HelpAbout, C::HelpTopics,
}};

// The table is indexed by id: a misordered entry is caught at compile time.
constexpr bool table_in_id_order() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (static_cast<std::size_t>(kTable[i].id) != i) return false;
    return true;
}
static_assert(table_in_id_order(), "command table must list the ids in order");

}  // namespace

const std::array<CommandInfo, static_cast<std::size_t>(CommandId::Count)>& command_table() { return kTable; }
const CommandInfo& command_info(CommandId id) { return kTable[static_cast<std::size_t>(id)]; }
const std::array<std::optional<CommandId>, 40>& toolbar_layout() { return kToolbar; }

}  // namespace vox
