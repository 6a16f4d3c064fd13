#pragma once
// Fixed texts of the measurement log: grid captions, the header text of every
// entry kind, messages, dialog titles and filters.

namespace vox::log_text {

// Grid captions.
inline constexpr const char* kFileNameCaption = "File Name";
inline constexpr const char* kDefinitionCaption = "Entry definition and order";
inline constexpr const char* kCommentsCaption = "Comments";
inline constexpr const char* kEntryCaptionFormat = "Entry %d";

// Window title before the log has a file.
inline constexpr const char* kUntitled = "Untitled LogWindow";

// Header texts of the entry kinds (a trailing blank belongs to the text).
inline constexpr const char* kDuration = "Duration Entry: start, end, duration";
inline constexpr const char* kPitchMarker = "Pitch Marker Entry: time, pitch, intensity ";
inline constexpr const char* kPitchSelection = "Pitch Selection Entry: time, pitch, intensity";
inline constexpr const char* kPitchAll = "Pitch All Entry: time, pitch, intensity";
inline constexpr const char* kLabelsSelection = "Labels Selection Entry: Tier, Label's Text, Time, pitch, Intensity";
inline constexpr const char* kLabelsAll = "Labels All Entry: Tier, Label's Text, Time, pitch, Intensity";
// The FFT/LPC rows end with the stretch (ms) their slice was taken from.
inline constexpr const char* kFftLpcMarker = "FFT/LPC Marker Entry: freq., FFT_dB, slice start, slice end";
inline constexpr const char* kFftLpcMarkerLpc = "FFT/LPC Marker Entry: freq., FFT_dB, LPC_dB, slice start, slice end";
inline constexpr const char* kFftLpcFormants = "FFT/LPC Formants & BW Entry: F1, F2, F3, F4, F5, BW1, BW2, BW3, BW4, BW5, slice start, slice end";
inline constexpr const char* kSpectrogramMarker = "Spec. Marker Entry: time, frequency";
inline constexpr const char* kSpectrogramDuration = "Spec. Duration Entry: start, end, duration";
inline constexpr const char* kSpectrogramFormantsMarker = "Spec. Formants Marker Entry: time, F1, F2, F3, F4, F5";
inline constexpr const char* kSpectrogramFormantsDuration = "Spec. Formants Duration Entry: time, F1, F2, F3, F4, F5";

// Messages.
inline constexpr const char* kAddError = "Error in adding data into the log file.";
inline constexpr const char* kZeroLength = "The file has zero length.";
inline constexpr const char* kNotValid = "This is not a valid log file.";
inline constexpr const char* kOpenError = "Error in opening the file.";
inline constexpr const char* kCloseQuestionStart = "Save log file-- ";
inline constexpr const char* kCloseQuestionEnd = " --, before closing.";
inline constexpr const char* kCreateFrameError = "Could not create the requested frame.";

// File dialogs.
inline constexpr const char* kSaveAsTextTitle = "Save As Text";
inline constexpr const char* kOpenTitle = "Open a log file";
inline constexpr const char* kTextFilter = "text files (*.txt)|*.txt||";
inline constexpr const char* kTextExtension = "txt";

// The "Log Option" dialog.
inline constexpr const char* kOptionTitle = "Log Option";
inline constexpr const char* kOptionGroup = "FFT/LPC Entire Frame ";
inline constexpr const char* kStepCaption = "Step size for entire frame entry (Hz) = ";
inline constexpr const char* kRangeMessageFormat = "Please enter an integer between %d and %d.";

}  // namespace vox::log_text
