#include "core/app/private_temp_folder.h"

#include <atomic>
#include <cctype>
#include <filesystem>
#include <random>

#include "core/platform/platform_files.h"

namespace vox {

namespace fs = std::filesystem;

namespace {

}  // namespace

PrivateTempFolder::PrivateTempFolder(const std::string& parent) {
    PlatformFiles& files = platform_files();
    const std::string stem = std::string(kPrefix) + std::to_string(files.process_id()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = (fs::path(parent) / (stem + unique_tag())).string();
        if (files.make_private_folder(candidate)) {
            path_ = candidate;
            return;
        }
        std::error_code ec;
        // Only a name already taken is worth another try.
        if (!fs::exists(fs::symlink_status(candidate, ec))) return;
    }
}

PrivateTempFolder::~PrivateTempFolder() { remove(); }

void PrivateTempFolder::remove() {
    if (path_.empty()) return;
    std::error_code ec;
    // remove_all deletes symbolic links found inside, never what they name.
    fs::remove_all(path_, ec);
    path_.clear();
}

std::optional<long> PrivateTempFolder::owner_of(const std::string& name) {
    const std::string prefix = kPrefix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    std::size_t i = prefix.size();
    long pid = 0;
    const std::size_t digits_from = i;
    while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i]))) {
        if (i - digits_from >= 12) return std::nullopt;
        pid = pid * 10 + (name[i] - '0');
        ++i;
    }
    if (i == digits_from || i >= name.size() || name[i] != '-') return std::nullopt;
    ++i;
    if (i == name.size()) return std::nullopt;
    for (; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return std::nullopt;
    return pid;
}

int sweep_stale_private_folders(const std::string& parent) {
    PlatformFiles& files = platform_files();
    const long self = files.process_id();
    int removed = 0;
    std::error_code ec;
    fs::directory_iterator it(parent, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::optional<long> owner = PrivateTempFolder::owner_of(name);
        if (!owner || *owner <= 0 || *owner == self) continue;
        const long pid = *owner;
        const std::string path = it->path().string();
        if (!files.is_own_folder(path) || files.process_running(pid)) continue;
        std::error_code rm;
        if (fs::remove_all(path, rm) > 0 && !rm) ++removed;
    }
    return removed;
}

}  // namespace vox
