#pragma once
// The per-user component registry the application shares with the component
// libraries it hosts: an INI file naming, per class id, the library that
// makes it and the entry point that does. Libraries write their own entries
// when registered; the application only reads them.

#include <QString>

class QWidget;

namespace vox {

class CComponentRegistry {
public:
    // $TREVANIC_COMPONENT_REGISTRY, or Trevanic/Components.ini under the
    // user's configuration folder.
    static QString default_path();

    explicit CComponentRegistry(QString file = default_path()) : file_(std::move(file)) {}
    const QString& file() const { return file_; }

    // The library registered for a class, empty when none is.
    QString library_of(const QString& class_id) const;

    // Loads the class's library and makes a new instance as a child of
    // `parent`. Null when the class is not registered, its library cannot be
    // loaded or lacks its entry point; `why` then says which.
    QWidget* create(const QString& class_id, QWidget* parent, QString* why = nullptr) const;

private:
    QString file_;
};

}  // namespace vox
