#pragma once
// Fixed texts of the sound input and output engines and of the record and
// play commands.

namespace vox::sound_text {

// Capture engine.
inline constexpr const char* kTempFileError = "Failure to create a temp file to record.";
inline constexpr const char* kNoSoundDevice = "No Sound Device";
inline constexpr const char* kInCapsError = "Cannot determine sound card capabilities !";
inline constexpr const char* kInOpenError = "Cannot Open Sound Input Device!";
inline constexpr const char* kInPrepareError = "Cannot Prepare Header !";
inline constexpr const char* kInAddError = "Cannot Add Buffer !";
inline constexpr const char* kInStartError = "Cannot Start Wave In !";
inline constexpr const char* kInUnprepareError = "Cannot UnPrepareHeader !";
inline constexpr const char* kInRequeueAddError = "Cannot Add Buffer (Add Buffer)!";
inline constexpr const char* kInRequeueStartError = "Cannot Start Wave In (Add Buffer)!";
// A rate under 10000 Hz would give blocks of 0 samples.
inline constexpr const char* kRateTooLow = "Recording needs a sample rate of at least 10000 Hz.";

// Playback engine.
inline constexpr const char* kNoOutputDevice = "No Sound Output Device";
inline constexpr const char* kOutCapsError = "Sound output Cannot determine card capabilities !";
inline constexpr const char* kOutOpenError = "Sound output Cannot Open Device!";
inline constexpr const char* kOutStartPrepareError = " Sound Output Cannot Prepare Header !";
inline constexpr const char* kOutStartWriteError = " Sound Output Cannot Write Buffer !";
inline constexpr const char* kOutUnprepareError = "Sound output Cannot UnPrepareHeader !";
inline constexpr const char* kOutPrepareError = "Sound output Cannot Prepare Header !";
inline constexpr const char* kOutAddError = "Sound output Cannot Add Buffer !";
inline constexpr const char* kMemoryError = "error in memory";
inline constexpr const char* kSourceFileError = "Cannot open the sample file to play.";

// Record and play commands.
inline constexpr const char* kMicError = "Error in opening the Mic.\nRecording will stop.";
inline constexpr const char* kSaveBeforePrefix = "Save ' ";
inline constexpr const char* kSaveBeforeSuffix = " ' before recording ?";

// Event names.
inline constexpr const char* kInEventName = "WaveInThreadEvent";
inline constexpr const char* kOutEventName = "WaveOutThreadEvent";

}  // namespace vox::sound_text
