#include "gui/audio/option_record.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/audio/record_options.h"
#include "gui/audio/audio_texts.h"

namespace vox {

COptionRecord::COptionRecord(int rate_hz, QWidget* parent) : QDialog(parent) {
    setWindowTitle(audio_text::kRecordOptionTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    rates_ = new QComboBox(this);
    for (int r : record_rate_choices(kRecordSourceComputer)) rates_->addItem(QString::number(r), r);
    const int at = rates_->findData(rate_hz);
    rates_->setCurrentIndex(at >= 0 ? at : 0);
    form->addRow(audio_text::kRecordOptionRate, rates_);
    layout->addLayout(form);
    layout->addWidget(new QLabel(audio_text::kRecordOptionNote, this));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int COptionRecord::rate() const { return rates_->currentData().toInt(); }

}  // namespace vox
