#pragma once
// The per-user settings seam over QSettings: the company key is the
// organisation, the section a group and the entry a key within it.

#include "core/platform/settings_store.h"

namespace vox {

class QSettingsStore : public SettingsStore {
public:
    std::optional<std::string> get(const std::string& company, const std::string& section,
                                   const std::string& entry) const override;
    bool set(const std::string& company, const std::string& section, const std::string& entry,
             const std::string& value) override;
};

}  // namespace vox
