#pragma once
// COptionRecord: the "Record option" dialog, the sound card's sample rate
// alone (44100, 22050 or 11025 Hz).

#include <QDialog>

class QComboBox;

namespace vox {

class COptionRecord : public QDialog {
    Q_OBJECT
public:
    explicit COptionRecord(int rate_hz, QWidget* parent = nullptr);
    int rate() const;
    QComboBox* rate_box() const { return rates_; }

private:
    QComboBox* rates_ = nullptr;
};

}  // namespace vox
