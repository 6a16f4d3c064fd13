#pragma once
// Self-registration of the picture control library in the per-user component
// registry: an INI file that hosts read to find which library makes a class
// and through which entry point. Layout:
//
//   [Classes/<class id>]   Library, Factory, Name, TypeLibrary, PropertyPages,
//                          SafeForScripting, SafeForInitializing
//   [Classes/<page id>]    Library, Factory, Name (the page's caption)
//   [TypeLibraries/<lib>]  Library, Version, Dispatch, Events, Properties,
//                          Methods, EventList (names in type-library order)
//
// The file is $TREVANIC_COMPONENT_REGISTRY when that is set, otherwise
// Trevanic/Components.ini under the user's configuration folder.

#include <QString>
#include <QStringList>

#include "picturectl/quorpict_export.h"

class QWidget;

namespace quorpict {

inline constexpr const char* kControlClassId = "QuorPicture.QuorPictureCtrl.1";
inline constexpr const char* kGeneralPageClassId = "QuorPicture.QuorPicturePropPage.1";
inline constexpr const char* kBevelsPageClassId = "QuorPicture.QuorPictureBevelsPropPage.1";
inline constexpr const char* kTypeLibraryName = "QuorPictureLib";
inline constexpr const char* kTypeLibraryVersion = "1.0";
inline constexpr const char* kControlFactory = "quorpict_create_control";
inline constexpr const char* kPageFactory = "quorpict_create_page";

QUORPICT_EXPORT QString default_registry_path();

// The file this library is loaded from.
QUORPICT_EXPORT QString library_file();

// Writes (or removes) the control, its two pages and its type library;
// false when the registry file cannot be written.
QUORPICT_EXPORT bool register_server(const QString& registry_file, const QString& library);
QUORPICT_EXPORT bool unregister_server(const QString& registry_file);

// Names of the dispatch interface in type-library order.
QUORPICT_EXPORT QStringList dispatch_properties();
QUORPICT_EXPORT QStringList dispatch_methods();
QUORPICT_EXPORT QStringList event_names();

}  // namespace quorpict

extern "C" {
// The entry points a host or a registration tool finds by name. A null or
// empty registry means the default one. 0 on success.
QUORPICT_EXPORT int QuorpictRegisterServer(const char* registry_file);
QUORPICT_EXPORT int QuorpictUnregisterServer(const char* registry_file);
// A new control, a child of `parent`.
QUORPICT_EXPORT QWidget* quorpict_create_control(QWidget* parent);
// A property page (by its class id) editing `control`, or null.
QUORPICT_EXPORT QWidget* quorpict_create_page(const char* page_class_id, QWidget* control, QWidget* parent);
}
