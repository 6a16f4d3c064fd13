#pragma once
// COptionLog: the "Log Option" dialog with the frequency step (Hz) of the
// whole-frame FFT/LPC entry, an integer from 1 to 5000. OK with another
// value shows the range message and keeps the dialog open.

#include <QDialog>

#include "core/platform/user_prompts.h"

class QLineEdit;

namespace vox {

class COptionLog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinStep = 1, kMaxStep = 5000;  // Hz

    COptionLog(int step_hz, UserPrompts& prompts, QWidget* parent = nullptr);

    int step_hz() const { return step_; }
    QLineEdit* step_edit() const { return edit_; }
    // The OK button's check: true (value kept) for an integer in range.
    bool try_accept();
    void accept() override;

private:
    UserPrompts& prompts_;
    QLineEdit* edit_;
    int step_;
};

}  // namespace vox
