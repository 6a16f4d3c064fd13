#pragma once
// The analysis commands of voxtrel-cli: pitch, intensity, fftlpc, formants
// and spectrogram over channel 0 of an open document.

#include <string>
#include <vector>

namespace vox {
class CMarbeckDoc;
}

namespace vox::cli {

extern const char* const kAnalysisUsage;

bool is_analysis_command(const std::string& command);
// Options that take a value and belong to the analysis commands.
bool is_analysis_option(const std::string& option);
// Runs the command; `options` holds option/value pairs in order. Returns the
// process exit code (2 for a usage error).
int run_analysis_command(const std::string& command, CMarbeckDoc& doc, const std::vector<std::string>& options);

}  // namespace vox::cli
