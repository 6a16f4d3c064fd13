#pragma once
// CDialogImportLabels ("Import a generic label file into a tier"): which
// tier in use takes the labels, the unit of the time stamps, and the
// justification and "Add Line" flag given to every imported label.

#include <QDialog>
#include <QStringList>

#include "core/annotation/label_import.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace vox {

class CDialogImportLabels : public QDialog {
    Q_OBJECT
public:
    // tier_names: the names of the tiers in use, in tier order (the first
    // is selected).
    CDialogImportLabels(const QStringList& tier_names, const LabelImportChoices& choices, QWidget* parent = nullptr);

    QString tier_name() const;
    LabelImportChoices choices() const;

    QComboBox* tier_box() const { return tiers_; }
    QRadioButton* seconds_button() const { return sec_; }
    QRadioButton* justification_button(int align) const;
    QCheckBox* add_line_box() const { return add_line_; }

private:
    QComboBox* tiers_;
    QRadioButton *ms_, *sec_, *left_, *center_, *right_;
    QCheckBox* add_line_;
};

}  // namespace vox
