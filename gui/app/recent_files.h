#pragma once
// The five-entry recent-file list of the File menu, newest first, kept in the
// per-user settings (section "Recent File List", entries "File1" ... "File5").

#include <string>
#include <vector>

#include "core/platform/settings_store.h"

namespace vox {

class CRecentFileList {
public:
    static constexpr int kSize = 5;
    static constexpr const char* kSection = "Recent File List";

    CRecentFileList(SettingsStore& settings, std::string company);

    void load();
    // Puts the path at the top (moving it when already listed) and stores the list.
    void add(const std::string& path);
    void remove(const std::string& path);
    const std::vector<std::string>& entries() const { return entries_; }

private:
    void store();

    SettingsStore& settings_;
    std::string company_;
    std::vector<std::string> entries_;
};

}  // namespace vox
