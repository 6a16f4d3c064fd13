#include "gui/views/waveform/zoom_option_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace vox {

COptionZoom::COptionZoom(int range_ms, QWidget* parent) : QDialog(parent) {
    setWindowTitle(zoom_text::kCaption);
    range_ = new QSpinBox;
    // At least 1 ms: "From Cursor for Duration" shows the window from the
    // cursor onwards, and a range of 0 or less would give an empty or
    // reversed window.
    range_->setRange(1, std::numeric_limits<int>::max());
    range_->setValue(range_ms);
    auto* form = new QFormLayout;
    form->addRow(zoom_text::kRangeField, range_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* v = new QVBoxLayout(this);
    v->addLayout(form);
    v->addWidget(buttons);
}

int COptionZoom::range_ms() const { return range_->value(); }

}  // namespace vox
