#include "gui/annotation/option_log.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cstdio>

#include "core/annotation/log_texts.h"

namespace vox {

COptionLog::COptionLog(int step_hz, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), step_(step_hz) {
    setWindowTitle(log_text::kOptionTitle);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(log_text::kOptionGroup, this);
    auto* form = new QFormLayout(group);
    edit_ = new QLineEdit(QString::number(step_hz), group);
    form->addRow(log_text::kStepCaption, edit_);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionLog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool COptionLog::try_accept() {
    bool ok = false;
    const int v = edit_->text().trimmed().toInt(&ok);
    if (!ok || v < kMinStep || v > kMaxStep) {
        char msg[96];
        std::snprintf(msg, sizeof msg, log_text::kRangeMessageFormat, kMinStep, kMaxStep);
        prompts_.message(msg, MessageIcon::Warning);
        edit_->setFocus();
        edit_->selectAll();
        return false;
    }
    step_ = v;
    return true;
}

void COptionLog::accept() {
    if (try_accept()) QDialog::accept();
}

}  // namespace vox
