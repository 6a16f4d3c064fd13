#pragma once
// The option dialogs hosted by the waveform view: "Display Option", the
// pitch options and "Intensity Options". Each edits a copy of its option
// record; the view takes the copy when the dialog is accepted.

#include <QDialog>

#include "core/app/option_block.h"

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vox {

class UserPrompts;

class CDialogOptionDisplay : public QDialog {
    Q_OBJECT
public:
    CDialogOptionDisplay(const DisplayOptions& display, double long_file_minutes, QWidget* parent = nullptr);
    DisplayOptions display() const;
    double long_file_minutes() const;

    QCheckBox* time_grid_box() const { return grid_; }
    QSpinBox* time_grid_edit() const { return grid_ms_; }
    QRadioButton* seconds_button() const { return seconds_; }
    QDoubleSpinBox* minutes_edit() const { return minutes_; }

private:
    DisplayOptions base_;
    QDoubleSpinBox* minutes_;
    QRadioButton *always_, *never_, *msec_, *seconds_;
    QSpinBox *audio_h_, *int_h_, *grid_ms_;
    QCheckBox *track_, *grid_;
    QRadioButton *inches_, *cm_, *color_, *bw_;
    QDoubleSpinBox *width_, *height_;
};

class COptionPitch : public QDialog {
    Q_OBJECT
public:
    COptionPitch(const PitchOptions& options, UserPrompts& prompts, QWidget* parent = nullptr);
    const PitchOptions& options() const { return options_; }
    // Stores the boxes and checks them in order; false (after the message)
    // when a check fails, and the dialog stays open.
    bool try_accept();
    void press_defaults();
    void select_method(int method);

    QDoubleSpinBox* calc_low_edit() const { return calc_low_; }
    QDoubleSpinBox* deviation_edit() const { return deviation_; }
    QDoubleSpinBox* window_edit() const { return window_; }

    void accept() override;

private:
    void load_boxes();
    void store_boxes();
    void load_pair(int method);

    PitchOptions options_;
    UserPrompts& prompts_;
    int method_ = 1;
    QDoubleSpinBox *window_, *step_, *calc_low_, *calc_high_, *deviation_, *threshold_;
    QSpinBox *disp_low_, *disp_high_, *grid_hz_;
    QCheckBox* grid_;
    QRadioButton *cepstral_, *amdf_;
};

class COptionIntensitySmooth : public QDialog {
    Q_OBJECT
public:
    COptionIntensitySmooth(const IntensityOptions& options, QWidget* parent = nullptr);
    IntensityOptions options() const;

private:
    QSpinBox *window_, *step_;
    QRadioButton *absolute_, *relative_;
};

}  // namespace vox
