#include "gui/dialogs/file_dialogs.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <algorithm>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vox {

CDialogFileChannelSelect::CDialogFileChannelSelect(int channel_count, int preselected, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(file_dialog_text::kChannelTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(file_dialog_text::kChannelText, this));
    list_ = new QComboBox(this);
    const int n = std::clamp(channel_count, 1, kMaxListed);
    for (int i = 0; i < n; ++i) list_->addItem(QString("Channel #%1").arg(i + 1));
    list_->setCurrentIndex(std::clamp(preselected, 0, n - 1));
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int CDialogFileChannelSelect::chosen() const { return list_->currentIndex(); }

CDialogGenericFileSelection::CDialogGenericFileSelection(const GenericFileAnswers& preset, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(file_dialog_text::kGenericTitle);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(file_dialog_text::kGenericText, this);
    text->setWordWrap(true);
    layout->addWidget(text);

    auto* form = new QFormLayout;
    header_ = new QSpinBox(this);
    header_->setRange(0, 1 << 30);
    header_->setValue(preset.header_bytes);
    rate_ = new QSpinBox(this);
    rate_->setRange(1, 1000000);
    rate_->setValue(preset.sample_rate_hz);
    form->addRow("Header size (byte) = ", header_);
    form->addRow("Sample rate (hz)    = ", rate_);
    layout->addLayout(form);

    auto* type_box = new QGroupBox("File type", this);
    auto* type_layout = new QHBoxLayout(type_box);
    ascii_ = new QRadioButton("ASCII", type_box);
    binary_ = new QRadioButton("Interger binary", type_box);
    type_layout->addWidget(ascii_);
    type_layout->addWidget(binary_);
    auto* type_group = new QButtonGroup(this);
    type_group->addButton(ascii_);
    type_group->addButton(binary_);
    (preset.integer_binary ? binary_ : ascii_)->setChecked(true);
    layout->addWidget(type_box);

    auto* size_box = new QGroupBox("Data size and alignment", this);
    auto* size_layout = new QGridLayout(size_box);
    bits8_ = new QRadioButton("8 bit", size_box);
    bits16_ = new QRadioButton("16 bit", size_box);
    low_ = new QRadioButton("Low byte first", size_box);
    high_ = new QRadioButton("High byte first", size_box);
    size_layout->addWidget(bits8_, 0, 0);
    size_layout->addWidget(bits16_, 1, 0);
    size_layout->addWidget(low_, 0, 1);
    size_layout->addWidget(high_, 1, 1);
    auto* size_group = new QButtonGroup(this);
    size_group->addButton(bits8_);
    size_group->addButton(bits16_);
    auto* order_group = new QButtonGroup(this);
    order_group->addButton(low_);
    order_group->addButton(high_);
    (preset.sixteen_bit ? bits16_ : bits8_)->setChecked(true);
    (preset.high_byte_first ? high_ : low_)->setChecked(true);
    layout->addWidget(size_box);
    connect(bits16_, &QRadioButton::toggled, this, [this] { update_enabling(); });
    update_enabling();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Yes", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CDialogGenericFileSelection::update_enabling() {
    // Byte order only means something for 16-bit words.
    const bool words = bits16_->isChecked();
    low_->setEnabled(words);
    high_->setEnabled(words);
}

GenericFileAnswers CDialogGenericFileSelection::answers() const {
    GenericFileAnswers a;
    a.header_bytes = header_->value();
    a.sample_rate_hz = rate_->value();
    a.integer_binary = binary_->isChecked() ? 1 : 0;
    a.sixteen_bit = bits16_->isChecked() ? 1 : 0;
    a.high_byte_first = high_->isChecked() ? 1 : 0;
    return a;
}

}  // namespace vox
