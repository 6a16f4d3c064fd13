#pragma once
// The document's own dialogs of the open chain: "Select channels" and
// "Generic File Selection".

#include <QDialog>

#include "core/platform/user_prompts.h"

class QComboBox;
class QSpinBox;
class QRadioButton;

namespace vox {

namespace file_dialog_text {
inline constexpr const char* kChannelTitle = "Select channels";
inline constexpr const char* kChannelText = "This file has multiple data channels.\nOnly one channel can be read at a time.\nPlease select which channel you wish to read.";
inline constexpr const char* kGenericTitle = "Generic File Selection";
inline constexpr const char* kGenericText = "The requested file was not of any proper types recognized by the application.Would you like to read it as a generic type ?";
}  // namespace file_dialog_text

class CDialogFileChannelSelect : public QDialog {
    Q_OBJECT
public:
    // The list holds ten names, so at most ten channels are offered.
    static constexpr int kMaxListed = 10;
    CDialogFileChannelSelect(int channel_count, int preselected, QWidget* parent = nullptr);
    int chosen() const;
    QComboBox* list() const { return list_; }

private:
    QComboBox* list_;
};

class CDialogGenericFileSelection : public QDialog {
    Q_OBJECT
public:
    CDialogGenericFileSelection(const GenericFileAnswers& preset, QWidget* parent = nullptr);
    GenericFileAnswers answers() const;

    QSpinBox* header() const { return header_; }
    QSpinBox* rate() const { return rate_; }
    QRadioButton* ascii() const { return ascii_; }
    QRadioButton* binary() const { return binary_; }
    QRadioButton* bits8() const { return bits8_; }
    QRadioButton* bits16() const { return bits16_; }
    QRadioButton* low_first() const { return low_; }
    QRadioButton* high_first() const { return high_; }

private:
    void update_enabling();
    QSpinBox* header_;
    QSpinBox* rate_;
    QRadioButton *ascii_, *binary_, *bits8_, *bits16_, *low_, *high_;
};

}  // namespace vox
