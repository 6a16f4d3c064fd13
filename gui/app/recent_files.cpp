#include "gui/app/recent_files.h"

#include <algorithm>

namespace vox {

namespace {
std::string entry_name(int i) { return "File" + std::to_string(i + 1); }
}  // namespace

CRecentFileList::CRecentFileList(SettingsStore& settings, std::string company)
    : settings_(settings), company_(std::move(company)) {}

void CRecentFileList::load() {
    entries_.clear();
    for (int i = 0; i < kSize; ++i) {
        auto v = settings_.get(company_, kSection, entry_name(i));
        if (v && !v->empty() && std::find(entries_.begin(), entries_.end(), *v) == entries_.end())
            entries_.push_back(*v);
    }
}

void CRecentFileList::add(const std::string& path) {
    if (path.empty()) return;
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > static_cast<std::size_t>(kSize)) entries_.resize(kSize);
    store();
}

void CRecentFileList::remove(const std::string& path) {
    const auto before = entries_.size();
    entries_.erase(std::remove(entries_.begin(), entries_.end(), path), entries_.end());
    if (entries_.size() != before) store();
}

void CRecentFileList::store() {
    for (int i = 0; i < kSize; ++i)
        settings_.set(company_, kSection, entry_name(i),
                      i < static_cast<int>(entries_.size()) ? entries_[static_cast<std::size_t>(i)] : std::string());
}

}  // namespace vox
