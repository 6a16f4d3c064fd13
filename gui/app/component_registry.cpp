#include "gui/app/component_registry.h"

#include <QLibrary>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

namespace vox {

QString CComponentRegistry::default_path() {
    const QByteArray env = qgetenv("TREVANIC_COMPONENT_REGISTRY");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Trevanic/Components.ini";
}

QString CComponentRegistry::library_of(const QString& class_id) const {
    QSettings reg(file_, QSettings::IniFormat);
    return reg.value("Classes/" + class_id + "/Library").toString();
}

QWidget* CComponentRegistry::create(const QString& class_id, QWidget* parent, QString* why) const {
    auto fail = [why](const QString& text) -> QWidget* {
        if (why) *why = text;
        return nullptr;
    };
    QSettings reg(file_, QSettings::IniFormat);
    const QString group = "Classes/" + class_id + "/";
    const QString library = reg.value(group + "Library").toString();
    const QString factory = reg.value(group + "Factory").toString();
    if (library.isEmpty() || factory.isEmpty()) return fail("not registered: " + class_id);
    // The library stays loaded for the rest of the run: the widgets it makes
    // and their meta-objects live in it.
    QLibrary lib(library);
    if (!lib.load()) return fail(lib.errorString());
    using Factory = QWidget* (*)(QWidget*);
    const auto make = reinterpret_cast<Factory>(lib.resolve(factory.toLatin1().constData()));
    if (!make) return fail(lib.errorString());
    QWidget* w = make(parent);
    if (!w) return fail("the factory made nothing: " + class_id);
    return w;
}

}  // namespace vox
