#pragma once
// voxtrel-cli measure: label-driven measurement over many files, one
// tab-separated table with its provenance in comment lines.

#include <string>
#include <vector>

namespace vox::cli {

inline constexpr const char* kMeasureUsage =
    "  measure FILE... --tier NAME [--at 20,50,80] [--jobs N] [analysis options]\n"
    "                             per label of the tier, pitch, intensity and F1-F3 with their\n"
    "                             bandwidths at each percentage of its stretch; one table\n";

// The column names of the table, tab-separated, in order.
inline constexpr const char* kMeasureHeader = "file\ttier\tlabel\tstart_ms\tend_ms\tat_pct\ttime_ms\tf0_hz\tintensity_db\tF1_hz\tB1_hz\tF2_hz\tB2_hz\tF3_hz\tB3_hz";

// Runs `measure` with the command line after the command word; the exit
// status (0; 1 when a file failed, the others measured; 2 for a usage error).
int run_measure(const std::vector<std::string>& args);

}  // namespace vox::cli
