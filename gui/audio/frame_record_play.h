#pragma once
// CFrameRecordPlay: the floating, captioned window of the main frame that
// holds the record and play options form. 550 x 550 pixels at its saved
// position, (20, 20) when none is saved. Hiding and showing it keeps its
// place and size.

#include <QWidget>

#include "core/audio/record_settings.h"
#include "core/platform/user_prompts.h"

namespace vox {

class CFormRecordPlay;

class CFrameRecordPlay : public QWidget {
    Q_OBJECT
public:
    CFrameRecordPlay(RecordSettings& settings, UserPrompts& prompts, QWidget* parent, QPoint top_left = {20, 20});

    CFormRecordPlay* form() const { return form_; }
    // Shows the window when hidden, hides it when shown (the scope's button).
    void toggle();
    // Shows the window where it was and brings it to the top (the menu command).
    void show_on_top();

protected:
    void showEvent(QShowEvent* event) override;

private:
    CFormRecordPlay* form_ = nullptr;
};

}  // namespace vox
