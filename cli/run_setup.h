#pragma once
// What every voxtrel-cli command that opens recordings sets up before the
// first document: a temporary folder of the run's own and the analysis
// options of a saved configuration named by --config.

#include <memory>
#include <optional>
#include <string>

#include "core/app/option_block.h"
#include "core/app/private_temp_folder.h"

namespace vox::cli {

// This run's private folder inside the system's temporary folder, made after
// the folders of runs that were killed are removed. Temporary names count
// from 1 in every process, so parallel runs must not share a folder. Null,
// with the reason on standard error, when the folder cannot be made.
std::unique_ptr<PrivateTempFolder> make_run_temp_folder();

// The analysis options of the saved configuration at `path`, as File > Load
// Configuration gives them to the next document; nullopt when the file is
// not a configuration this program reads (config_refusal says so).
std::optional<OptionBlock> read_saved_options(const std::string& path);
std::string config_refusal(const std::string& path);

}  // namespace vox::cli
