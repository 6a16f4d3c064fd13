#pragma once
// CFormRecordPlay: the record and play options form. The parameter grid
// (one row: sample rate, input, source) and the channel grid (one row per
// unit input: on/off, rate, filter cut-off, gain) edit the application-wide
// record settings as the cells change; Cancel puts back what the settings
// were when the form was last opened.

#include <QWidget>
#include <functional>

#include "core/audio/record_settings.h"
#include "core/platform/user_prompts.h"

class QComboBox;
class QPushButton;

namespace vox {

class CGridControl;

class CFormRecordPlay : public QWidget {
    Q_OBJECT
public:
    // Parameter grid columns.
    enum { kRateCol = 0, kInputCol = 1, kSourceCol = 2 };
    // Channel grid columns.
    enum { kOnCol = 0, kChannelRateCol = 1, kFilterCol = 2, kGainCol = 3 };

    CFormRecordPlay(RecordSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    // Remembers the settings Cancel restores.
    void begin_session();
    // Refills both grids from the settings.
    void refresh();

    CGridControl* parameter_grid() const { return params_; }
    CGridControl* channel_grid() const { return channels_; }
    QPushButton* save_button() const { return save_; }
    QPushButton* cancel_button() const { return cancel_; }
    // The external unit's model: 5 or 9 inputs.
    QComboBox* model_box() const { return model_; }

    // Called after the rate cell was stored, with its value (-1 when empty).
    std::function<void(int)> on_rate_stored;
    // Any record changed (a cell or Cancel).
    std::function<void()> on_settings_changed;
    // Asked to close the frame (Save and Close, Cancel).
    std::function<void()> on_close;

private:
    // rebuild: remove all rows and fill again; otherwise the cells are
    // updated where they stand.
    void fill_parameters(bool rebuild);
    void fill_channels(bool rebuild);
    void parameter_changed();
    void channel_changed(int row);
    void model_changed();
    void save_and_close();
    void cancel();

    RecordSettings& settings_;
    UserPrompts& prompts_;
    RecordSettings saved_;
    CGridControl* params_ = nullptr;
    CGridControl* channels_ = nullptr;
    QComboBox* model_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace vox
