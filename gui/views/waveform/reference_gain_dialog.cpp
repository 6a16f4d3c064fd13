#include "gui/views/waveform/reference_gain_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

#include "core/document/doc_edit.h"

namespace vox {

namespace {

QSpinBox* int_edit(int value) {
    auto* s = new QSpinBox;
    s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    s->setValue(value);
    return s;
}

}  // namespace

CDialogReferenceGain::CDialogReferenceGain(int gain_percent, int reference, QWidget* parent) : QDialog(parent) {
    setWindowTitle(edit_text::kGainCaption);
    gain_ = int_edit(gain_percent);
    reference_ = int_edit(reference);
    auto* form = new QFormLayout;
    form->addRow(new QLabel(edit_text::kGainField), gain_);
    form->addRow(new QLabel(edit_text::kReferenceField), reference_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(buttons);
}

int CDialogReferenceGain::gain_percent() const { return gain_->value(); }
int CDialogReferenceGain::reference() const { return reference_->value(); }

}  // namespace vox
