#include "core/app/temp_folder.h"

#include <cstdio>
#include <filesystem>

namespace vox {

namespace fs = std::filesystem;

bool probe_folder_writable(const std::string& folder) {
    const fs::path test = fs::path(folder) / temp_text::kTestFileName;
    const std::string name = test.string();
    // Created exclusively ("x"): whatever stands under the name (a test file
    // left by a killed start, a planted link) is removed first, never
    // written through.
    std::FILE* f = std::fopen(name.c_str(), "wbx");
    std::error_code ec;
    if (!f && fs::exists(fs::symlink_status(test, ec)) && fs::remove(test, ec))
        f = std::fopen(name.c_str(), "wbx");
    if (!f) return false;
    const bool written = std::fwrite("0123456789", 1, 10, f) == 10;
    const bool closed = std::fclose(f) == 0;
    const bool removed = fs::remove(test, ec) && !ec;
    return written && closed && removed;
}

bool ensure_folder_exists(const std::string& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

namespace {

// Stores the folder in the setting and reads it back.
bool store_setting(TempFolderServices& s, const std::string& folder) {
    if (!s.settings.set(temp_text::kCompany, temp_text::kSection, temp_text::kEntry, folder)) return false;
    auto back = s.settings.get(temp_text::kCompany, temp_text::kSection, temp_text::kEntry);
    return back && *back == folder;
}

}  // namespace

std::optional<std::string> select_temp_folder(TempFolderServices& s) {
    auto probe = s.probe_write ? s.probe_write : probe_folder_writable;
    auto ensure = s.ensure_folder ? s.ensure_folder : ensure_folder_exists;

    std::string folder = (fs::path(s.working_dir) / "tmp").string();
    auto stored = s.settings.get(temp_text::kCompany, temp_text::kSection, temp_text::kEntry);
    if (stored && !stored->empty()) {
        folder = *stored;
    } else if (!store_setting(s, folder)) {
        s.prompts.message(temp_text::kRegistryError, MessageIcon::Error);
        return std::nullopt;
    }

    if (!ensure(folder)) {
        s.prompts.message(temp_text::kCreateError, MessageIcon::Error);
        return std::nullopt;
    }
    if (probe(folder)) return folder;

    s.prompts.message(temp_text::kNoAccess, MessageIcon::Warning);
    auto chosen = s.chooser.choose_folder(temp_text::kChooserTitle, s.fallback_folder);
    if (!chosen || chosen->empty()) {
        s.prompts.message(temp_text::kNoFolder, MessageIcon::Error);
        return std::nullopt;
    }
    if (!store_setting(s, *chosen)) {
        s.prompts.message(temp_text::kRegistryError, MessageIcon::Error);
        return std::nullopt;
    }
    if (!ensure(*chosen)) {
        s.prompts.message(temp_text::kCreateError, MessageIcon::Error);
        return std::nullopt;
    }
    // A chosen folder that cannot be written either would only fail later, at
    // the first temporary file: say so now instead.
    if (!probe(*chosen)) {
        s.prompts.message(temp_text::kNoFolder, MessageIcon::Error);
        return std::nullopt;
    }
    return *chosen;
}

}  // namespace vox
