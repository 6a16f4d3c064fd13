#include "core/app/temp_folder.h"

#include <filesystem>
#include <fstream>

namespace vox {

namespace fs = std::filesystem;

bool probe_folder_writable(const std::string& folder) {
    const fs::path test = fs::path(folder) / temp_text::kTestFileName;
    {
        std::ofstream out(test, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write("0123456789", 10);
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    return fs::remove(test, ec) && !ec;
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
