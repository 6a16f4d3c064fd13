#pragma once
// The analysis options voxtrel-cli takes on its command line, checked with
// the rules (and in the words) of the option dialogs.

#include <map>
#include <string>

#include "core/app/option_block.h"

namespace vox::cli {

inline constexpr const char* kAnalysisOptionsUsage =
    "analysis options (each for the commands it names):\n"
    "  --config FILE.cfg          a saved configuration's options (then fitted to the file's rate\n"
    "                             where the configuration leaves them to the rate)\n"
    "  --window-ms MS             pitch, intensity: analysis window; fftlpc: applied window\n"
    "  --step-ms MS               pitch, intensity: step between frames\n"
    "  --f0-min HZ, --f0-max HZ   pitch: the calculation range\n"
    "  --lpc-order N              fftlpc, formants: LPC coefficients\n"
    "  --max-freq HZ              fftlpc, formants, spectrogram: frequency range\n"
    "  --fft-points N             fftlpc: FFT size (32 .. 4096); formants, spectrogram: window (32 .. 8192)\n";

// Whether the option is one of the above (each takes a value).
bool is_tuning_option(const std::string& option);
// Whether the option tunes the analysis of `command`.
bool tuning_option_serves(const std::string& option, const std::string& command);

// The options given for `command` put into the block (fitted to rate fs
// already) and checked: 0, or 2 with the reason on standard error (an
// option the command does not take, a value out of the dialog's range, or
// the dialog's own message). A fitted value the person changed stays as
// given; an FFT/LPC applied window longer than the FFT is cut to it with the
// dialog's warning, as the dialog does.
int apply_tuning_options(const std::string& command, const std::map<std::string, std::string>& given,
                         OptionBlock& block, double fs);

}  // namespace vox::cli
