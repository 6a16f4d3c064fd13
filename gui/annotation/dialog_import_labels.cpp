#include "gui/annotation/dialog_import_labels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/annotation/label_texts.h"

namespace vox {

CDialogImportLabels::CDialogImportLabels(const QStringList& tier_names, const LabelImportChoices& c, QWidget* parent)
    : QDialog(parent) {
    using namespace label_text;
    setWindowTitle(kImportTitle);
    auto* top = new QVBoxLayout(this);
    for (const char* line : {kImportMust, kImportFormat, kImportFormat, kImportDots, kImportOther})
        top->addWidget(new QLabel(line, this));
    auto* tier_row = new QHBoxLayout;
    tier_row->addWidget(new QLabel(kImportTier, this));
    tiers_ = new QComboBox(this);
    tiers_->addItems(tier_names);
    tiers_->setCurrentIndex(tier_names.isEmpty() ? -1 : 0);
    tier_row->addWidget(tiers_, 1);
    top->addLayout(tier_row);

    auto* groups = new QHBoxLayout;
    auto* stamp = new QGroupBox(kImportStampGroup, this);
    auto* sl = new QVBoxLayout(stamp);
    ms_ = new QRadioButton(kImportMs, stamp);
    sec_ = new QRadioButton(kImportSec, stamp);
    sl->addWidget(ms_);
    sl->addWidget(sec_);
    (c.milliseconds ? ms_ : sec_)->setChecked(true);
    groups->addWidget(stamp);
    auto* just = new QGroupBox(kImportJustification, this);
    auto* jl = new QVBoxLayout(just);
    left_ = new QRadioButton(kLeft, just);
    center_ = new QRadioButton(kCenter, just);
    right_ = new QRadioButton(kRight, just);
    jl->addWidget(left_);
    jl->addWidget(center_);
    jl->addWidget(right_);
    justification_button(c.align)->setChecked(true);
    groups->addWidget(just);
    top->addLayout(groups);
    add_line_ = new QCheckBox(kImportAddLine, this);
    add_line_->setChecked(c.add_line);
    top->addWidget(add_line_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

QRadioButton* CDialogImportLabels::justification_button(int align) const {
    return align == 1 ? center_ : align == 2 ? right_ : left_;
}

QString CDialogImportLabels::tier_name() const { return tiers_->currentText(); }

LabelImportChoices CDialogImportLabels::choices() const {
    LabelImportChoices c;
    c.milliseconds = ms_->isChecked();
    c.align = center_->isChecked() ? 1 : right_->isChecked() ? 2 : 0;
    c.add_line = add_line_->isChecked();
    return c;
}

}  // namespace vox
