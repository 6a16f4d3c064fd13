#pragma once
// The about box: the program's picture shown by the picture control (loaded
// through the component registry when the box opens), the version text and
// a link to the maker's web site. Without a registered, loadable control the
// box opens without its picture.

#include <QDialog>
#include <QVariantMap>

#include "gui/app/component_registry.h"

class QLabel;

namespace vox {

class CLabel;

class CAboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "About Voxtrel";
    static constexpr const char* kVersionPrefix = "version: ";
    static constexpr const char* kWebAddress = "https://www.trevanic.example/voxtrel";
    static constexpr const char* kWebText = "www.trevanic.example/voxtrel";
    static constexpr const char* kPictureClassId = "QuorPicture.QuorPictureCtrl.1";

    explicit CAboutBox(QWidget* parent = nullptr, const CComponentRegistry& registry = CComponentRegistry());

    // The picture control, or null when it could not be loaded.
    QWidget* picture_control() const { return picture_; }
    // Why the picture control is missing (empty when it is there).
    const QString& picture_problem() const { return picture_problem_; }
    QLabel* version_label() const { return version_; }
    CLabel* link_label() const { return link_; }

    // The control's saved properties in this box: the picture and how it is
    // framed, by persisted property name.
    static QVariantMap picture_properties();
    static QImage about_picture();

private:
    QWidget* picture_ = nullptr;
    QString picture_problem_;
    QLabel* version_ = nullptr;
    CLabel* link_ = nullptr;
};

}  // namespace vox
