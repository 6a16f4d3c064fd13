#pragma once
// The option dialogs of the analysis views: "Spectrogram Option" and
// "FFT/LPC Option". Each edits a copy of its option record for the audio
// channel's sample rate; the caller takes the copy when it is accepted.

#include <QDialog>

#include "core/app/option_block.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QListWidget;
class QRadioButton;
class QSpinBox;

namespace vox {

class UserPrompts;

// "  %d  Hz  " with the bandwidth (rate ÷ points, truncated) and the points label.
QString SpectrogramWindowText(double rate, int index);
QString FftLpcSizeText(double rate, int index);

class COptionSpectrogram : public QDialog {
    Q_OBJECT
public:
    COptionSpectrogram(const SpectrogramOptions& options, double rate, UserPrompts& prompts, QWidget* parent = nullptr);
    const SpectrogramOptions& options() const { return options_; }

    // Stores the boxes and checks them; false (after the message) when a
    // check fails, and the dialog stays open.
    bool try_accept();
    void press_defaults();
    void accept() override;

    QComboBox* window_combo() const { return window_; }
    QSpinBox* frequency_range_edit() const { return range_; }
    QSpinBox* lpc_edit() const { return lpc_; }
    QCheckBox* frequency_grid_box() const { return fgrid_; }
    QSpinBox* frequency_grid_edit() const { return fgrid_hz_; }
    QCheckBox* time_grid_box() const { return tgrid_; }
    QSpinBox* time_grid_edit() const { return tgrid_ms_; }
    QCheckBox* formants_box() const { return formants_; }

private:
    void load();
    void store();

    SpectrogramOptions options_;
    double rate_;
    UserPrompts& prompts_;
    QComboBox* window_;
    QSpinBox *range_, *dynamic_, *lpc_, *fgrid_hz_, *tgrid_ms_;
    QDoubleSpinBox *pre_, *width_, *height_;
    QCheckBox *formants_, *audio_, *labels_, *intensity_, *fgrid_, *tgrid_;
    QRadioButton *inches_, *cm_;
};

class COptionFFTLPC : public QDialog {
    Q_OBJECT
public:
    COptionFFTLPC(const FftLpcOptions& options, double rate, UserPrompts& prompts, QWidget* parent = nullptr);
    const FftLpcOptions& options() const { return options_; }

    // The largest applied window (ms) for the chosen size.
    int max_applied_window() const;
    // Choosing a size sets the applied window to its maximum.
    void choose_size(int index);
    // Leaving the applied-window box: a value above the maximum beeps,
    // shows the message and becomes the maximum.
    void check_applied_window();
    void press_default_size();
    bool try_accept();
    void accept() override;

    QListWidget* size_list() const { return sizes_; }
    QSpinBox* applied_window_edit() const { return applied_; }
    QSpinBox* lpc_edit() const { return lpc_; }

private:
    void load();
    void store();

    FftLpcOptions options_;
    double rate_;
    UserPrompts& prompts_;
    QListWidget* sizes_;
    QSpinBox *applied_, *range_, *step_, *lpc_, *absolute_db_, *fgrid_hz_, *pgrid_db_;
    QCheckBox *draw_lpc_, *fgrid_, *pgrid_;
    QRadioButton *relative_, *absolute_, *inches_, *cm_, *color_, *bw_;
    QDoubleSpinBox *width_, *height_;
};

}  // namespace vox
