#pragma once
// Fixed texts of the spectrogram and FFT/LPC windows and their option
// dialogs. The analysis checks' own messages live with the computations
// (core/dsp/spectrogram.h, core/dsp/fft_lpc_slice.h).

#include "core/dsp/fft_lpc_slice.h"

namespace vox::analysis_text {

// Windows.
inline constexpr const char* kSpectrogramTitleSuffix = "::Spectrogram ";
inline constexpr const char* kFftLpcTitleSuffix = " ::FFT/LPC";
inline constexpr const char* kAverageFftLpcTitleSuffix = " ::Average FFT/LPC";
inline constexpr const char* kCreateViewError = "Error in creating the requested view.";
inline constexpr const char* kDisplaySetupError = "Error in setting up display.\nThis could be due to low memory. Please close some windows and try again.\nIf the problem persists, please save work, close application and start again.";
inline constexpr const char* kLabelDrawError = "Error in drawing the labels.";
inline constexpr const char* kLpcError = "Error in performing LPC routine.";
inline constexpr const char* kFftLpcBitmapTitle = "FFT-LPC";
inline constexpr const char* kSpectrogramBitmapTitle = "Spectrogram";
inline constexpr const char* kFormantsCaption = "Formants\t=";
inline constexpr const char* kBandwidthsCaption = "\nBandwidths\t=";

// Information bar of the spectrogram window.
inline constexpr const char* kSampleRate = "Sample Rate (Hz) = ";
inline constexpr const char* kWindowLength = "Window Length (pts) =  ";
inline constexpr const char* kDynamicRange = "Dynamic range (dB) = ";
inline constexpr const char* kLpcCoefficients = "LPC Coefficients  = ";
inline constexpr const char* kBandwidth = "Bandwidth (Hz) =  ";
inline constexpr const char* kPreEmphasis = "PreEmphasis = ";
inline constexpr const char* kTime = "Time (ms) =  ";
inline constexpr const char* kFrequency = "Frequency (Hz) =  ";
inline constexpr const char* kDuration = "Duration (ms) =  ";
// Further read-outs of the FFT/LPC window.
inline constexpr const char* kAppliedWindow = "Applied Window (ms) =  ";
inline constexpr const char* kAverageStep = "Average Step Size (ms) =  ";
inline constexpr const char* kPower = "Power (dB) =  ";

// "Spectrogram Option".
inline constexpr const char* kSpectrogramOptionTitle = "Spectrogram Option";
inline constexpr const char* kSgBandwidth = "Bandwidth (Window Length)  = ";
inline constexpr const char* kSgFrequencyRange = "Frequency range (Hz) = ";
inline constexpr const char* kSgDynamicRange = "Dynamic range (dB) = ";
inline constexpr const char* kSgPreEmphasis = "Pre-Emphasis (0-1)(0 adds nothing)";
inline constexpr const char* kSgDisplayFormants = "Display formants";
inline constexpr const char* kSgLpcOrder = "Formant tracking LPC coefficients        = ";
inline constexpr const char* kSgDrawAudio = "Draw Audio ";
inline constexpr const char* kSgDrawLabels = "Draw Labels";
inline constexpr const char* kSgDrawIntensity = "Draw Intensity";
inline constexpr const char* kSgFrequencyGrid = "Add frequency grid with spacing (Hz)   = ";
inline constexpr const char* kSgTimeGrid = "Add time grid with spacing (ms)            =";
inline constexpr const char* kWidth = "Width   = ";
inline constexpr const char* kHeight = "Height  =";
inline constexpr const char* kInches = "inches";
inline constexpr const char* kCm = "cm";
inline constexpr const char* kDefaults = "Defaults";
inline constexpr const char* kBandwidthFormat = "  %d  Hz  ";
inline constexpr const char* kSgPointLabels[9] = {"(  32 pts)", "(  64 pts)", " ( 128 pts)", " ( 256 pts)", " ( 512 pts)",
                                                  " (1024 pts)", " (2048 pts)", " (4096 pts)", " (8192 pts)"};

// "FFT/LPC Option".
inline constexpr const char* kFftLpcOptionTitle = "FFT/LPC Option";
inline constexpr const char* kFlBandwidth = "Bandwidth (Window Length ) = ";
inline constexpr const char* kFlAppliedWindow = "Applied window length (ms)  = ";
inline constexpr const char* kFlFrequencyRange = "Frequency range (Hz) = ";
inline constexpr const char* kFlAverageStep = "Average step size (ms) = ";
inline constexpr const char* kFlLpc = "LPC number of coefficients = ";
inline constexpr const char* kFlDrawLpc = "Draw LPC";
inline constexpr const char* kFlRelative = "Relative ";
inline constexpr const char* kFlAbsolute = "Absolute  (dB)  = ";
inline constexpr const char* kFlFrequencyGrid = "Add Frequency grid with spacing (Hz) = ";
inline constexpr const char* kFlPowerGrid = "Add Power grid with spacing (dB)       = ";
inline constexpr const char* kFlWidth = "Width  = ";
inline constexpr const char* kFlHeight = "Height =";
inline constexpr const char* kFlColor = "Color";
inline constexpr const char* kFlBlackWhite = "Black / White";
inline constexpr const char* kFlDefaultSize = "Default size";
inline constexpr const char* kFlWindowOutOfRange = slice_text::kWindowOutOfRange;
inline constexpr const char* kFlPointLabels[8] = {"(  32 pts)", "(  64 pts)", "( 128 pts)", "( 256 pts)",
                                                  "( 512 pts)", "(1024 pts)", "(2048 pts)", "(4096 pts)"};

}  // namespace vox::analysis_text
