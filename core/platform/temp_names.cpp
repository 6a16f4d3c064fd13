#include "core/platform/temp_names.h"

#include <cstdlib>
#include <filesystem>

namespace vox {

std::atomic<int> TempNames::counter_{0};

std::string TempNames::next() {
    const int n = ++counter_;
    std::filesystem::path p(folder_);
    p /= "$$TempFile" + std::to_string(n);
    return p.string();
}

std::string system_temp_folder() {
    std::error_code ec;
    auto p = std::filesystem::temp_directory_path(ec);
    if (ec) return "/tmp";
    return p.string();
}

}  // namespace vox
