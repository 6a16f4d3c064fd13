#pragma once
// The per-user settings seam: string values addressed by company key,
// section and entry. The GUI backs it with QSettings; tests use the
// in-memory store.

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace vox {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> get(const std::string& company, const std::string& section,
                                           const std::string& entry) const = 0;
    virtual bool set(const std::string& company, const std::string& section, const std::string& entry,
                     const std::string& value) = 0;
};

class InMemorySettings : public SettingsStore {
public:
    std::optional<std::string> get(const std::string& company, const std::string& section,
                                   const std::string& entry) const override {
        auto it = values_.find({company, section, entry});
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    bool set(const std::string& company, const std::string& section, const std::string& entry,
             const std::string& value) override {
        values_[{company, section, entry}] = value;
        return true;
    }

private:
    std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

}  // namespace vox
