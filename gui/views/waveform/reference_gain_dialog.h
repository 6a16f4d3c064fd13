#pragma once
// "Reference and Gain": the gain (%) and reference that "Reference/Gain..."
// applies to every sample of the audio channel.

#include <QDialog>

class QSpinBox;

namespace vox {

class CDialogReferenceGain : public QDialog {
    Q_OBJECT
public:
    // Both shown as whole numbers (the stored reals truncated).
    CDialogReferenceGain(int gain_percent, int reference, QWidget* parent = nullptr);
    int gain_percent() const;
    int reference() const;
    QSpinBox* gain_edit() const { return gain_; }
    QSpinBox* reference_edit() const { return reference_; }

private:
    QSpinBox* gain_;
    QSpinBox* reference_;
};

}  // namespace vox
