#pragma once
// Choosing the application's temporary folder at start-up. The folder is kept
// in the per-user setting "Temp Directory" (section "General Strings
// section", company "Trevanic"); it must exist and accept a small test file,
// otherwise the person is asked for another folder.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/settings_store.h"
#include "core/platform/user_prompts.h"

namespace vox {

namespace temp_text {
inline constexpr const char* kCompany = "Trevanic";
inline constexpr const char* kSection = "General Strings section";
inline constexpr const char* kEntry = "Temp Directory";
inline constexpr const char* kRegistryError = "Unable to update the system registry.\nPlease contact your system administrator and/or the vender.";
inline constexpr const char* kCreateError = "Error in creating a temp folder.\n";
inline constexpr const char* kNoAccess = "Application was not able to access the default temperorily folder to read and write files. This function is necessary part of operation.\nThis may be due to not having enough access priviledges on your account.\nPlease select from the following box another suitable location, or contact your system administrator.";
inline constexpr const char* kChooserTitle = "Please select a temp folder.";
inline constexpr const char* kNoFolder = "Operation cannot continue without a temp folder.";
inline constexpr const char* kTestFileName = "xxx";
}  // namespace temp_text

// The folder chooser (file-system folders only, with an edit box).
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    virtual std::optional<std::string> choose_folder(std::string_view title, const std::string& initial) = 0;
};

struct TempFolderServices {
    SettingsStore& settings;
    UserPrompts& prompts;
    FolderChooser& chooser;
    // The working directory at start; the default folder is its "tmp".
    std::string working_dir;
    // The chooser's starting folder when the default cannot be used (the
    // system temporary directory).
    std::string fallback_folder;
    // Writes and removes the 10-byte test file; true when both worked.
    // Empty: the real file system is used.
    std::function<bool(const std::string& folder)> probe_write;
    // Creates the folder (and its parents) when missing; true when it exists
    // afterwards. Empty: the real file system is used.
    std::function<bool(const std::string& folder)> ensure_folder;
};

// The folder, or nothing when start-up must end (the message was shown).
std::optional<std::string> select_temp_folder(TempFolderServices& services);

// The real-file-system steps, exposed for the defaults above.
bool probe_folder_writable(const std::string& folder);
bool ensure_folder_exists(const std::string& folder);

}  // namespace vox
