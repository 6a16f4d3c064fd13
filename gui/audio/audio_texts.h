#pragma once
// Captions and messages of the record/play options, the record and
// calibration dialogs and the scope window.

namespace vox::audio_text {

inline constexpr const char* kRecordPlayTitle = "Record & Play Options:: ";
inline constexpr const char* kParametersCaption = "Record and play parameters:";
inline constexpr const char* kChannelsCaption = "***Channel selection with audio channel always ON***";
inline constexpr const char* kSaveAndClose = "Save and Close";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kFormGridError = "Error in setting up the data table-- recordplay form--";
inline constexpr const char* kAudioRow = "Audio";
inline constexpr const char* kUnitModelCaption = "External hardware inputs:";
inline constexpr const char* kCreateOptionsFailed = "Error in creating the display option window.";

inline constexpr const char* kRecordOptionTitle = "Record option";
inline constexpr const char* kRecordOptionRate = "Sample Rate (Hz)      = ";
inline constexpr const char* kRecordOptionNote = "For input and output controls , please use the mixer control ";

inline constexpr const char* kCalibrationTitle = "Calibration Option";
inline constexpr const char* kCalibrationFillError = "Error in setting up the data table";
inline constexpr const char* kCalibrationReadError = "Error in getting data from table";

inline constexpr const char* kScopeCommand = "Scope Window";
inline constexpr const char* kRecordOptionCommand = "Record Option...";
inline constexpr const char* kCalibrationCommand = "Calibration Option...";
inline constexpr const char* kScopeRecordPlay = "Record/Play";
inline constexpr const char* kCreateScopeFailed = "Error in creating the scope view.";

}  // namespace vox::audio_text
