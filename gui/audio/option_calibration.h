#pragma once
// COptionCalibration: the "Calibration Option" dialog, one grid row per
// channel of the document: name, the four calibration values (carried with
// the channel in the native file) as "%10.5f", and the unit text. OK reads
// every cell back; a row that cannot be read leaves the channels unchanged.

#include <QDialog>

#include "core/platform/user_prompts.h"

namespace vox {

class CGridControl;
class CMarbeckDoc;

class COptionCalibration : public QDialog {
    Q_OBJECT
public:
    enum { kNameCol = 0, kValue1Col = 1, kUnitsCol = 5 };

    COptionCalibration(CMarbeckDoc& doc, UserPrompts& prompts, QWidget* parent = nullptr);
    CGridControl* grid() const { return grid_; }

    // Fills the grid from the channels; false after the fill message.
    bool fill();
    // Reads the grid into the channels; false after the read message (the
    // channels are then as they were).
    bool read_back();

    void accept() override;

private:
    CMarbeckDoc& doc_;
    UserPrompts& prompts_;
    CGridControl* grid_ = nullptr;
};

}  // namespace vox
