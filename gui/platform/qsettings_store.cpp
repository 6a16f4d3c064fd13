#include "gui/platform/qsettings_store.h"

#include <QSettings>

namespace vox {

namespace {
QString key(const std::string& section, const std::string& entry) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(entry);
}
}  // namespace

std::optional<std::string> QSettingsStore::get(const std::string& company, const std::string& section,
                                               const std::string& entry) const {
    QSettings s(QString::fromStdString(company), "Voxtrel");
    const QVariant v = s.value(key(section, entry));
    if (!v.isValid()) return std::nullopt;
    return v.toString().toStdString();
}

bool QSettingsStore::set(const std::string& company, const std::string& section, const std::string& entry,
                         const std::string& value) {
    QSettings s(QString::fromStdString(company), "Voxtrel");
    s.setValue(key(section, entry), QString::fromStdString(value));
    s.sync();
    return s.status() == QSettings::NoError;
}

}  // namespace vox
