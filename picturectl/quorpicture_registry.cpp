#include "picturectl/quorpicture_registry.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>
#include <QSettings>
#include <QStandardPaths>

#include "picturectl/quorpict_texts.h"
#include "picturectl/quorpicture_ctrl.h"
#include "picturectl/quorpicture_pages.h"

namespace quorpict {

namespace {

QString registry_or_default(const char* file) {
    return file && *file ? QString::fromLocal8Bit(file) : default_registry_path();
}

QStringList methods_of(QMetaMethod::MethodType type) {
    const QMetaObject& mo = CQuorpictureCtrl::staticMetaObject;
    QStringList out;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        const QMetaMethod m = mo.method(i);
        if (m.methodType() != type) continue;
        const QString name = QString::fromLatin1(m.name());
        // Dispatch names start with a capital; the rest serve hosts.
        if (!name.isEmpty() && name[0].isUpper() && !out.contains(name)) out << name;
    }
    return out;
}

}  // namespace

QString default_registry_path() {
    const QByteArray env = qgetenv("TREVANIC_COMPONENT_REGISTRY");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Trevanic/Components.ini";
}

QString library_file() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&QuorpictRegisterServer), &info) == 0 || !info.dli_fname) return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

QStringList dispatch_properties() {
    const QMetaObject& mo = CQuorpictureCtrl::staticMetaObject;
    QStringList out;
    for (int i = mo.propertyOffset(); i < mo.propertyCount(); ++i) out << QString::fromLatin1(mo.property(i).name());
    return out;
}

QStringList dispatch_methods() { return methods_of(QMetaMethod::Method); }
QStringList event_names() { return methods_of(QMetaMethod::Signal); }

bool register_server(const QString& registry_file, const QString& library) {
    if (library.isEmpty()) return false;
    QDir().mkpath(QFileInfo(registry_file).absolutePath());
    QSettings reg(registry_file, QSettings::IniFormat);

    reg.beginGroup(QStringLiteral("Classes/") + kControlClassId);
    reg.setValue("Library", library);
    reg.setValue("Factory", kControlFactory);
    reg.setValue("Name", "Quorvane Picture Control");
    reg.setValue("TypeLibrary", kTypeLibraryName);
    reg.setValue("PropertyPages", QStringList{kGeneralPageClassId, kBevelsPageClassId});
    // Safe for scripting and for initialisation from persistent data.
    reg.setValue("SafeForScripting", true);
    reg.setValue("SafeForInitializing", true);
    reg.endGroup();

    const std::pair<const char*, const char*> pages[] = {{kGeneralPageClassId, texts::kGeneralPage},
                                                         {kBevelsPageClassId, texts::kBevelsPage}};
    for (const auto& [id, caption] : pages) {
        reg.beginGroup(QStringLiteral("Classes/") + id);
        reg.setValue("Library", library);
        reg.setValue("Factory", kPageFactory);
        reg.setValue("Name", QString::fromUtf8(caption));
        reg.endGroup();
    }

    reg.beginGroup(QStringLiteral("TypeLibraries/") + kTypeLibraryName);
    reg.setValue("Library", library);
    reg.setValue("Version", kTypeLibraryVersion);
    reg.setValue("Dispatch", "_DQuorPicture");
    reg.setValue("Events", "_DQuorPictureEvents");
    reg.setValue("Properties", dispatch_properties());
    reg.setValue("Methods", dispatch_methods());
    reg.setValue("EventList", event_names());
    reg.endGroup();

    reg.sync();
    return reg.status() == QSettings::NoError;
}

bool unregister_server(const QString& registry_file) {
    QSettings reg(registry_file, QSettings::IniFormat);
    for (const char* id : {kControlClassId, kGeneralPageClassId, kBevelsPageClassId})
        reg.remove(QStringLiteral("Classes/") + id);
    reg.remove(QStringLiteral("TypeLibraries/") + kTypeLibraryName);
    reg.sync();
    return reg.status() == QSettings::NoError;
}

}  // namespace quorpict

extern "C" {

int QuorpictRegisterServer(const char* registry_file) {
    return quorpict::register_server(quorpict::registry_or_default(registry_file), quorpict::library_file()) ? 0 : 1;
}

int QuorpictUnregisterServer(const char* registry_file) {
    return quorpict::unregister_server(quorpict::registry_or_default(registry_file)) ? 0 : 1;
}

QWidget* quorpict_create_control(QWidget* parent) { return new quorpict::CQuorpictureCtrl(parent); }

QWidget* quorpict_create_page(const char* page_class_id, QWidget* control, QWidget* parent) {
    auto* ctrl = qobject_cast<quorpict::CQuorpictureCtrl*>(control);
    if (!ctrl || !page_class_id) return nullptr;
    const QByteArray id(page_class_id);
    if (id == quorpict::kGeneralPageClassId) return new quorpict::CQuorpictureGeneralPage(*ctrl, parent);
    if (id == quorpict::kBevelsPageClassId) return new quorpict::CQuorpictureBevelsPage(*ctrl, parent);
    return nullptr;
}
}
