#include "cli/run_setup.h"

#include <cstdio>

#include "core/app/config_file.h"
#include "core/platform/temp_names.h"

namespace vox::cli {

std::unique_ptr<PrivateTempFolder> make_run_temp_folder() {
    const std::string parent = system_temp_folder();
    sweep_stale_private_folders(parent);
    auto folder = std::make_unique<PrivateTempFolder>(parent);
    if (!folder->ok()) {
        std::fprintf(stderr, "cannot create a private temporary folder in %s\n", parent.c_str());
        return nullptr;
    }
    return folder;
}

std::optional<OptionBlock> read_saved_options(const std::string& path) {
    const auto bytes = read_config_bytes(path);
    if (!bytes || !config_version_ok(*bytes)) return std::nullopt;
    OptionBlock options;
    decode_config_options(*bytes, options);
    return options;
}

std::string config_refusal(const std::string& path) {
    return path + " is not a configuration file this program can read";
}

}  // namespace vox::cli
